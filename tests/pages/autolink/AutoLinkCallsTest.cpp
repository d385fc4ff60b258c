// The dialog's call sequences on the recording driver.

#include "pages/autolink/logic/AutoLinkCalls.h"
#include "pages/autolink/logic/AutoLinkRules.h"
#include "tests/support/FakeIpHelper.h"
#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tembrel::autolink {
namespace {

using testing::RecordingDriver;

class AutoLinkCallsTest : public ::testing::Test {
protected:
    AutoLinkCallsTest() { setCard(true); }
    void setCard(bool present) {
        handle.exclusive([&](ZARN9100_HANDLE* h) {
            *h = present ? driver.adapterHandle() : nullptr;
            return 0;
        });
    }
    RecordingDriver driver;
    AdapterHandle handle;
    FakeIpHelper ip;
};

const std::string kNoNetwork = "\"" + std::string(32, '\x01') + "\"";

TEST_F(AutoLinkCallsTest, OpenAssociationInOrder) {
    EXPECT_EQ(AssociateWith(driver, handle, OpenAssociationProfile("Fresh")), AssociateResult::kStarted);
    EXPECT_EQ(driver.callTexts(), (std::vector<std::string>{
                                      "SetAuthMode(h, 0)", "SetFswCCXNetworkEap(h, 0)", "SetWepStatus(h, 1)",
                                      "SetWPAInformation(h, 1, 0, 0, \"\", \"Fresh\")", "SetWlanMode(h, 255)",
                                      "SetNetworkMode(h, 1)", "SetSsid(h, \"Fresh\", 5, 0)"}));
}

TEST_F(AutoLinkCallsTest, ConfiguredAccessPointJoinsWithThePinAsWpaPskPassphrase) {
    EXPECT_EQ(AssociateWith(driver, handle, ConfiguredAccessPointProfile("Home", "12345678")), AssociateResult::kStarted);
    EXPECT_EQ(driver.callTexts(), (std::vector<std::string>{
                                      "SetAuthMode(h, 4)", "SetFswCCXNetworkEap(h, 0)", "SetWepStatus(h, 4)",
                                      "SetWPAInformation(h, 1, 2, 2, \"12345678\", \"Home\")", "SetWlanMode(h, 0)",
                                      "SetNetworkMode(h, 1)", "SetSsid(h, \"Home\", 4, 0)"}));
}

TEST_F(AutoLinkCallsTest, RefusedOnlyWhenSetSsidFailsAndTheCardIsNotConnected) {
    driver.setResult("SetSsid", 2);
    driver.setResult("GetConnectStatus", 1);
    EXPECT_EQ(AssociateWith(driver, handle, OpenAssociationProfile("a")), AssociateResult::kStarted);
    driver.setResult("GetConnectStatus", 0);
    EXPECT_EQ(AssociateWith(driver, handle, OpenAssociationProfile("a")), AssociateResult::kRefused);
    EXPECT_EQ(driver.callNames().back(), "GetConnectStatus");
}

TEST_F(AutoLinkCallsTest, NothingWithoutACard) {
    setCard(false);
    EXPECT_EQ(AssociateWith(driver, handle, OpenAssociationProfile("a")), AssociateResult::kNoCard);
    EXPECT_FALSE(SendSetupRecords(driver, handle, 1, "12345678", {}));
    EXPECT_FALSE(QueryLearntSsid(driver, handle));
    CardIpSettings settings{true, 7};
    ReadCardIpSettings(driver, handle, ip, 1, settings);
    EXPECT_EQ(settings, (CardIpSettings{true, 7}));
    EXPECT_TRUE(driver.calls().empty());
}

TEST_F(AutoLinkCallsTest, DisconnectPortDownThenANameNoNetworkHas) {
    DisconnectCard(driver, handle);
    EXPECT_EQ(driver.callTexts(), (std::vector<std::string>{"WPAPortDown()", "SetSsid(h, " + kNoNetwork + ", 32, 0)"}));
}

TEST_F(AutoLinkCallsTest, SetupRecordsByteForByteInOrder) {
    EXPECT_TRUE(SendSetupRecords(driver, handle, 0x21, "12345678", {true, 0xC0A80114}));
    const std::string info = "a821" + std::string("3132333435363738") + std::string(2 * (32 - 8), '0') +
                             std::string(2 * 128, '0') + "0200" + "c0a80114";
    EXPECT_EQ(driver.callTexts(),
              (std::vector<std::string>{"SetFJSecurityInfo(h, " + info + ")", "SetFJSetupRequest(h, 0821010001000000)"}));
}

struct IpRow {
    const char* name;
    int osFamily;
    int macResult;
    bool adapterFound;
    int dhcp9x;
    CardIpSettings expected;
};

class IpSettingsTest : public AutoLinkCallsTest, public ::testing::WithParamInterface<IpRow> {};

TEST_P(IpSettingsTest, FromTheInterfaceWithTheCardsMac) {
    const IpRow& row = GetParam();
    const MacAddress mac{0x00, 0x0C, 0x41, 0x12, 0x34, 0x56};
    driver.setOutBytes("GetMacAddress", {mac.begin(), mac.end()});
    driver.setResult("GetMacAddress", row.macResult);
    driver.setResult("QueryDhcp9x", row.dhcp9x);
    ip.adapters.push_back({"other", 1, {0x02, 0, 0, 0, 0, 1}, false, 0x01020304, 0, 0});
    if (row.adapterFound) ip.adapters.push_back({"wlan0", 2, mac, true, 0xC0A80114, 0, 0});
    CardIpSettings settings{false, 0x0A000009};  // values read earlier
    ReadCardIpSettings(driver, handle, ip, row.osFamily, settings);
    EXPECT_EQ(settings, row.expected);
    EXPECT_EQ(driver.count("QueryDhcp9x"), row.osFamily == 3 && row.macResult == 0 ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IpSettingsTest,
    ::testing::Values(IpRow{"Found", 1, 0, true, 0, {true, 0xC0A80114}},
                      IpRow{"MacFails", 1, 1, true, 0, {false, 0x0A000009}},
                      IpRow{"NoInterface", 1, 0, false, 0, {false, 0x0A000009}},
                      IpRow{"Family3DhcpFromTheLibrary", 3, 0, true, 0, {false, 0xC0A80114}},
                      IpRow{"Family3DhcpOn", 3, 0, true, 1, {true, 0xC0A80114}}),
    [](const ::testing::TestParamInfo<IpRow>& info) { return std::string(info.param.name); });

TEST_F(AutoLinkCallsTest, LearntSsid) {
    _QELT_FASTJOIN_SSID_INFO info{};
    info.SsidLength = 5;
    std::memcpy(info.Ssid, "Fresh", 5);
    driver.setOutRecord("QueryFastjoinAPInfo", info);
    EXPECT_EQ(QueryLearntSsid(driver, handle), "Fresh");
    info.SsidLength = 0;
    driver.setOutRecord("QueryFastjoinAPInfo", info);
    EXPECT_EQ(QueryLearntSsid(driver, handle), std::nullopt);
}

}  // namespace
}  // namespace tembrel::autolink
