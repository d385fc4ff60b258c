#include "connection/OpenNetworkChoice.h"
#include "tests/connection/ConnectorFixture.h"
#include "tests/support/ScanBufferBuilder.h"

#include <string>
#include <vector>

namespace tembrel::testing {
namespace {

const std::vector<uint8_t> k11bRates{0x82, 0x84, 0x8B, 0x96};
const std::vector<uint8_t> k11gRates{0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12, 0x18, 0x6C};

TestScanEntry Open(const std::string& ssid, int32_t rssi, const std::vector<uint8_t>& rates = k11bRates) {
    TestScanEntry e;
    e.ssid = ssid;
    e.rssi = rssi;
    e.rates = rates;
    return e;
}

TestScanEntry OpenA(const std::string& ssid, int32_t rssi) {
    TestScanEntry e = Open(ssid, rssi);
    e.dsConfigKHz = 5180000;
    return e;
}

std::vector<std::string> Chosen(const std::vector<TestScanEntry>& entries) {
    const auto buffer = BuildScanBuffer(entries);
    std::vector<std::string> out;
    for (const auto& c : ChooseOpenNetworkCandidates(ScanList(buffer))) out.push_back(c.ssid);
    return out;
}

struct ChoiceCase {
    const char* name;
    std::vector<TestScanEntry> entries;
    std::vector<std::string> order;
};

class OpenNetworkChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(OpenNetworkChoice, KeepsTheDocumentedOrder) { EXPECT_EQ(Chosen(GetParam().entries), GetParam().order); }

std::vector<ChoiceCase> ChoiceCases() {
    std::vector<ChoiceCase> cases;
    cases.push_back({"StrongestFirst", {Open("weak", -80), Open("strong", -40), Open("mid", -60)},
                     {"strong", "mid", "weak"}});
    cases.push_back({"EqualSignalKeepsScanOrder", {Open("first", -60), Open("second", -60), Open("third", -60)},
                     {"first", "second", "third"}});
    {
        TestScanEntry secured = Open("secured", -30);
        secured.privacy = 1;
        TestScanEntry peer = Open("peer", -30);
        peer.infrastructureMode = 0;
        TestScanEntry badLength = Open("bad", -30);
        badLength.ssidLength = 33;
        cases.push_back({"OnlyOpenInfrastructureWithUsableSsid", {secured, peer, badLength, Open("ok", -90)}, {"ok"}});
    }
    cases.push_back({"GMovesAheadOfPrecedingBRun", {Open("b1", -40), Open("b2", -50), Open("g", -60, k11gRates)},
                     {"g", "b1", "b2"}});
    cases.push_back({"GDoesNotPassA", {Open("b1", -40), OpenA("a", -50), Open("g", -60, k11gRates)},
                     {"b1", "a", "g"}});
    cases.push_back({"GStopsBehindG",
                     {Open("g1", -40, k11gRates), Open("b", -50), Open("g2", -60, k11gRates), Open("b2", -70)},
                     {"g1", "g2", "b", "b2"}});
    cases.push_back({"AStaysWhereSignalPutsIt", {OpenA("a", -40), Open("b", -50)}, {"a", "b"}});
    {
        // 25 open networks; the walk stops after 20, so the strong ones at the end never count.
        std::vector<TestScanEntry> many;
        std::vector<std::string> order;
        for (int i = 0; i < 20; ++i) {
            many.push_back(Open("n" + std::to_string(i), -90 + i));
            order.insert(order.begin(), "n" + std::to_string(i));
        }
        for (int i = 0; i < 5; ++i) many.push_back(Open("late" + std::to_string(i), -20));
        cases.push_back({"AtMostTwentyInScanOrder", many, order});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, OpenNetworkChoice, ::testing::ValuesIn(ChoiceCases()),
                         [](const auto& info) { return std::string(info.param.name); });

const std::vector<std::string> kOpenSetup{"QueryScanList(h, out, 24576)", "SetAuthMode(h, 0)", "SetWepStatus(h, 1)",
                                          "SetNetworkMode(h, 1)"};

std::vector<std::string> With(std::vector<std::string> a, const std::string& last) {
    a.push_back(last);
    return a;
}

TEST_F(ConnectorTest, JoinsTheStrongestOpenNetwork) {
    driver.setOutBytes("QueryScanList", BuildScanBuffer({Open("weak", -80), Open("strong", -40)}));
    EXPECT_EQ(connector.ConnectAnyOpenNetwork(), 0);
    EXPECT_EQ(calls(), With(kOpenSetup, "SetSsid(h, \"strong\", 6, 0)"));
}

TEST_F(ConnectorTest, EmptySsidsArePassedOverOnlyFirstNonEmptyIsTried) {
    TestScanEntry hidden = Open("", -30);
    TestScanEntry zeroFirst = Open(std::string("\0xy", 3), -35);
    driver.setOutBytes("QueryScanList",
                       BuildScanBuffer({hidden, zeroFirst, Open("tie1", -60), Open("tie2", -60)}));
    driver.setResult("SetSsid", 7);
    EXPECT_EQ(connector.ConnectAnyOpenNetwork(), 1);
    EXPECT_EQ(calls(), With(kOpenSetup, "SetSsid(h, \"tie1\", 4, 0)"));
}

TEST_F(ConnectorTest, GivesUpAfterTheTimeLimit) {
    driver.setOutBytes("QueryScanList", BuildScanBuffer({Open("net", -50)}));
    driver.setHook("SetNetworkMode", [&](const RecordedCall&) { clock += std::chrono::milliseconds(8001); });
    EXPECT_EQ(connector.ConnectAnyOpenNetwork(), 1);
    EXPECT_EQ(driver.count("SetSsid"), 0u);
}

TEST_F(ConnectorTest, ExactlyTheTimeLimitStillTries) {
    driver.setOutBytes("QueryScanList", BuildScanBuffer({Open("net", -50)}));
    driver.setHook("SetNetworkMode", [&](const RecordedCall&) { clock += std::chrono::milliseconds(8000); });
    EXPECT_EQ(connector.ConnectAnyOpenNetwork(), 0);
    EXPECT_EQ(driver.count("SetSsid"), 1u);
}

TEST_F(ConnectorTest, TimeLimitCountsTheScanListRead) {
    driver.setOutBytes("QueryScanList", BuildScanBuffer({Open("net", -50)}));
    driver.setHook("QueryScanList", [&](const RecordedCall&) { clock += std::chrono::seconds(9); });
    EXPECT_EQ(connector.ConnectAnyOpenNetwork(), 1);
    EXPECT_EQ(driver.count("SetSsid"), 0u);
}

struct NoJoinCase {
    const char* name;
    int queryResult;
    std::vector<uint8_t> buffer;
};

class NoOpenNetwork : public ConnectorTest, public ::testing::WithParamInterface<NoJoinCase> {};

TEST_P(NoOpenNetwork, ReturnsOneAfterOnlyTheListRead) {
    driver.setResult("QueryScanList", GetParam().queryResult);
    driver.setOutBytes("QueryScanList", GetParam().buffer);
    EXPECT_EQ(connector.ConnectAnyOpenNetwork(), 1);
    EXPECT_EQ(calls(), std::vector<std::string>{"QueryScanList(h, out, 24576)"});
}

TestScanEntry ZeroLength() {
    TestScanEntry e = Open("net", -50);
    e.length = 0;
    return e;
}

TestScanEntry Secured() {
    TestScanEntry e = Open("locked", -40);
    e.privacy = 1;
    return e;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoOpenNetwork,
    ::testing::Values(NoJoinCase{"ReadFails", 1, BuildScanBuffer({Open("net", -50)})},
                      NoJoinCase{"EmptyList", 0, BuildScanBuffer({})},
                      NoJoinCase{"OnlyEncrypted", 0, BuildScanBuffer({Secured()})},
                      NoJoinCase{"MalformedFirstEntry", 0, BuildScanBuffer({ZeroLength()})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConnectorTest, OpenNetworkNeedsCardAndRadio) {
    radioState = 0;
    EXPECT_EQ(connector.ConnectAnyOpenNetwork(), 1);
    radioState = 1;
    closeHandle();
    EXPECT_EQ(connector.ConnectAnyOpenNetwork(), 1);
    EXPECT_TRUE(calls().empty());
}

}  // namespace
}  // namespace tembrel::testing
