#include "SimFixture.h"

#include <algorithm>

namespace tembrel::testing {
namespace {

class AutoLinkTest : public SimulatedCardTest {
protected:
    // The built-in Auto Link access points start out of range.
    void SetUp() override {
        SimulatedCardTest::SetUp();
        for (const char* command : {R"(["signal","Orvix-AutoLink-New","-50"])", R"(["signal","Orvix-AutoLink-Set","-61"])",
                                    R"(["signal","Orvix-AutoLink-Manual","-73"])"})
            ASSERT_EQ(Control(command).rfind("ERROR", 0), std::string::npos) << command;
        TembrelSimAdvance(10000);  // the next background scan hears them
    }
    void startExchange(const char* pin, uint8_t tag = 0x21) {
        ASSERT_EQ(connectOpen("Orvix-AutoLink-New"), 0);
        _QELT_FASTJOIN_SEC_INFO info{};
        info.Length = sizeof info;
        info.ApTag = tag;
        std::memcpy(info.Pin, pin, std::strlen(pin));
        info.AddressMode = 2;
        ASSERT_EQ(Zarn9100SetFJSecurityInfo(h, &info), 0);
        _QELT_FASTJOIN_SETUP_REQ request{8, tag, 1, 1, 0};
        ASSERT_EQ(Zarn9100SetFJSetupRequest(h, &request), 0);
    }
    // The Auto Link element's state bits of the access point as its beacon announces them.
    int announcedStateBits(const char* ssid) {
        std::vector<uint8_t> buffer(ZARN9100_SCAN_BUFFER_SIZE);
        EXPECT_EQ(Zarn9100QueryScanList(h, buffer.data(), uint32_t(buffer.size())), 0);
        uint32_t count = 0, at = 4;
        std::memcpy(&count, buffer.data(), 4);
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t length = 0, ssidLength = 0, ieLength = 0;
            std::memcpy(&length, &buffer[at], 4);
            std::memcpy(&ssidLength, &buffer[at + 12], 4);
            std::memcpy(&ieLength, &buffer[at + 112], 4);
            if (std::string(reinterpret_cast<const char*>(&buffer[at + 16]), ssidLength) == ssid) {
                for (uint32_t p = at + 128; p + 2 <= at + 116 + ieLength;) {
                    const uint8_t id = buffer[p], n = buffer[p + 1];
                    if (id == 0xdd && n >= 7 && buffer[p + 2] == 0x00 && buffer[p + 3] == 0x3a && buffer[p + 4] == 0x7e)
                        return buffer[p + 8];
                    p += 2u + n;
                }
                return -1;
            }
            at += length;
        }
        return -2;
    }
};

// A first start meets no Auto Link access point; one command brings one in range.
TEST_F(SimulatedCardTest, BuiltInAutoLinkAccessPointsStartOutOfRange) {
    for (const char* ssid : {"Orvix-AutoLink-New", "Orvix-AutoLink-Set", "Orvix-AutoLink-Manual"})
        EXPECT_EQ(connectOpen(ssid), 1) << ssid;
    TembrelSimAdvance(10000);  // drift never brings them in
    EXPECT_EQ(connectOpen("Orvix-AutoLink-New"), 1);
    ASSERT_EQ(Control(R"(["signal","Orvix-AutoLink-New","-50"])"), "Orvix-AutoLink-New now at -50 dBm");
    EXPECT_EQ(connectOpen("Orvix-AutoLink-New"), 0);
}

TEST_F(AutoLinkTest, RightPinConfiguresTheAccessPoint) {
    EXPECT_EQ(announcedStateBits("Orvix-AutoLink-New"), 0x01);
    startExchange("12345678");
    TembrelSimAdvance(300 * 8);
    ASSERT_TRUE(events.waitFor(0xF0000007u));
    flush();
    EXPECT_EQ(events.codes(), (std::vector<uintptr_t>{1, 0xF0000000u, 0xF0000001u, 0xF0000002u, 0xF0000003u,
                                                      0xF0000004u, 0xF0000005u, 0xF0000006u, 0xF0000007u}));
    _QELT_FASTJOIN_SSID_INFO info{};
    ASSERT_EQ(Zarn9100QueryFastjoinAPInfo(h, &info), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(info.Ssid), info.SsidLength), "Orvix-AutoLink-New");

    // Disconnect as the utility does, look again, and join with the PIN as WPA-PSK passphrase.
    Zarn9100WPAPortDown();
    const std::string ones(32, '\x01');
    EXPECT_EQ(Zarn9100SetSsid(h, ones.data(), 32, 0), 1);
    ASSERT_EQ(Zarn9100Scan(h), 0);
    TembrelSimAdvance(1200);
    EXPECT_EQ(announcedStateBits("Orvix-AutoLink-New"), 0x02);
    events.clear();
    Zarn9100SetAuthMode(h, 4);
    Zarn9100SetWepStatus(h, 4);
    Zarn9100SetWPAInformation(h, 1, 2, 2, "12345678", "Orvix-AutoLink-New");
    ASSERT_EQ(Zarn9100SetSsid(h, "Orvix-AutoLink-New", 18, 0), 0);
    ASSERT_TRUE(events.waitFor(1008));
}

TEST_F(AutoLinkTest, WrongPinFailsAfterTheChallenge) {
    startExchange("87654321");
    TembrelSimAdvance(300 * 8);
    ASSERT_TRUE(events.waitFor(0xF0000009u));
    flush();
    EXPECT_EQ(events.codes(),
              (std::vector<uintptr_t>{1, 0xF0000000u, 0xF0000001u, 0xF0000002u, 0xF0000003u, 0xF0000009u}));
    _QELT_FASTJOIN_SSID_INFO info{};
    EXPECT_NE(Zarn9100QueryFastjoinAPInfo(h, &info), 0);
    EXPECT_EQ(announcedStateBits("Orvix-AutoLink-New"), 0x01);
}

TEST_F(AutoLinkTest, WrongApTagGetsNoAnswer) {
    startExchange("12345678", 0x55);
    TembrelSimAdvance(300 * 8);
    ASSERT_TRUE(events.waitFor(0xF0000008u));
    flush();
    EXPECT_EQ(events.codes(), (std::vector<uintptr_t>{1, 0xF0000000u, 0xF0000008u}));
}

TEST_F(AutoLinkTest, LosingTheLinkMidwayFailsTheExchange) {
    startExchange("12345678");
    TembrelSimAdvance(600);
    ASSERT_EQ(Control(R"(["remove","Orvix-AutoLink-New"])"), "removed Orvix-AutoLink-New");
    TembrelSimAdvance(2000);
    ASSERT_TRUE(events.waitFor(0xF0000008u));
    ASSERT_TRUE(events.waitFor(4));
}

TEST_F(AutoLinkTest, SetupWithoutAnUnconfiguredAccessPointFails) {
    _QELT_FASTJOIN_SETUP_REQ request{8, 0x21, 1, 1, 0};
    EXPECT_NE(Zarn9100SetFJSetupRequest(h, &request), 0);
    ASSERT_TRUE(events.waitFor(0xF0000008u));
}

// The access point takes only the records every utility sends: the all-zero fixed block, an
// address mode of 1 or 2, and a setup request of 1, 1, 0.
struct RecordRow {
    const char* name;
    void (*spoil)(_QELT_FASTJOIN_SEC_INFO&, _QELT_FASTJOIN_SETUP_REQ&);
    bool securityTaken;
};

class RecordCheckTest : public AutoLinkTest, public ::testing::WithParamInterface<RecordRow> {};

TEST_P(RecordCheckTest, OnlyTheExpectedRecordsStartTheExchange) {
    ASSERT_EQ(connectOpen("Orvix-AutoLink-New"), 0);
    _QELT_FASTJOIN_SEC_INFO info{};
    info.Length = sizeof info;
    info.ApTag = 0x21;
    std::memcpy(info.Pin, "12345678", 8);
    info.AddressMode = 1;
    _QELT_FASTJOIN_SETUP_REQ request{8, 0x21, 1, 1, 0};
    GetParam().spoil(info, request);
    EXPECT_EQ(Zarn9100SetFJSecurityInfo(h, &info) == 0, GetParam().securityTaken);
    EXPECT_NE(Zarn9100SetFJSetupRequest(h, &request), 0);
    ASSERT_TRUE(events.waitFor(0xF0000008u));
    TembrelSimAdvance(300 * 8);
    flush();
    EXPECT_EQ(events.codes(), (std::vector<uintptr_t>{1, 0xF0000008u}));
}

INSTANTIATE_TEST_SUITE_P(
    Records, RecordCheckTest,
    ::testing::Values(
        RecordRow{"FixedBlockNotZero", [](auto& info, auto&) { info.FixedBlock[127] = 1; }, false},
        RecordRow{"AddressModeZero", [](auto& info, auto&) { info.AddressMode = 0; }, false},
        RecordRow{"AddressModeThree", [](auto& info, auto&) { info.AddressMode = 3; }, false},
        RecordRow{"SecurityLength", [](auto& info, auto&) { info.Length = 167; }, false},
        RecordRow{"RequestLength", [](auto&, auto& request) { request.Length = 9; }, true},
        RecordRow{"RequestTag", [](auto&, auto& request) { request.ApTag = 0x22; }, true},
        RecordRow{"RequestField1", [](auto&, auto& request) { request.Field1 = 2; }, true},
        RecordRow{"RequestField2", [](auto&, auto& request) { request.Field2 = 0; }, true},
        RecordRow{"RequestField3", [](auto&, auto& request) { request.Field3 = 1; }, true}),
    [](const ::testing::TestParamInfo<RecordRow>& info) { return std::string(info.param.name); });

TEST_F(AutoLinkTest, SilentAccessPointsNeverAnswer) {
    ASSERT_EQ(Control(R"(["add", "ssid=Quiet-New", "bssid=00:3A:7E:00:00:30", "channel=3", "autolink=0", "tag=48",
                           "pin=12345678", "silent=1"])"),
              "added Quiet-New");
    ASSERT_EQ(Control(R"(["add", "ssid=Quiet-Set", "bssid=00:3A:7E:00:00:31", "channel=3", "security=wpa-psk",
                           "passphrase=87654321", "autolink=1", "tag=49", "silent=true"])"),
              "added Quiet-Set");
    ASSERT_EQ(Zarn9100Scan(h), 0);
    TembrelSimAdvance(1200);
    ASSERT_EQ(connectOpen("Quiet-New"), 0);
    _QELT_FASTJOIN_SEC_INFO info{};
    info.Length = sizeof info;
    info.ApTag = 48;
    std::memcpy(info.Pin, "12345678", 8);
    info.AddressMode = 2;
    ASSERT_EQ(Zarn9100SetFJSecurityInfo(h, &info), 0);
    _QELT_FASTJOIN_SETUP_REQ request{8, 48, 1, 1, 0};
    ASSERT_EQ(Zarn9100SetFJSetupRequest(h, &request), 0);
    TembrelSimAdvance(300 * 10);

    Zarn9100SetAuthMode(h, 4);
    Zarn9100SetWepStatus(h, 4);
    Zarn9100SetWPAInformation(h, 1, 2, 2, "87654321", "Quiet-Set");
    ASSERT_EQ(Zarn9100SetSsid(h, "Quiet-Set", 9, 0), 0);
    flush();
    const auto codes = events.codes();
    EXPECT_EQ(std::count_if(codes.begin(), codes.end(), [](uintptr_t c) { return c >= 1008; }), 0);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), uintptr_t{1}), 2);
}

TEST_F(AutoLinkTest, ConfiguredAccessPointReports1008OnlyWithTheRightPassphrase) {
    Zarn9100SetAuthMode(h, 4);
    Zarn9100SetWepStatus(h, 4);
    Zarn9100SetWPAInformation(h, 1, 2, 2, "wrong-pin", "Orvix-AutoLink-Set");
    EXPECT_EQ(Zarn9100SetSsid(h, "Orvix-AutoLink-Set", 18, 0), 2);
    Zarn9100SetWPAInformation(h, 1, 2, 2, "87654321", "Orvix-AutoLink-Set");
    EXPECT_EQ(Zarn9100SetSsid(h, "Orvix-AutoLink-Set", 18, 0), 0);
    ASSERT_TRUE(events.waitFor(1008));
    flush();
    EXPECT_EQ(events.codes(), (std::vector<uintptr_t>{5, 1012, 1, 1008})) << "the wrong PIN is said";
}

}  // namespace
}  // namespace tembrel::testing
