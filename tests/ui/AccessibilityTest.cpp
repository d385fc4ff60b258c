// What a screen reader reads from the program's own accessible interfaces, and the keys and focus
// moves made for it. (The events they send reach only a live accessibility bridge: the bus walk in
// tests/a11y hears them.)
#include "ui/Accessibility.h"
#include "ui/FirstTabStop.h"
#include "ui/Notice.h"
#include "ui/ReadOnlyField.h"
#include "ui/SpinEdit.h"
#include "ui/TabOrder.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace tembrel::ui {
namespace {

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override { installAccessibility(); }
};

TEST_F(AccessibilityTest, ComboBoxReadsItsCurrentItemAsSelectedText) {
    const struct {
        const char* name;
        int from;
        int to;
    } rows[] = {
        {"next item", 0, 1},
        {"back to the first", 2, 0},
        {"same item again", 1, 1},
        {"no item any more", 1, -1},
    };
    for (const auto& row : rows) {
        QWidget window;
        auto* label = new QLabel("Select &Profile", &window);
        auto* combo = new QComboBox(&window);
        label->setBuddy(combo);
        combo->addItems({"Office", "Home", "Lab"});
        combo->setCurrentIndex(row.from);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(combo);
        ASSERT_NE(iface, nullptr) << row.name;
        ASSERT_NE(iface->textInterface(), nullptr) << row.name << ": no text interface";
        EXPECT_EQ(iface->text(QAccessible::Name), "Select Profile") << row.name;
        EXPECT_EQ(iface->textInterface()->text(0, -1), combo->currentText()) << row.name;

        combo->setCurrentIndex(row.to);
        QAccessibleTextInterface* text = iface->textInterface();
        EXPECT_EQ(text->text(0, text->characterCount()), combo->currentText()) << row.name;
        int start = -1, end = -1;
        text->selection(0, &start, &end);
        EXPECT_EQ(end - start, text->characterCount()) << row.name << ": the item is read as selected";
        EXPECT_EQ(text->selectionCount(), combo->currentText().isEmpty() ? 0 : 1) << row.name;
    }
}

TEST_F(AccessibilityTest, NoticeIsANotificationNamedByItsText) {
    const struct {
        const char* name;
        bool shown;
        const char* before;
        const char* after;
    } rows[] = {
        {"new text on screen", true, "Associating", "The network refused the connection."},
        {"same text again", true, "Key 1 was cut.", "Key 1 was cut."},
        {"hidden", false, "", "Key 2 was cut."},
        {"emptied", true, "Key 1 was cut.", ""},
    };
    for (const auto& row : rows) {
        QWidget window;
        auto* notice = new QLabel(&window);
        exposeAsNotice(*notice);
        setNoticeText(*notice, row.before);
        window.show();
        notice->setVisible(row.shown);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(notice);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->role(), QAccessible::Notification) << row.name;

        EXPECT_EQ(setNoticeText(*notice, row.after), QString(row.before) != row.after) << row.name;
        EXPECT_EQ(notice->text(), row.after) << row.name;
        // Emptied (a link came back), it still names what it told.
        EXPECT_EQ(iface->text(QAccessible::Name), *row.after ? row.after : row.before) << row.name;
    }
}

TEST_F(AccessibilityTest, ThresholdEditIsASpinButtonThatStepsByArrowKeys) {
    QLineEdit edit;
    std::vector<int> steps;
    exposeAsSpinButton(edit, 256, 2346, [&](int delta) {
        steps.push_back(delta);
        edit.setText(QString::number(edit.text().toInt() + delta));
    });
    edit.setText("2346");
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&edit);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::SpinBox);
    ASSERT_NE(iface->valueInterface(), nullptr);
    EXPECT_EQ(iface->valueInterface()->minimumValue().toInt(), 256);
    EXPECT_EQ(iface->valueInterface()->maximumValue().toInt(), 2346);
    EXPECT_EQ(iface->valueInterface()->currentValue().toInt(), 2346);
    ASSERT_NE(iface->textInterface(), nullptr);
    EXPECT_EQ(iface->textInterface()->text(0, -1), "2346");

    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(steps, (std::vector<int>{-1, -1, 1}));
    EXPECT_EQ(edit.text(), "2345");
    EXPECT_EQ(iface->valueInterface()->currentValue().toInt(), 2345);

    // Text that is no number has no value; set through the bus, a value is typed in.
    edit.setText("");
    EXPECT_FALSE(iface->valueInterface()->currentValue().isValid());
    iface->valueInterface()->setCurrentValue(1000);
    EXPECT_EQ(edit.text(), "1000");
    edit.setReadOnly(true);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(steps.size(), 3u) << "a read-only edit does not step";
}

TEST_F(AccessibilityTest, FirstTabStopIsTheFirstControlTabReaches) {
    const struct {
        const char* name;
        bool firstEnabled;
        bool firstShown;
        Qt::FocusPolicy firstPolicy;
        int expected;  // 0 the first edit, 1 the second, -1 none
    } rows[] = {
        {"first control", true, true, Qt::StrongFocus, 0},
        {"disabled skipped", false, true, Qt::StrongFocus, 1},
        {"hidden skipped", true, false, Qt::StrongFocus, 1},
        {"click focus only skipped", true, true, Qt::ClickFocus, 1},
    };
    for (const auto& row : rows) {
        QWidget window;
        auto* before = new QPushButton("Outside", &window);
        auto* page = new QWidget(&window);
        auto* layout = new QVBoxLayout(page);
        auto* first = new QLineEdit(page);
        auto* second = new QLineEdit(page);
        layout->addWidget(new QLabel("Caption", page));
        layout->addWidget(first);
        layout->addWidget(second);
        (new QVBoxLayout(&window))->addWidget(page);
        (void)before;
        first->setEnabled(row.firstEnabled);
        first->setVisible(row.firstShown);
        first->setFocusPolicy(row.firstPolicy);
        QWidget* expected = row.expected == 0 ? first : second;
        EXPECT_EQ(firstTabStop(*page), expected) << row.name;
    }
    QWidget empty;
    auto* inner = new QWidget(&empty);
    EXPECT_EQ(firstTabStop(*inner), nullptr);
}

TEST_F(AccessibilityTest, ValueLabelIsAReadOnlyFieldThatTabReaches) {
    QWidget window;
    auto* form = new QFormLayout(&window);
    auto* status = new QLabel(&window);
    exposeAsReadOnlyField(*status);
    form->addRow("Status:", status);
    status->setText("Associated");
    EXPECT_EQ(status->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(status);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    EXPECT_TRUE(iface->state().readOnly);
    EXPECT_EQ(iface->text(QAccessible::Name), "Status:");
    ASSERT_NE(iface->textInterface(), nullptr);
    EXPECT_EQ(iface->textInterface()->text(0, -1), "Associated");
    status->setText("Not Associated");
    EXPECT_EQ(iface->textInterface()->text(4, -1), "Associated");
    EXPECT_EQ(iface->textInterface()->characterCount(), 14);
    EXPECT_EQ(iface->editableTextInterface(), nullptr) << "read only";
}

TEST_F(AccessibilityTest, TabListCountsItsTabsAndOnlyTheScrollButtonsShown) {
    const struct {
        const char* name;
        int width;
        bool scrolls;
    } rows[] = {{"wide: no scroll buttons", 2000, false}, {"narrow: scroll buttons", 120, true}};
    for (const auto& row : rows) {
        QTabBar bar;
        bar.setUsesScrollButtons(true);
        for (int i = 0; i < 9; ++i) bar.addTab(QStringLiteral("Page %1").arg(i));
        bar.resize(row.width, 30);
        bar.show();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&bar);
        ASSERT_NE(iface, nullptr);
        if (row.scrolls) {
            EXPECT_GT(iface->childCount(), 9) << row.name;
        } else {
            EXPECT_EQ(iface->childCount(), 9) << row.name << ": \"1 of 9\"";
        }
    }
}

TEST_F(AccessibilityTest, DialogEmbeddedInAPageIsAPaneAndAWindowStaysADialog) {
    QWidget page;
    auto* embedded = new QDialog(&page);
    embedded->setWindowFlags(Qt::Widget);
    QDialog alone;
    EXPECT_EQ(QAccessible::queryAccessibleInterface(embedded)->role(), QAccessible::Pane);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&alone)->role(), QAccessible::Dialog);
}

// The controls Tab reaches from the window's first one, once round.
std::vector<QWidget*> tabRing(QWidget& window) {
    std::vector<QWidget*> ring;
    for (QWidget* w = window.nextInFocusChain(); w && w != &window; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) ring.push_back(w);
    }
    return ring;
}

TEST_F(AccessibilityTest, PageBuiltWhenFirstShownComesBeforeTheWindowButtonsInTheTabOrder) {
    QWidget window;
    auto* header = new QLineEdit(&window);
    auto* stack = new QStackedWidget(&window);
    auto* built = new QWidget(stack);
    auto* builtEdit = new QLineEdit(built);
    stack->addWidget(built);
    auto* later = new QWidget(stack);
    stack->addWidget(later);
    auto* ok = new QPushButton("OK", &window);
    auto* radio = new QPushButton("Radio Off", &window);
    auto* layout = new QVBoxLayout(&window);
    for (QWidget* w : std::initializer_list<QWidget*>{header, stack, ok, radio}) layout->addWidget(w);

    const struct {
        const char* name;
        int slot;
    } rows[] = {{"a page built later", 1}, {"a second page built later still", 0}};
    std::vector<QWidget*> builtEdits{builtEdit};
    for (const auto& row : rows) {
        auto* page = new QWidget(row.slot == 1 ? later : built);
        auto* first = new QLineEdit(page);
        auto* second = new QPushButton("Apply", page);
        (new QVBoxLayout(page))->addWidget(first);
        page->layout()->addWidget(second);
        tabOrderAfterBuilding(*stack, *page);
        builtEdits.push_back(first);
        builtEdits.push_back(second);

        const std::vector<QWidget*> ring = tabRing(window);
        const auto at = [&](QWidget* w) { return std::find(ring.begin(), ring.end(), w) - ring.begin(); };
        EXPECT_LT(at(header), at(first)) << row.name;
        EXPECT_LT(at(first), at(second)) << row.name;
        EXPECT_LT(at(second), at(ok)) << row.name;
        EXPECT_LT(at(ok), at(radio)) << row.name;
        for (QWidget* edit : builtEdits) EXPECT_LT(at(edit), at(ok)) << row.name << ": every page before the buttons";
        EXPECT_EQ(ring.size(), builtEdits.size() + 3) << row.name << ": nothing lost or doubled";
    }
}

}  // namespace
}  // namespace tembrel::ui
