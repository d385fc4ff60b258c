// The Region page alone on the recording driver with a Region.cfg in its data folder, and the
// main window's settings key that adds it.
#include "pages/settings/CRegionCtrl.h"

#include "tests/app/SheetFixture.h"
#include "tests/pages/settings/PageTestSupport.h"

#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <cstring>

namespace tembrel::testing {
namespace {

std::string Hex(const _ZARN9100_REGION_CTRL& r) {
    std::string out;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&r);
    char b[3];
    for (size_t i = 0; i < sizeof r; ++i) {
        std::snprintf(b, sizeof b, "%02x", bytes[i]);
        out += b;
    }
    return out;
}

_ZARN9100_REGION_CTRL CardRecord(uint8_t mode, const char code[2]) {
    _ZARN9100_REGION_CTRL r{};
    r.mode = mode;
    std::memcpy(r.countryCode, code, 2);
    r.environment = ' ';
    r.maxTxPower = 20;
    r.channelRanges[0][0] = 1;
    r.channelRanges[0][1] = 13;
    return r;
}

class RegionPageTest : public PageTest<CRegionCtrl> {
protected:
    void writeRegionFile(const char* text) {
        QFile file(folder.filePath("Region.cfg"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QRadioButton* radio(int id) const { return control<QRadioButton>(id); }
    QComboBox* list() const { return control<QComboBox>(CRegionCtrl::kIdCountry); }
    QString information() const { return control<QPlainTextEdit>(CRegionCtrl::kIdInformation)->toPlainText(); }
};

TEST_F(RegionPageTest, StrictCardSelectsItsCountry) {
    writeRegionFile("// countries\r\nCountry:US:0:0:1,11\r\nGermany:DE:20:0:1,13\r\nBad:DEU:1:1:1,1\r\n");
    driver.setOutRecord("QueryRegionCtrl", CardRecord(3, "DE"));
    makePage().OnSetActive();
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->itemText(0), "Country");
    EXPECT_EQ(list()->currentText(), "Germany");
    EXPECT_TRUE(radio(CRegionCtrl::kIdStrict)->isChecked());
    EXPECT_TRUE(radio(CRegionCtrl::kIdStrict)->isEnabled());
    EXPECT_TRUE(list()->isEnabled());
    EXPECT_TRUE(information().startsWith("Country Code/Region Code: DE \n\nMaximum Transmit Power: 20 dBm\n"));
    EXPECT_TRUE(information().endsWith("\tChannel 1 to Channel 13\n"));
    // The page asks with a zero-filled record.
    EXPECT_EQ(driver.callTexts(), std::vector<std::string>{"QueryRegionCtrl(h, out)"});
}

TEST_F(RegionPageTest, ChoosingACountrySendsItsRecordByteForByte) {
    writeRegionFile("Country:US:0:0:1,11\nGermany:DE:20:0:1,13:14,1\n");
    driver.setOutRecord("QueryRegionCtrl", CardRecord(1, "US"));
    makePage().OnSetActive();
    EXPECT_TRUE(radio(CRegionCtrl::kIdDisabled)->isChecked());
    EXPECT_FALSE(list()->isEnabled());
    radio(CRegionCtrl::kIdStrict)->click();
    EXPECT_TRUE(list()->isEnabled());
    driver.clearCalls();
    list()->setCurrentIndex(1);  // as the user picks it
    emit list()->activated(1);

    _ZARN9100_REGION_CTRL sent{};
    sent.mode = 3;
    std::memcpy(sent.countryCode, "DE", 2);
    sent.environment = ' ';
    sent.maxTxPower = 20;
    sent.reserved = 0xFFFF;
    sent.channelRanges[0][0] = 1;
    sent.channelRanges[0][1] = 13;
    sent.channelRanges[1][0] = 14;
    sent.channelRanges[1][1] = 1;
    ASSERT_FALSE(driver.calls().empty());
    EXPECT_EQ(driver.callTexts().front(), "SetRegionCtrl(h, " + Hex(sent) + ")");
    EXPECT_EQ(Hex(sent).substr(0, 20), "034445201400ffff010d");
    // Until the card answers, the text shows the chosen record; then the card's.
    EXPECT_TRUE(information().contains("\tChannel 14\n"));
    driver.setOutRecord("QueryRegionCtrl", CardRecord(3, "DE"));
    QTRY_COMPARE(driver.count("QueryRegionCtrl"), size_t(1));
    EXPECT_TRUE(radio(CRegionCtrl::kIdStrict)->isChecked());
    EXPECT_EQ(list()->currentText(), "Germany");
    EXPECT_FALSE(information().contains("\tChannel 14\n"));
}

TEST_F(RegionPageTest, DisabledAndFlexibleSendOnlyTheMode) {
    writeRegionFile("Germany:DE:20:0:1,13\n");
    driver.setOutRecord("QueryRegionCtrl", CardRecord(3, "DE"));
    makePage().OnSetActive();
    for (const auto& [id, mode] : {std::pair{CRegionCtrl::kIdFlexible, 2}, std::pair{CRegionCtrl::kIdDisabled, 1}}) {
        driver.clearCalls();
        radio(id)->click();
        ASSERT_FALSE(driver.calls().empty());
        std::string expected(176, '0');
        expected[1] = char('0' + mode);
        EXPECT_EQ(driver.callTexts().front(), "SetRegionCtrl(h, " + expected + ")");
        EXPECT_EQ(list()->currentIndex(), -1);
        EXPECT_EQ(information(), "");
        driver.setOutRecord("QueryRegionCtrl", CardRecord(uint8_t(mode), "US"));
        QTRY_COMPARE(driver.count("QueryRegionCtrl"), size_t(1));
        EXPECT_TRUE(radio(id)->isChecked());
        EXPECT_FALSE(list()->isEnabled());
        EXPECT_TRUE(information().startsWith("Country Code/Region Code: US "));
    }
}

TEST_F(RegionPageTest, StrictCountryNotInTheFileShowsTheCardsRecord) {
    writeRegionFile("// only comments\n");
    driver.setOutRecord("QueryRegionCtrl", CardRecord(3, "JP"));
    makePage().OnSetActive();
    EXPECT_EQ(list()->count(), 0);
    EXPECT_TRUE(radio(CRegionCtrl::kIdStrict)->isEnabled());
    EXPECT_TRUE(radio(CRegionCtrl::kIdStrict)->isChecked());
    EXPECT_TRUE(list()->isEnabled());
    EXPECT_TRUE(information().startsWith("Country Code/Region Code: JP "));
}

TEST_F(RegionPageTest, WithoutTheFileStrictIsDisabled) {
    driver.setOutRecord("QueryRegionCtrl", CardRecord(2, "US"));
    makePage().OnSetActive();
    EXPECT_FALSE(radio(CRegionCtrl::kIdStrict)->isEnabled());
    EXPECT_FALSE(list()->isEnabled());
    EXPECT_TRUE(radio(CRegionCtrl::kIdFlexible)->isChecked());
}

TEST_F(RegionPageTest, WithoutACardNothingIsSentAndAFailedQueryChangesNothing) {
    writeRegionFile("Germany:DE:20:0:1,13\n");
    makePage(false).OnSetActive();
    radio(CRegionCtrl::kIdFlexible)->click();
    radio(CRegionCtrl::kIdStrict)->click();
    emit list()->activated(0);
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_TRUE(information().startsWith("Country Code/Region Code: DE ")) << "the chosen record is shown";

    ASSERT_TRUE(context.openAdapter());
    driver.setOutRecord("QueryRegionCtrl", CardRecord(2, "US"));
    page->OnSetActive();
    EXPECT_TRUE(radio(CRegionCtrl::kIdFlexible)->isChecked());
    driver.setResult("QueryRegionCtrl", 5);
    driver.setOutRecord("QueryRegionCtrl", CardRecord(3, "DE"));
    page->OnSetActive();
    EXPECT_TRUE(radio(CRegionCtrl::kIdFlexible)->isChecked()) << "a failed query leaves the page as it was";
}

// The main window adds the page when its settings ask for it, before About.
class RegionPageInSheet : public SheetTest {};

TEST_F(RegionPageInSheet, SettingsKeyAddsThePage) {
    makeSheet();
    EXPECT_FALSE(captions().contains("Region"));
    settings.set(settings::kRegionPage, 1);
    settings.set(settings::kDebugWin, 1);
    makeSheet();
    const QStringList pages = captions();
    ASSERT_GE(pages.size(), 3);
    EXPECT_EQ(pages.mid(pages.size() - 3), (QStringList{"Debug", "Region", "About"}));
}

}  // namespace
}  // namespace tembrel::testing
