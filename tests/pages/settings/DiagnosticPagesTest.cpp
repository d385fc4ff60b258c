// The About, Debug and Test pages alone on the recording driver.
#include "pages/settings/CAboutPage.h"
#include "pages/settings/CDebugWin.h"
#include "pages/settings/CTestPage.h"

#include "platform/FileVersion.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "tests/pages/settings/PageTestSupport.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <filesystem>

namespace tembrel::testing {
namespace {

// ---- About ----

using AboutPageTest = PageTest<CAboutPage>;

QString Text(QLineEdit* edit) { return edit ? edit->text() : QString("<missing>"); }

TEST_F(AboutPageTest, WithoutACardOnlyTheFileVersions) {
    context.library_path = STAMPED_LIBRARY;
    makePage(false).OnSetActive();
    const QString programDate = QString::fromStdString(FileDateText(ExecutablePath()));
    const QString libraryDate = QString::fromStdString(FileDateText(STAMPED_LIBRARY));
    EXPECT_EQ(Text(control<QLineEdit>(CAboutPage::kIdUtility)), "5.6.7.8 (" + programDate + ")");
    EXPECT_EQ(Text(control<QLineEdit>(CAboutPage::kIdLibrary)), "9.8.7.0 (" + libraryDate + ")");
    for (int id : {CAboutPage::kIdMacAddress, CAboutPage::kIdRegion, CAboutPage::kIdFirmware, CAboutPage::kIdDriver})
        EXPECT_EQ(Text(control<QLineEdit>(id)), "") << id;
    EXPECT_EQ(control<QLabel>(CAboutPage::kIdRegionLabel)->text(), "Region code:");
    EXPECT_TRUE(driver.calls().empty());
}

// The texts themselves are AboutInfoTest's; here the page's own part.
TEST_F(AboutPageTest, CardFactsAndTheRegionLabel) {
    context.region_code = 0x22;  // outside the table
    driver.setOutU32("QueryChipVersion", 3);
    driver.setOutBytes("GetMacAddress", {0x00, 0xE0, 0x4C, 0x01, 0x02, 0xAB});
    makePage().OnSetActive();
    EXPECT_EQ(Text(control<QLineEdit>(CAboutPage::kIdMacAddress)), "00 E0 4C 01 02 AB");
    EXPECT_EQ(Text(control<QLineEdit>(CAboutPage::kIdRegion)), "FCC (United States)");
    EXPECT_EQ(control<QLabel>(CAboutPage::kIdRegionLabel)->text(), "Region Code:");
    EXPECT_TRUE(control<QLineEdit>(CAboutPage::kIdHardware)->isHidden());
    EXPECT_EQ(Text(control<QLineEdit>(CAboutPage::kIdHardware)), "3.0");
}

TEST_F(AboutPageTest, LongLibraryPathsAreNotCut) {
    // A library in a folder whose path is longer than 200 characters.
    std::filesystem::path deep = folder.path().toStdString();
    while (deep.string().size() < 260) deep /= std::string(60, 'd');
    std::filesystem::create_directories(deep);
    const auto copy = deep / "libTembrel.so";
    std::filesystem::copy_file(STAMPED_LIBRARY, copy);
    context.library_path = copy.string();
    makePage(false).OnSetActive();
    EXPECT_TRUE(Text(control<QLineEdit>(CAboutPage::kIdLibrary)).startsWith("9.8.7.0 ("));
    // Another program file: its own version, or none.
    page->setProgramFile(UNSTAMPED_LIBRARY);
    page->OnSetActive();
    EXPECT_EQ(Text(control<QLineEdit>(CAboutPage::kIdUtility)), "");
}

#ifdef SIMULATED_LIBRARY
TEST_F(AboutPageTest, TheSimulatedCardShowsTheProjectVersion) {
    context.library_path = SIMULATED_LIBRARY;
    makePage(false).OnSetActive();
    EXPECT_TRUE(Text(control<QLineEdit>(CAboutPage::kIdLibrary)).startsWith(QString(PROJECT_FILE_VERSION) + " ("));
}
#endif

// ---- Debug ----

using DebugPageTest = PageTest<CDebugWin>;

TEST_F(DebugPageTest, HexEntryUpperCasesAndDropsOtherCharacters) {
    makePage();
    QLineEdit* index = control<QLineEdit>(CDebugWin::kIdRfIndex);
    QTest::keyClicks(index, "1a");
    EXPECT_EQ(index->text(), "1A");
    index->clear();
    QTest::keyClicks(index, "g7");
    EXPECT_EQ(index->text(), "7");
    EXPECT_EQ(control<QLineEdit>(CDebugWin::kIdMacValue)->maxLength(), 8);
    EXPECT_EQ(control<QLineEdit>(CDebugWin::kIdMacIndex)->maxLength(), 4);
    EXPECT_EQ(control<QLineEdit>(CDebugWin::kIdBbValue)->maxLength(), 2);
}

TEST_F(DebugPageTest, ReadShowsTheValueOrAnEmptyCell) {
    makePage();
    control<QLineEdit>(CDebugWin::kIdBbIndex)->setText("85");
    control<QLineEdit>(CDebugWin::kIdBbValue)->setText("77");
    driver.setOutU32("QueryBbRegister", 0x0C);
    control<QPushButton>(CDebugWin::kIdBbRead)->click();
    EXPECT_EQ(control<QLineEdit>(CDebugWin::kIdBbValue)->text(), "0C");
    EXPECT_EQ(driver.callTexts(), (std::vector<std::string>{"SetBbRegister(h, 0, 128)", "QueryBbRegister(h, 133, out)"}));

    driver.setResult("QueryBbRegister", 6);
    control<QPushButton>(CDebugWin::kIdBbRead)->click();
    EXPECT_EQ(control<QLineEdit>(CDebugWin::kIdBbValue)->text(), "") << "a failed read shows nothing";
}

TEST_F(DebugPageTest, WriteRulesAsRows) {
    struct Row {
        const char* index;
        const char* value;
        const char* sent;  // nullptr: nothing is written
    };
    const Row rows[] = {
        {"1234", "FFFFFFFF", "SetMacRegister(h, 4660, 4294967295)"},
        {"0010", "0", "SetMacRegister(h, 16, 0)"},
        {"10", "", nullptr},  // an empty value cancels the write
        {"", "12", "SetMacRegister(h, 0, 18)"},  // an empty index is register 0
    };
    makePage();
    for (const Row& row : rows) {
        driver.clearCalls();
        control<QLineEdit>(CDebugWin::kIdMacIndex)->setText(row.index);
        control<QLineEdit>(CDebugWin::kIdMacValue)->setText(row.value);
        driver.setOutU32("QueryMacRegister", 0xFFFFFFFF);
        control<QPushButton>(CDebugWin::kIdMacWrite)->click();
        if (!row.sent) {
            EXPECT_TRUE(driver.calls().empty()) << row.index << "/" << row.value;
            continue;
        }
        ASSERT_FALSE(driver.calls().empty()) << row.index << "/" << row.value;
        EXPECT_EQ(driver.callTexts().front(), row.sent);
        // Read back after the card had its time.
        QTRY_COMPARE(driver.count("QueryMacRegister"), size_t(1));
        EXPECT_EQ(control<QLineEdit>(CDebugWin::kIdMacValue)->text(), "FFFFFFFF");
    }
}

TEST_F(DebugPageTest, WithoutACardTheButtonsDoNothing) {
    makePage(false);
    const QString firstLabel = control<QTableWidget>(CDebugWin::kIdCalibrationTable)->item(0, 0)->text();
    control<QLineEdit>(CDebugWin::kIdRfIndex)->setText("1A");
    control<QLineEdit>(CDebugWin::kIdRfValue)->setText("42");
    for (int id : {CDebugWin::kIdRfRead, CDebugWin::kIdRfWrite, CDebugWin::kIdRefresh})
        control<QPushButton>(id)->click();
    page->OnSetActive();
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_EQ(control<QLineEdit>(CDebugWin::kIdRfValue)->text(), "42");
    EXPECT_EQ(control<QTableWidget>(CDebugWin::kIdCalibrationTable)->item(0, 0)->text(), firstLabel);
    page->OnKillActive();
}

TEST_F(DebugPageTest, ShownReadsTheTableOnceUnlessAskedEverySecond) {
    driver.setOutU32("QueryRfRegister", 3);
    driver.setOutU32("QueryChipVersion", 2);
    makePage().OnSetActive();
    EXPECT_EQ(control<QLineEdit>(CDebugWin::kIdHardwareVersion)->text(), "2.0");
    const auto table = control<QTableWidget>(CDebugWin::kIdCalibrationTable);
    EXPECT_EQ(table->item(0, 0)->text(), "1AH");
    EXPECT_EQ(table->item(0, 1)->text(), "0x03");
    EXPECT_EQ(table->item(3, 1)->text(), "0x03");
    const size_t once = driver.count("QueryRfRegister");
    EXPECT_EQ(context.settings_.writes().back(), (MemorySettings::Write{"Debug", "RefreshRfCal", 0}));
    // The timer ticks without a read.
    QTimer* timer = page->findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    QSignalSpy tick(timer, &QTimer::timeout);
    ASSERT_TRUE(tick.wait(10000));
    EXPECT_EQ(driver.count("QueryRfRegister"), once);

    control<QCheckBox>(CDebugWin::kIdRefreshEverySecond)->click();
    EXPECT_EQ(context.settings_.read(settings::kRefreshRfCal), 1);
    QTRY_VERIFY(driver.count("QueryRfRegister") > once);
    page->OnKillActive();
    EXPECT_FALSE(timer->isActive());
}

TEST_F(DebugPageTest, OptionBoxesWriteTheirKeys) {
    context.settings_.set(settings::kRefreshRatePS, 1);
    makePage(false).OnSetActive();
    auto* rate = control<QCheckBox>(CDebugWin::kIdRefreshRate);
    EXPECT_TRUE(rate->isChecked());
    rate->click();
    EXPECT_EQ(context.settings_.read(settings::kRefreshRatePS), 0);
    auto* trace = control<QCheckBox>(CDebugWin::kIdTrace);
    EXPECT_FALSE(trace->isEnabled());
    EXPECT_TRUE(trace->isHidden());
    page->OnKillActive();
}

// ---- Test ----

using TestPageTest = PageTest<CTestPage>;

TEST_F(TestPageTest, ShownGetsTheThreeValuesInOrder) {
    driver.setOutU32("QueryChannelRange", 0xFFFF0000u | (1u << 8) | 11u);
    driver.setOutU32("QuerySignalThreshold", 50);
    driver.setOutU32("QueryTxFailThreshold", 15);
    makePage().OnSetActive();
    EXPECT_EQ(driver.callNames(),
              (std::vector<std::string>{"QueryChannelRange", "QuerySignalThreshold", "QueryTxFailThreshold"}));
    EXPECT_EQ(control<QLineEdit>(CTestPage::kIdFrom)->text(), "1");
    EXPECT_EQ(control<QLineEdit>(CTestPage::kIdTo)->text(), "11");
    EXPECT_EQ(control<QLineEdit>(CTestPage::kIdSignal)->text(), "50");
    EXPECT_EQ(control<QLineEdit>(CTestPage::kIdTxFail)->text(), "15");
}

TEST_F(TestPageTest, SetRulesAsRows) {
    struct Row {
        int edit;
        int button;
        const char* text;
        const char* sent;     // nullptr: refused
        const char* message;  // the box shown when refused
    };
    const Row rows[] = {
        {CTestPage::kIdSignal, CTestPage::kIdSignalSet, "9", nullptr, "Signal Threshold range is from 10 to 200 !"},
        {CTestPage::kIdSignal, CTestPage::kIdSignalSet, "10", "SetSignalThreshold(h, 10)", nullptr},
        {CTestPage::kIdSignal, CTestPage::kIdSignalSet, "200", "SetSignalThreshold(h, 200)", nullptr},
        {CTestPage::kIdSignal, CTestPage::kIdSignalSet, "201", nullptr, "Signal Threshold range is from 10 to 200 !"},
        {CTestPage::kIdSignal, CTestPage::kIdSignalSet, "0", nullptr, "Signal Threshold range is from 10 to 200 !"},
        {CTestPage::kIdTxFail, CTestPage::kIdTxFailSet, "0", "SetTxFailThreshold(h, 0)", nullptr},
        {CTestPage::kIdTxFail, CTestPage::kIdTxFailSet, "100", "SetTxFailThreshold(h, 100)", nullptr},
        {CTestPage::kIdTxFail, CTestPage::kIdTxFailSet, "101", nullptr, "Signal Threshold range is from 0 to 100 !"},
    };
    makePage();
    for (const Row& row : rows) {
        driver.clearCalls();
        context.dialogs_.clear();
        QLineEdit* edit = control<QLineEdit>(row.edit);
        edit->setText(row.text);
        control<QPushButton>(row.button)->click();
        if (row.sent) {
            EXPECT_EQ(driver.callTexts(), std::vector<std::string>{row.sent}) << row.text;
            EXPECT_TRUE(context.dialogs_.shown().empty()) << row.text;
            EXPECT_EQ(edit->text(), row.text);
        } else {
            EXPECT_TRUE(driver.calls().empty()) << row.text;
            ASSERT_EQ(context.dialogs_.shown().size(), 1u) << row.text;
            EXPECT_EQ(context.dialogs_.shown()[0].text, row.message);
            EXPECT_EQ(context.dialogs_.shown()[0].icon, MessageIcon::Exclamation);
            EXPECT_EQ(edit->text(), "") << "the refused value is cleared";
        }
    }
}

TEST_F(TestPageTest, ChannelRangeIsSentOnlyWhenBothEditsHoldNumbers) {
    makePage();
    control<QLineEdit>(CTestPage::kIdFrom)->setText("2");
    control<QLineEdit>(CTestPage::kIdTo)->setText("13");
    control<QPushButton>(CTestPage::kIdRangeSet)->click();
    EXPECT_EQ(driver.callTexts(), std::vector<std::string>{"SetChannelRange(h, 525)"});

    // After the message nothing is sent, not even the old value.
    driver.clearCalls();
    control<QLineEdit>(CTestPage::kIdTo)->setText("");
    control<QPushButton>(CTestPage::kIdRangeSet)->click();
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_EQ(context.dialogs_.texts(), QStringList{"Please enter an integer between 0 and 255."});
}

TEST_F(TestPageTest, AnEmptyThresholdEditLeftHoldsZero) {
    makePage();
    QLineEdit* signal = control<QLineEdit>(CTestPage::kIdSignal);
    signal->setText("");
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(signal, &out);
    EXPECT_EQ(signal->text(), "0");
    control<QPushButton>(CTestPage::kIdSignalSet)->click();
    EXPECT_TRUE(driver.calls().empty()) << "0 is refused";
    EXPECT_EQ(control<QLineEdit>(CTestPage::kIdFrom)->maxLength(), 2);
    EXPECT_EQ(signal->maxLength(), 3);
}

TEST_F(TestPageTest, RadarAndNothingWithoutACard) {
    makePage();
    control<QPushButton>(CTestPage::kIdRadarDetect)->click();
    EXPECT_EQ(driver.callTexts(), std::vector<std::string>{"RadarDetected(h)"});
    context.closeAdapter();
    driver.clearCalls();
    control<QLineEdit>(CTestPage::kIdSignal)->setText("50");
    for (int id : {CTestPage::kIdRadarDetect, CTestPage::kIdSignalSet, CTestPage::kIdRangeSet, CTestPage::kIdTxFailSet,
                   CTestPage::kIdRangeGet})
        control<QPushButton>(id)->click();
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_TRUE(context.dialogs_.shown().empty());
}

}  // namespace
}  // namespace tembrel::testing
