// Every page of the main window can be worked from the keyboard: Tab reaches each enabled
// control that takes focus (an item view must not keep Tab to itself).

#include "tests/app/SheetFixture.h"
#include "ui/Mnemonics.h"
#include "ui/ControlId.h"

#include <QAbstractButton>
#include <QRadioButton>
#include <QApplication>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace tembrel::testing {
namespace {

bool TakesTabFocus(QWidget* w, QWidget* page) {
    if (!w->isVisibleTo(page) || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus)) return false;
    // A control inside another control (a combo box's line edit, a view's viewport) is reached
    // through its owner.
    for (QWidget* p = w->focusProxy(); p; p = p->focusProxy()) return false;
    // Tab enters a group of radio buttons at its checked one; the arrows move within.
    if (auto* radio = qobject_cast<QRadioButton*>(w); radio && radio->autoExclusive() && !radio->isChecked())
        for (auto* sibling : w->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
            if (sibling->autoExclusive() && sibling->isChecked()) return false;
    return true;
}

QString Describe(QWidget* w) {
    QString text = w->metaObject()->className();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) text += " \"" + b->text() + "\"";
    text += " id " + w->property(ui::kControlIdProperty).toString();
    return text;
}

class KeyboardWalkTest : public SheetTest {
protected:
    // The window with every page it can have, shown and active.
    void openEveryPage() {
        driver.setOutU32("QueryRadioControl", 1);
        settings.set(settings::kDebugWin, 1);
        settings.set(settings::kTestPage, 1);
        settings.set(settings::kRegionPage, 1);
        openSheet();
        sheet->show();
        sheet->activateWindow();
        QApplication::setActiveWindow(sheet.get());
    }
};

TEST_F(KeyboardWalkTest, TabReachesEveryEnabledControlOfEveryPage) {
    openEveryPage();
    for (CZarn9100Page* page : sheet->pageTabs().pages()) {
        ASSERT_TRUE(sheet->pageTabs().selectPage(page)) << page->caption().toStdString();
        QApplication::processEvents();
        QSet<QWidget*> expected;
        for (QWidget* w : page->findChildren<QWidget*>())
            if (TakesTabFocus(w, page)) expected.insert(w);
        sheet->pageTabs().widget().tabBar()->setFocus();
        QSet<QWidget*> reached;
        for (int i = 0; i < 4 * (expected.size() + 8); ++i) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : sheet.get(), Qt::Key_Tab);
            if (QWidget* now = QApplication::focusWidget()) reached.insert(now);
        }
        for (QWidget* w : expected)
            EXPECT_TRUE(reached.contains(w)) << page->caption().toStdString() << ": Tab never reaches "
                                             << Describe(w).toStdString();
    }
}

// Each Alt+letter works one control: no two controls in sight at once share a mnemonic, on any
// page with the window's own buttons. (The gallery checks every dialog the same way.)
TEST_F(KeyboardWalkTest, EveryMnemonicInSightIsUnique) {
    openEveryPage();
    for (CZarn9100Page* page : sheet->pageTabs().pages()) {
        sheet->pageTabs().widget().setCurrentWidget(page->parentWidget());
        QApplication::processEvents();
        EXPECT_EQ(ui::MnemonicClashes(*sheet).join("; ").toStdString(), "") << page->caption().toStdString();
    }
}

// Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDown and Ctrl+PgUp switch pages from every control of the
// window (the page's controls and the window's own buttons), skipping disabled pages, wrapping.
TEST_F(KeyboardWalkTest, CtrlTabSwitchesPagesFromEveryControl) {
    openEveryPage();
    QTabWidget* tabs = &sheet->pageTabs().widget();
    tabs->setTabEnabled(3, false);  // a disabled page is skipped both ways
    const int count = tabs->count();
    auto step = [&](int from, int direction) {
        for (int i = (from + direction + count) % count;; i = (i + direction + count) % count)
            if (tabs->isTabEnabled(i)) return i;
    };
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int direction;
    } keys[] = {{Qt::Key_Tab, Qt::ControlModifier, 1},
                {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, -1},
                {Qt::Key_PageDown, Qt::ControlModifier, 1},
                {Qt::Key_PageUp, Qt::ControlModifier, -1}};
    for (int start = 0; start < count; ++start) {
        if (!tabs->isTabEnabled(start)) continue;
        QList<QWidget*> controls{control<QWidget>(CZarn9100Sheet::kIdOk), control<QWidget>(CZarn9100Sheet::kIdCancel),
                                 control<QWidget>(CZarn9100Sheet::kIdRadioCheck)};
        for (QWidget* w : tabs->widget(start)->findChildren<QWidget*>())
            if (TakesTabFocus(w, tabs->widget(start))) controls << w;
        for (QWidget* from : controls) {
            for (const auto& key : keys) {
                tabs->setCurrentIndex(start);
                from->setFocus(Qt::OtherFocusReason);
                QTest::keyClick(from, key.key, key.modifiers);
                EXPECT_EQ(tabs->currentIndex(), step(start, key.direction))
                    << tabs->tabText(start).toStdString() << ", from " << Describe(from).toStdString() << ", key "
                    << QKeySequence(QKeyCombination(key.modifiers, key.key)).toString().toStdString();
            }
        }
    }
    // A whole walk round and back, each time from where the focus is after the switch.
    tabs->setCurrentIndex(0);
    tabs->tabBar()->setFocus();
    for (int direction : {1, -1}) {
        int expected = 0;
        do {
            QWidget* focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            QTest::keyClick(focus, direction > 0 ? Qt::Key_Tab : Qt::Key_Backtab,
                            direction > 0 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
            expected = step(expected, direction);
            ASSERT_EQ(tabs->currentIndex(), expected);
            // Into the page, so that the next switch starts from one of its controls.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        } while (expected != 0);
    }
}

}  // namespace
}  // namespace tembrel::testing
