// Every page of the main window can be worked from the keyboard: Tab reaches each enabled
// control that takes focus (an item view must not keep Tab to itself).

#include "tests/app/SheetFixture.h"

#include <QAbstractButton>
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
    return true;
}

QString Describe(QWidget* w) {
    QString text = w->metaObject()->className();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) text += " \"" + b->text() + "\"";
    text += " id " + w->property("controlId").toString();
    return text;
}

class KeyboardWalkTest : public SheetTest {};

TEST_F(KeyboardWalkTest, TabReachesEveryEnabledControlOfEveryPage) {
    driver.setOutU32("QueryRadioControl", 1);
    settings.set(settings::kDebugWin, 1);
    settings.set(settings::kTestPage, 1);
    settings.set(settings::kRegionPage, 1);
    openSheet();
    sheet->show();
    sheet->activateWindow();
    QApplication::setActiveWindow(sheet.get());
    for (CZarn9100Page* page : sheet->pages()) {
        ASSERT_TRUE(sheet->selectPage(page)) << page->caption().toStdString();
        QApplication::processEvents();
        QSet<QWidget*> expected;
        for (QWidget* w : page->findChildren<QWidget*>())
            if (TakesTabFocus(w, page)) expected.insert(w);
        sheet->tabWidget()->tabBar()->setFocus();
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

}  // namespace
}  // namespace tembrel::testing
