// The Advanced page's controls by id: alone on a page context with the recording driver, and
// inside the main window (leaving the page, the window's OK and Cancel).
#include "pages/settings/CAdvancedPage.h"
#include "ui/ControlId.h"

#include "pages/settings/AdvancedIds.h"
#include "pages/settings/SpinButtons.h"
#include "tests/app/SheetFixture.h"
#include "tests/pages/settings/DefaultCardScript.h"
#include "tests/support/RecordingPageContext.h"
#include "ui/ControlId.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace tembrel::testing {
namespace {

namespace ids = advanced::ids;
using Calls = std::vector<std::string>;


// The WCAG contrast ratio of two colours, 1 to 21.
double Contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Calls Sets(const RecordingDriver& driver) {
    Calls out;
    for (const auto& call : driver.calls())
        if (call.name.rfind("Set", 0) == 0) out.push_back(call.text());
    return out;
}

template <typename W>
W* Control(QWidget& root, int id) {
    return ui::ControlById<W>(root, id);
}

// A user's choice of the entry with this value.
void Choose(QComboBox* combo, uint32_t value) {
    ASSERT_NE(combo, nullptr);
    const int index = combo->findData(QVariant::fromValue(value));
    ASSERT_GE(index, 0) << value;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// A user's new text in an edit.
void Type(QLineEdit* edit, const QString& text) {
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

class AdvancedPageTest : public ::testing::Test {
protected:
    AdvancedPageTest() {
        ScriptDefaultCard(context.driver);
        page.OnSetActive();
        context.driver.clearCalls();
    }
    template <typename W = QWidget>
    W* control(int id) {
        return Control<W>(page, id);
    }
    void press(int id) {
        auto* button = control<QPushButton>(id);
        ASSERT_NE(button, nullptr) << id;
        button->click();
    }

    RecordingPageContext context;
    CAdvancedPage page{context};
};

TEST_F(AdvancedPageTest, ControlsCarryTheirIdsCaptionsAndValues) {
    EXPECT_EQ(page.caption(), "Advanced");
    EXPECT_EQ(page.dialogId(), 106);
    EXPECT_EQ(control<QPushButton>(ids::kApply)->text(), "&Apply Changes");
    EXPECT_EQ(control<QPushButton>(ids::kDefault)->text(), "&Default");
    EXPECT_EQ(control<QCheckBox>(ids::kAutoLink)->text(), "Enable Auto Link");
    EXPECT_EQ(control<QCheckBox>(ids::kBoostMode)->text(), "Boost Mode");
    EXPECT_TRUE(control<QCheckBox>(ids::kBoostMode)->isHidden());
    EXPECT_TRUE(control<QCheckBox>(ids::kTcpIpUseProfile)->isHidden());
    EXPECT_FALSE(control<QCheckBox>(ids::kTcpIpUseProfile)->isEnabled());
    EXPECT_FALSE(control<QComboBox>(ids::kTxAntenna)->isEnabled());
    EXPECT_FALSE(control<QComboBox>(ids::kDescription)->isEnabled());
    EXPECT_EQ(control<QComboBox>(ids::kDescription)->currentText(),
              "Orvix LX-7700 802.11a/b/g Wireless PC Card (8335)");
    // The card's name is readable although the box cannot be changed (WCAG contrast >= 4.5).
    const QPalette& palette = control<QComboBox>(ids::kDescription)->palette();
    EXPECT_GE(Contrast(palette.color(QPalette::Disabled, QPalette::ButtonText),
                       palette.color(QPalette::Disabled, QPalette::Button)),
              4.5);

    const struct {
        int id;
        QStringList texts;
        std::vector<uint32_t> values;
        uint32_t selected;
    } lists[] = {
        {ids::kPowerSave, {"Continuous Access", "Max Power Save"}, {0, 1}, 0},
        {ids::kPreamble, {"Auto", "Short", "Long"}, {1, 2, 3}, 1},
        {ids::kRxAntenna, {"Diversity On", "Diversity Off"}, {0xFFFF, 2}, 0xFFFF},
        {ids::kTxAntenna, {"Diversity On", "Antenna 2"}, {0xFFFF, 2}, 2},
        {ids::kTxPower, {"Auto", "High", "Medium", "Low"}, {4, 3, 2, 1}, 4},
    };
    for (const auto& list : lists) {
        auto* combo = control<QComboBox>(list.id);
        ASSERT_NE(combo, nullptr) << list.id;
        ASSERT_EQ(combo->count(), list.texts.size()) << list.id;
        for (int i = 0; i < combo->count(); ++i) {
            EXPECT_EQ(combo->itemText(i), list.texts[i]);
            EXPECT_EQ(combo->itemData(i).toUInt(), list.values[static_cast<size_t>(i)]);
        }
        EXPECT_EQ(combo->currentData().toUInt(), list.selected) << list.id;
    }
    auto* rates = control<QComboBox>(ids::kTxRate);
    EXPECT_EQ(rates->count(), 13) << "802.11g";
    EXPECT_EQ(rates->currentText(), "Auto");
    EXPECT_EQ(control<QLineEdit>(ids::kFragThreshold)->text(), "2346");
    EXPECT_EQ(control<QLineEdit>(ids::kRtsThreshold)->text(), "2347");

    QStringList labels;
    for (auto* label : page.findChildren<QLabel*>())
        if (label->buddy()) labels << label->text();
    EXPECT_EQ(labels, (QStringList{"Power Save Mode:", "Preamble (802.11b):", "Receive Antenna:", "Transmit Antenna:",
                                   "Transmit Power:", "Transmit Rate:", "Fragment Threshold:", "RTS/CTS Threshold:"}));
}

TEST_F(AdvancedPageTest, TabGoesThroughTheControlsInPageOrder) {
    std::vector<int> order;
    QWidget* w = control(ids::kPowerSave);
    for (int i = 0; i < 40 && w; ++i, w = w->nextInFocusChain()) {
        const int id = ui::ControlIdOf(*w);
        if (id != 0 && w->focusPolicy() & Qt::TabFocus && std::find(order.begin(), order.end(), id) == order.end())
            order.push_back(id);
    }
    const std::vector<int> expected{ids::kPowerSave,     ids::kPreamble,     ids::kRxAntenna, ids::kTxAntenna,
                                    ids::kTxPower,       ids::kTxRate,       ids::kFragThreshold,
                                    ids::kRtsThreshold,  ids::kApply,        ids::kDefault,   ids::kAutoConnect,
                                    ids::kAutoLink,      ids::kBoostMode,    ids::kTcpIpUseProfile};
    ASSERT_GE(order.size(), expected.size());
    EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + static_cast<long>(expected.size())), expected);
}

TEST_F(AdvancedPageTest, RateListFollowsTheWirelessModeEachTimeThePageIsShown) {
    context.setConnected(true, 1);
    page.OnSetActive();
    auto* rates = control<QComboBox>(ids::kTxRate);
    QStringList texts;
    for (int i = 0; i < rates->count(); ++i) texts << rates->itemText(i);
    EXPECT_EQ(texts, (QStringList{"Auto", "1 Mbps", "2 Mbps", "5.5 Mbps", "11 Mbps"}));
}

TEST_F(AdvancedPageTest, ApplySendsTheUsersChanges) {
    Choose(control<QComboBox>(ids::kTxRate), 22);
    Type(control<QLineEdit>(ids::kFragThreshold), "100");
    Choose(control<QComboBox>(ids::kPowerSave), 1);
    EXPECT_TRUE(Sets(context.driver).empty());
    press(ids::kApply);
    EXPECT_EQ(Sets(context.driver),
              (Calls{"SetPowerMode(h, 1)", "SetPreamble(h, 1)", "SetFragThreshold(h, 256)", "SetDataRate(h, 22)"}));
    EXPECT_EQ(control<QLineEdit>(ids::kFragThreshold)->text(), "256");
    EXPECT_TRUE(context.dialogs_.shown().empty());
}

TEST_F(AdvancedPageTest, EmptyThresholdAtApplySaysSoAndSendsNothing) {
    Choose(control<QComboBox>(ids::kPowerSave), 1);
    Type(control<QLineEdit>(ids::kRtsThreshold), "");
    press(ids::kApply);
    EXPECT_TRUE(Sets(context.driver).empty());
    EXPECT_EQ(context.dialogs_.texts(), QStringList{"Please enter an integer."});
    EXPECT_FALSE(page.OnKillActive()) << "the page is not left either";
    EXPECT_EQ(page.model().pending(), advanced::kPendingPowerSave | advanced::kPendingRtsThreshold);
}

TEST_F(AdvancedPageTest, LettersCannotBeTypedIntoAThreshold) {
    Type(control<QLineEdit>(ids::kRtsThreshold), "12ab3");
    EXPECT_EQ(control<QLineEdit>(ids::kRtsThreshold)->text(), "123");
}

TEST_F(AdvancedPageTest, SpinArrowsStepWithinTheirRange) {
    auto* spin = control<advanced::SpinButtons>(ids::kRtsSpin);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->minimum(), 0);
    EXPECT_EQ(spin->maximum(), 2347);
    spin->upButton()->click();
    EXPECT_EQ(control<QLineEdit>(ids::kRtsThreshold)->text(), "2347") << "already at the top";
    spin->downButton()->click();
    EXPECT_EQ(control<QLineEdit>(ids::kRtsThreshold)->text(), "2346");
    EXPECT_EQ(page.model().pending(), advanced::kPendingRtsThreshold);
    auto* fragSpin = control<advanced::SpinButtons>(ids::kFragSpin);
    Type(control<QLineEdit>(ids::kFragThreshold), "9");
    fragSpin->upButton()->click();
    EXPECT_EQ(control<QLineEdit>(ids::kFragThreshold)->text(), "256");
}

TEST_F(AdvancedPageTest, BoostModeIsSentAtOnceOnTheCardThatHasIt) {
    auto* boost = control<QCheckBox>(ids::kBoostMode);
    ASSERT_TRUE(boost->isEnabled());
    boost->click();
    EXPECT_EQ(Sets(context.driver), Calls{"SetBoostMode(h, 0)"});
    EXPECT_EQ(context.settings_.read(settings::kBoostMode), 0);
}

TEST_F(AdvancedPageTest, OptionBoxesWriteTheSettingsAndTheWindowsFlags) {
    auto* autoConnect = control<QCheckBox>(ids::kAutoConnect);
    auto* autoLink = control<QCheckBox>(ids::kAutoLink);
    ASSERT_TRUE(autoConnect->isChecked());
    ASSERT_TRUE(autoLink->isChecked());
    autoConnect->click();
    autoLink->click();
    EXPECT_EQ(context.supervisorFlags().autoConfiguration, 0u);
    EXPECT_EQ(context.supervisorFlags().autoLink, 0u);
    EXPECT_EQ(context.settings_.read(settings::kAutoConfiguration), 0);
    EXPECT_EQ(context.settings_.read(settings::kAutoLink), 0);
    EXPECT_TRUE(context.driver.calls().empty());
}

TEST_F(AdvancedPageTest, AdapterOpenedRefreshesAndNoCardEmptiesTheControls) {
    context.closeCard();
    page.OnLibraryEvent(1001, 0, {});
    EXPECT_EQ(control<QComboBox>(ids::kPowerSave)->currentIndex(), -1);
    EXPECT_EQ(control<QLineEdit>(ids::kFragThreshold)->text(), "0");
    EXPECT_EQ(control<QComboBox>(ids::kDescription)->currentText(), "");
    context.openCard();
    page.OnLibraryEvent(1001, 0, {});
    EXPECT_EQ(control<QComboBox>(ids::kPowerSave)->currentText(), "Continuous Access");
    EXPECT_EQ(control<QLineEdit>(ids::kFragThreshold)->text(), "2346");
}

TEST_F(AdvancedPageTest, CancelForgetsUnappliedChangesAndSendsNothing) {
    Choose(control<QComboBox>(ids::kTxPower), 1);
    Type(control<QLineEdit>(ids::kFragThreshold), "");
    page.OnCancel();
    EXPECT_TRUE(Sets(context.driver).empty());
    EXPECT_EQ(control<QComboBox>(ids::kTxPower)->currentText(), "Auto");
    EXPECT_EQ(control<QLineEdit>(ids::kFragThreshold)->text(), "2346");
    page.OnOK();
    EXPECT_TRUE(Sets(context.driver).empty());
}

// ---- inside the main window ----

class AdvancedInSheetTest : public SheetTest {
protected:
    void SetUp() override {
        ScriptDefaultCard(driver);
        driver.setOutU32("QueryRadioControl", 1);
        openSheet();
        for (auto* candidate : sheet->pageTabs().pages())
            if (auto* found = qobject_cast<CAdvancedPage*>(candidate)) page = found;
        ASSERT_NE(page, nullptr);
        tabs = &sheet->pageTabs().widget();
        tabs->setCurrentWidget(page->parentWidget());
        ASSERT_EQ(sheet->pageTabs().activePage(), page);
        driver.clearCalls();
    }
    template <typename W>
    W* pageControl(int id) {
        return Control<W>(*page, id);
    }

    CAdvancedPage* page = nullptr;
    QTabWidget* tabs = nullptr;
};

TEST_F(AdvancedInSheetTest, SwitchingPagesDropsUnappliedChanges) {
    Choose(pageControl<QComboBox>(ids::kPowerSave), 1);
    tabs->setCurrentIndex(0);
    EXPECT_EQ(page->model().pending(), 0u);
    control<QPushButton>(CZarn9100Sheet::kIdOk)->click();
    EXPECT_TRUE(Sets(driver).empty());
}

TEST_F(AdvancedInSheetTest, ThePageIsKeptWhileAThresholdHoldsNoInteger) {
    Choose(pageControl<QComboBox>(ids::kPowerSave), 1);
    Type(pageControl<QLineEdit>(ids::kFragThreshold), "");
    tabs->setCurrentIndex(0);
    EXPECT_EQ(sheet->pageTabs().activePage(), page);
    EXPECT_EQ(dialogs.texts(), QStringList{"Please enter an integer."});
    EXPECT_NE(page->model().pending(), 0u) << "the changes are kept when leaving fails";

    control<QPushButton>(CZarn9100Sheet::kIdOk)->click();
    EXPECT_EQ(dialogs.texts().size(), 2) << "OK is refused too";
    EXPECT_TRUE(Sets(driver).empty());

    Type(pageControl<QLineEdit>(ids::kFragThreshold), "1500");
    control<QPushButton>(CZarn9100Sheet::kIdOk)->click();
    EXPECT_EQ(Sets(driver), (Calls{"SetPowerMode(h, 1)", "SetFragThreshold(h, 1500)"}));
}

TEST_F(AdvancedInSheetTest, TheWindowMovesOffThePageWhenTheRadioGoesOff) {
    Type(pageControl<QLineEdit>(ids::kFragThreshold), "");
    sheet->ToggleRadio();
    EXPECT_NE(sheet->pageTabs().activePage(), page);
    EXPECT_FALSE(tabs->isTabEnabled(tabs->indexOf(page->parentWidget())));
    EXPECT_EQ(Sets(driver), Calls{"SetRadioControl(h, 0)"});
}

TEST_F(AdvancedInSheetTest, OkAppliesWhatIsPending) {
    QCoreApplication::processEvents();  // the icon is in the notification area: OK hides the window
    Choose(pageControl<QComboBox>(ids::kRxAntenna), 2);
    control<QPushButton>(CZarn9100Sheet::kIdOk)->click();
    EXPECT_EQ(Sets(driver), Calls{"SetRxAntenna(h, 2)"});
    EXPECT_TRUE(sheet->isHidden());
}

TEST_F(AdvancedInSheetTest, CancelSendsNothing) {
    Choose(pageControl<QComboBox>(ids::kRxAntenna), 2);
    control<QPushButton>(CZarn9100Sheet::kIdCancel)->click();
    EXPECT_TRUE(Sets(driver).empty());
    EXPECT_EQ(page->model().pending(), 0u);
}

}  // namespace
}  // namespace tembrel::testing
