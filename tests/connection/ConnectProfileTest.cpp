#include "tests/connection/ConnectorFixture.h"
#include "tests/support/ScanBufferBuilder.h"

#include <string>
#include <vector>

namespace tembrel::testing {
namespace {

const std::vector<std::string> kProtocolSettings{"SetPowerMode(h, 1)", "SetPreamble(h, 2)", "SetDataRate(h, 108)",
                                                 "SetFragThreshold(h, 2346)", "SetRTSThreshold(h, 2347)"};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

ProfilePtr WpaPskProfile() {
    auto p = MakeProfile("Home", "HomeNet", 1);
    p->authMode = 2;
    p->encryption = 2;
    SetText(p->passphrase, "passphrase");
    return p;
}

TEST_F(ConnectorTest, InfrastructureProfileFullSequence) {
    auto p = WpaPskProfile();
    p->wirelessMode = 1;
    profiles.Append(p);
    EXPECT_EQ(connector.ConnectProfile(p), 0);
    EXPECT_EQ(calls(), Join({SsidScanText("HomeNet", 1), "SetProfileInUse(h, \"Home\", 4)", "SetAuthMode(h, 4)",
                             "SetFswCCXNetworkEap(h, 0)",
                             "SetWPAInformation(h, 1, 2, 2, \"passphrase\", \"HomeNet\")", "SetWepStatus(h, 4)",
                             "SetNetworkMode(h, 1)", "SetWlanMode(h, 1)", "SetSsid(h, \"HomeNet\", 7, 0)"},
                            kProtocolSettings));
    EXPECT_TRUE(refreshes.empty());
    EXPECT_EQ(connector.profileInUse(), p);
    EXPECT_EQ(p->inPreferList, 1u);
}

TEST_F(ConnectorTest, AdHocProfileSetsBandAndChannelAndContinuousAccessFirst) {
    auto p = MakeProfile("Peer", "PeerNet", 0);
    p->adHocWirelessMode = 1;
    p->adHocChannel = 11;
    p->hiddenSsid = 1;
    EXPECT_EQ(connector.ConnectProfile(p), 0);
    EXPECT_EQ(calls(), Join({SsidScanText("PeerNet", 0), "SetProfileInUse(h, \"Peer\", 4)", "SetAuthMode(h, 0)",
                             "SetFswCCXNetworkEap(h, 0)", "SetWPAInformation(h, 0, 0, 0, \"\", \"PeerNet\")",
                             "SetWepStatus(h, 1)", "SetNetworkMode(h, 0)", "SetAdHocWlanMode(h, 1)",
                             "SetChannel(h, 11)", "SetSsid(h, \"PeerNet\", 7, 1)", "SetPowerMode(h, 0)"},
                            kProtocolSettings));
}

TEST_F(ConnectorTest, KeepAdapterSettingsSkipsRadioParameters) {
    auto infra = MakeProfile("I", "InfraNet", 1);
    infra->keepAdapterSettings = 1;
    connector.ConnectProfile(infra);
    EXPECT_EQ(calls().back(), "SetSsid(h, \"InfraNet\", 8, 0)");

    driver.clearCalls();
    auto adHoc = MakeProfile("A", "AdHocNet", 0);
    adHoc->keepAdapterSettings = 1;
    connector.ConnectProfile(adHoc);
    const auto got = calls();
    EXPECT_EQ(std::vector<std::string>(got.end() - 2, got.end()),
              (std::vector<std::string>{"SetSsid(h, \"AdHocNet\", 8, 0)", "SetPowerMode(h, 0)"}));
}

TEST_F(ConnectorTest, NothingIsAttemptedWithoutCardRadioOrProfile) {
    EXPECT_EQ(connector.ConnectProfile(nullptr), 1);
    radioState = 0;
    EXPECT_EQ(connector.ConnectProfile(WpaPskProfile()), 1);
    radioState = 2;  // switched off by hardware is not 0: applying goes ahead
    EXPECT_EQ(connector.ConnectProfile(WpaPskProfile()), 0);
    driver.clearCalls();
    closeHandle();
    EXPECT_EQ(connector.ConnectProfile(WpaPskProfile()), 1);
    EXPECT_TRUE(calls().empty());
}

// After a nonzero association result the snapshot is refreshed with GetConnectStatus, and the
// protocol settings follow only when it shows a connection or a started ad-hoc network.
struct FailedAssociationCase {
    const char* name;
    int connectStatus;
    ConnectionSnapshot refreshed;
    bool protocolApplied;
};

ConnectionSnapshot WithFlags(uint32_t connected, uint32_t adHocStarted) {
    ConnectionSnapshot s;
    s.connected = connected;
    s.adHocStarted = adHocStarted;
    return s;
}

class FailedAssociation : public ConnectorTest, public ::testing::WithParamInterface<FailedAssociationCase> {};

TEST_P(FailedAssociation, RefreshDecidesTheProtocolSettings) {
    const auto& c = GetParam();
    driver.setResult("SetSsid", 4);
    driver.setResult("GetConnectStatus", c.connectStatus);
    refreshedSnapshot = [&](bool) { return c.refreshed; };
    EXPECT_EQ(connector.ConnectProfile(WpaPskProfile()), 4);
    EXPECT_EQ(refreshes, std::vector<bool>{c.connectStatus != 0});
    auto got = calls();
    const auto ssid = std::find(got.begin(), got.end(), "SetSsid(h, \"HomeNet\", 7, 0)");
    ASSERT_NE(ssid, got.end());
    EXPECT_EQ(std::vector<std::string>(ssid + 1, got.end()),
              c.protocolApplied ? Join({"GetConnectStatus(h)"}, kProtocolSettings)
                                : std::vector<std::string>{"GetConnectStatus(h)"});
}

INSTANTIATE_TEST_SUITE_P(
    Results, FailedAssociation,
    ::testing::Values(FailedAssociationCase{"NotConnected", 0, WithFlags(0, 0), false},
                      FailedAssociationCase{"ConnectedAfterAll", 1, WithFlags(1, 0), true},
                      FailedAssociationCase{"ConnectStatusNonzeroButBssidZero", 1, WithFlags(0, 0), false},
                      FailedAssociationCase{"AdHocStarted", 0, WithFlags(0, 1), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConnectorTest, AnySsidProfileJoinsAnOpenNetworkWithoutScanOrProtocolSettings) {
    auto p = NewDefaultProfile();
    p->keepAdapterSettings = 0;  // even without "keep", protocol settings are not applied
    TestScanEntry open;
    open.ssid = "Cafe";
    driver.setOutBytes("QueryScanList", BuildScanBuffer({open}));
    EXPECT_EQ(connector.ConnectProfile(p), 0);
    EXPECT_EQ(calls(), (std::vector<std::string>{"SetProfileInUse(h, \"<Default>\", 9)", "SetAuthMode(h, 0)",
                                                 "SetFswCCXNetworkEap(h, 0)",
                                                 "SetWPAInformation(h, 1, 0, 0, \"\", \"<ANY SSID>\")",
                                                 "SetWepStatus(h, 1)", "QueryScanList(h, out, 24576)",
                                                 "SetAuthMode(h, 0)", "SetWepStatus(h, 1)", "SetNetworkMode(h, 1)",
                                                 "SetSsid(h, \"Cafe\", 4, 0)"}));
}

TEST_F(ConnectorTest, AnySsidMatchIsExactBytes) {
    auto p = MakeProfile("Lower", "<any ssid>", 1);
    connector.ConnectProfile(p);
    EXPECT_EQ(calls().front(), SsidScanText("<any ssid>", 1));
}

// The history hears how each attempt ended ("Home HomeNet 2"), not the calls that attempted nothing.
TEST_F(ConnectorTest, TheHistoryHearsEachAttemptsResult) {
    struct Results final : HistorySink {
        std::vector<std::string> seen;
        void joinFinished(const std::string& profile, const std::string& ssid, int result) override {
            seen.push_back(profile + " " + ssid + " " + std::to_string(result));
        }
        void joinAttempted(const JoinAttempt& a) override {
            seen.push_back((a.requester == JoinRequester::User ? "user on " : "not the user on ") + a.page + ": " +
                           a.profile + " " + a.ssid);
        }
    } history;
    ConnectionContext context{driver, handle, radioState, profiles, snapshot, nullptr};
    context.history = &history;
    ProfileConnector told(std::move(context));
    auto p = WpaPskProfile();
    profiles.Append(p);
    EXPECT_EQ(told.ConnectProfile(nullptr, "Profile Manager"), 1);
    driver.setResult("SetSsid", 2);
    EXPECT_EQ(told.ConnectProfile(p, "Site Survey"), 2);
    driver.setResult("SetSsid", 0);
    EXPECT_EQ(told.ConnectProfile(p), 0);  // the program's own join: the supervisor tells its attempt itself
    driver.setResult("QueryScanList", 1);
    EXPECT_EQ(told.ConnectProfile(NewDefaultProfile(), "Network Status"), 1);
    EXPECT_EQ(history.seen, (std::vector<std::string>{"user on Site Survey: Home HomeNet", "Home HomeNet 2", "Home HomeNet 0",
                                                      "user on Network Status: <Default> <ANY SSID>",
                                                      "<Default> <ANY SSID> 1"}));
}

TEST_F(ConnectorTest, AnySsidResultIsThatOfTheOpenNetworkJoin) {
    driver.setResult("QueryScanList", 1);
    EXPECT_EQ(connector.ConnectProfile(NewDefaultProfile()), 1);
    EXPECT_EQ(driver.count("SetSsid"), 0u);
}

TEST_F(ConnectorTest, CardRemovedDuringTheRefreshSkipsTheRemainingCalls) {
    driver.setResult("SetSsid", 4);
    refreshedSnapshot = [&](bool) {
        closeHandle();  // the main window closed the adapter meanwhile
        return WithFlags(1, 0);
    };
    EXPECT_EQ(connector.ConnectProfile(WpaPskProfile()), 4);
    EXPECT_EQ(calls().back(), "GetConnectStatus(h)");
}

}  // namespace
}  // namespace tembrel::testing
