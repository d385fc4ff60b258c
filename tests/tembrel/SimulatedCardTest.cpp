#include "SimFixture.h"
#include "tests/support/AbiArgumentRows.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tembrel::testing {
namespace {

// ---------------------------------------------------------------- association matrix

struct Credentials {
    uint32_t networkMode = 1;
    uint32_t wlanMode = 255;
    uint32_t auth = 0;
    uint32_t wepStatus = 1;
    std::vector<uint8_t> key;
    const char* passphrase = "";
    uint32_t ccx = 0;
    enum { None, Tls, Peap, Leap, Ttls } identity = None;
    const char* login = "";
    const char* password = "";
};

struct AssociationRow {
    const char* label;
    const char* ssid;
    Credentials c;
    int expected;
};

std::vector<uint8_t> Text(const char* s) { return std::vector<uint8_t>(s, s + std::strlen(s)); }

Credentials Wep(uint32_t auth, std::vector<uint8_t> key) {
    Credentials c;
    c.auth = auth;
    c.wepStatus = 0;
    c.key = std::move(key);
    return c;
}
Credentials Psk(uint32_t auth, uint32_t status, const char* pass) {
    Credentials c;
    c.auth = auth;
    c.wepStatus = status;
    c.passphrase = pass;
    return c;
}
Credentials Eap(uint32_t auth, uint32_t status, decltype(Credentials::identity) id, const char* login,
                const char* password, uint32_t ccx = 0) {
    Credentials c;
    c.auth = auth;
    c.wepStatus = status;
    c.identity = id;
    c.login = login;
    c.password = password;
    c.ccx = ccx;
    return c;
}
Credentials Mode(uint32_t networkMode, uint32_t wlanMode) {
    Credentials c;
    c.networkMode = networkMode;
    c.wlanMode = wlanMode;
    return c;
}

const AssociationRow kRows[] = {
    {"open network", "Orvix-Open-G", Credentials{}, 0},
    {"open network, WEP configured", "Orvix-Open-G", Wep(0, {1, 2, 3, 4, 5}), 2},
    {"802.11b open network", "Lobby-11b", Credentials{}, 0},
    {"WEP 40-bit, right key", "Lab-WEP64", Wep(0, {0x12, 0x34, 0x56, 0x78, 0x90}), 0},
    {"WEP 40-bit, auto switch", "Lab-WEP64", Wep(2, {0x12, 0x34, 0x56, 0x78, 0x90}), 0},
    {"WEP 40-bit, wrong key", "Lab-WEP64", Wep(0, {0x12, 0x34, 0x56, 0x78, 0x91}), 2},
    {"WEP 40-bit, no encryption", "Lab-WEP64", Credentials{}, 2},
    {"WEP 104-bit shared, right key", "Lab-WEP128-Shared", Wep(1, Text("orvixwepkey13")), 0},
    {"WEP 104-bit shared, open authentication", "Lab-WEP128-Shared", Wep(0, Text("orvixwepkey13")), 2},
    {"WEP 104-bit shared, wrong key", "Lab-WEP128-Shared", Wep(1, Text("orvixwepkey14")), 2},
    {"WPA-PSK, right passphrase", "Home-WPA", Psk(4, 4, "orvix-passphrase"), 0},
    {"WPA-PSK, wrong passphrase", "Home-WPA", Psk(4, 4, "orvix-passphrasf"), 2},
    {"WPA-PSK, AES instead of TKIP", "Home-WPA", Psk(4, 6, "orvix-passphrase"), 2},
    {"WPA-PSK, WPA2-PSK configured", "Home-WPA", Psk(7, 4, "orvix-passphrase"), 2},
    {"WPA2-PSK, right passphrase", "Home-WPA2", Psk(7, 6, "correct horse battery"), 0},
    {"WPA2-PSK, wrong passphrase", "Home-WPA2", Psk(7, 6, "correct horse battery staple"), 2},
    {"WPA 802.1x PEAP", "Corp-WPA-1X", Eap(3, 4, Credentials::Peap, "alice", "wonderland"), 0},
    {"WPA 802.1x TTLS", "Corp-WPA-1X", Eap(3, 4, Credentials::Ttls, "alice", "wonderland"), 0},
    {"WPA 802.1x PEAP, wrong password", "Corp-WPA-1X", Eap(3, 4, Credentials::Peap, "alice", "looking-glass"), 2},
    {"WPA 802.1x without identity", "Corp-WPA-1X", Eap(3, 4, Credentials::None, "", ""), 2},
    {"WPA2 802.1x TLS", "Corp-WPA2-1X", Eap(6, 6, Credentials::Tls, "alice", ""), 0},
    {"WPA2 802.1x LEAP, wrong user", "Corp-WPA2-1X", Eap(6, 6, Credentials::Leap, "mallory", "wonderland"), 2},
    {"WPA2 802.1x, TKIP configured", "Corp-WPA2-1X", Eap(6, 4, Credentials::Peap, "alice", "wonderland"), 2},
    {"CCX LEAP", "Cisco-LEAP", Eap(0, 0, Credentials::Leap, "bob", "builder", 1), 0},
    {"CCX LEAP, wrong password", "Cisco-LEAP", Eap(0, 0, Credentials::Leap, "bob", "plumber", 1), 2},
    {"CCX LEAP without network EAP", "Cisco-LEAP", Eap(0, 0, Credentials::Leap, "bob", "builder", 0), 2},
    {"CCX network, TTLS not offered", "Cisco-LEAP", Eap(0, 0, Credentials::Ttls, "bob", "builder", 1), 2},
    {"5 GHz network, any band", "Studio-5G", Credentials{}, 0},
    {"5 GHz network, 802.11a only", "Studio-5G", Mode(1, 2), 0},
    {"5 GHz network, 802.11b only", "Studio-5G", Mode(1, 1), 1},
    {"2.4 GHz network, 802.11a only", "Orvix-Open-G", Mode(1, 2), 1},
    {"hidden network by name", "Secret-Hidden", Psk(7, 6, "hidden-passphrase"), 0},
    {"no such network", "Nowhere", Credentials{}, 1},
    {"ad-hoc station from infrastructure mode", "PeerNet", Credentials{}, 1},
    {"ad-hoc station joined", "PeerNet", Mode(0, 255), 0},
    {"new ad-hoc network", "Fresh-IBSS", Mode(0, 255), 4},
};

class AssociationMatrix : public SimulatedCardTest, public ::testing::WithParamInterface<AssociationRow> {};

TEST_P(AssociationMatrix, SucceedsOnlyWhenTheSecurityMatches) {
    const AssociationRow& row = GetParam();
    const Credentials& c = row.c;
    ASSERT_EQ(Zarn9100SetNetworkMode(h, c.networkMode), 0);
    ASSERT_EQ(Zarn9100SetWlanMode(h, c.wlanMode), 0);
    ASSERT_EQ(Zarn9100SetAuthMode(h, c.auth), 0);
    ASSERT_EQ(Zarn9100SetFswCCXNetworkEap(h, c.ccx), 0);
    switch (c.identity) {
    case Credentials::Tls: {
        const uint8_t hash[20] = {0xab, 0xcd};
        Zarn9100WPACreateIdentityTLS(c.login, hash);
        break;
    }
    case Credentials::Peap: Zarn9100WPACreateIdentityPEAP(c.login, "CORP", c.password); break;
    case Credentials::Leap: Zarn9100WPACreateIdentityLEAP(c.login, "CORP", c.password); break;
    case Credentials::Ttls: Zarn9100WPACreateIdentityTtls(c.login, "CORP", c.password, "anonymous"); break;
    case Credentials::None: break;
    }
    ASSERT_EQ(Zarn9100SetWPAInformation(h, c.networkMode, 0, 0, c.passphrase, row.ssid), 0);
    ASSERT_EQ(Zarn9100SetWepStatus(h, c.wepStatus), 0);
    if (!c.key.empty()) {
        ASSERT_EQ(Zarn9100SetWepKey(h, 1, c.key.data(), uint32_t(c.key.size()), 1), 0);
    }

    const int r = Zarn9100SetSsid(h, row.ssid, uint32_t(std::strlen(row.ssid)), 0);
    EXPECT_EQ(r, row.expected) << row.label;
    EXPECT_EQ(Zarn9100GetConnectStatus(h) != 0, row.expected == 0) << row.label;

    uint8_t bssid[6] = {};
    ASSERT_EQ(Zarn9100QueryBssid(h, bssid), 0);
    const bool anyBssid = std::any_of(std::begin(bssid), std::end(bssid), [](uint8_t b) { return b != 0; });
    EXPECT_EQ(anyBssid, row.expected == 0 || row.expected == 4) << row.label;
    char ssid[33] = {};
    ASSERT_EQ(Zarn9100QuerySsid(h, ssid, 32), 0);
    EXPECT_EQ(std::string(ssid), row.expected == 0 || row.expected == 4 ? row.ssid : "") << row.label;
    if (row.expected == 1 || row.expected == 2) {
        // Every refusal says why, with the network's name and without a secret.
        ASSERT_TRUE(events.waitFor(1012)) << row.label;
        flush();
        std::string text;
        for (const auto& e : events.events())
            if (e.code == 1012) text = e.text;
        EXPECT_NE(text.find(row.ssid), std::string::npos) << row.label << ": " << text;
        for (const std::string& secret : {std::string(c.passphrase), std::string(c.password),
                                          std::string(c.key.begin(), c.key.end())}) {
            if (!secret.empty()) {
                EXPECT_EQ(text.find(secret), std::string::npos) << row.label << ": " << text;
            }
        }
    }
    if (row.expected == 0) {
        uint32_t wep = 99;
        ASSERT_EQ(Zarn9100QueryWepStatus(h, &wep), 0);
        EXPECT_EQ(wep, c.wepStatus) << "no key-absent status once associated";
    }
}

INSTANTIATE_TEST_SUITE_P(Networks, AssociationMatrix, ::testing::ValuesIn(kRows), [](const auto& info) {
    std::string name = info.param.label;
    std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
    return name;
});

// ---------------------------------------------------------------- events

TEST_F(SimulatedCardTest, AssociationReportsLinkUpFromTheLibraryThread) {
    ASSERT_EQ(connectOpen("Orvix-Open-G"), 0);
    ASSERT_TRUE(events.waitFor(1));
    ASSERT_EQ(Zarn9100SetSsid(h, "\x01\x01\x01", 3, 0), 1);
    ASSERT_TRUE(events.waitFor(0));
    EXPECT_EQ(Zarn9100GetConnectStatus(h), 0);
    flush();
    EXPECT_EQ(events.codes(), (std::vector<uintptr_t>{1, 0, 1012})) << "the failed join says why";
}

TEST_F(SimulatedCardTest, WrongEapCredentialsReportFailureWithStatusText) {
    Zarn9100SetAuthMode(h, 3);
    Zarn9100SetWepStatus(h, 4);
    Zarn9100WPACreateIdentityPEAP("alice", "", "nope");
    ASSERT_EQ(Zarn9100SetSsid(h, "Corp-WPA-1X", 11, 0), 2);
    ASSERT_TRUE(events.waitFor(1012));
    flush();
    const auto all = events.events();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].code, 5u);
    EXPECT_NE(all[1].text.find("Authentication failed"), std::string::npos);
}

TEST_F(SimulatedCardTest, LinkIsLostWhenTheSignalFallsAway) {
    ASSERT_EQ(connectOpen("Orvix-Open-G"), 0);
    ASSERT_EQ(Control(R"(["signal","Orvix-Open-G","-105"])"), "Orvix-Open-G now at -105 dBm");
    EXPECT_EQ(Zarn9100GetConnectStatus(h), 1) << "the loss is noticed on the next beacon check";
    TembrelSimAdvance(1000);
    EXPECT_EQ(Zarn9100GetConnectStatus(h), 0);
    ASSERT_TRUE(events.waitFor(4));
}

TEST_F(SimulatedCardTest, LinkIsLostWhenTheNetworkDisappears) {
    ASSERT_EQ(connectOpen("Lobby-11b"), 0);
    ASSERT_EQ(Control(R"(["remove","Lobby-11b"])"), "removed Lobby-11b");
    TembrelSimAdvance(1000);
    EXPECT_EQ(Zarn9100GetConnectStatus(h), 0);
    ASSERT_TRUE(events.waitFor(4));
}

TEST_F(SimulatedCardTest, PullingTheCardReportsAdapterGoneAndInvalidatesHandles) {
    ASSERT_EQ(connectOpen("Orvix-Open-G"), 0);
    ASSERT_EQ(Control(R"(["card","out"])"), "card out");
    ASSERT_TRUE(events.waitFor(2));
    ASSERT_TRUE(events.waitForDevice(TEMBREL_DEVICE_REMOVE_COMPLETE));
    const auto devices = events.devices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_NE(devices[0].text.find("VEN_7E3C&DEV_4C"), std::string::npos) << devices[0].text;

    // The stale handle fails safely; no card means a null handle.
    uint32_t value = 0;
    EXPECT_EQ(Zarn9100GetConnectStatus(h), 0);
    EXPECT_EQ(Zarn9100QueryChannel(h, &value), 5);
    uint8_t buffer[64];
    EXPECT_EQ(Zarn9100QueryScanListLength(h, buffer, sizeof buffer, &value), -5);
    ZARN9100_HANDLE none = reinterpret_cast<ZARN9100_HANDLE>(1);
    EXPECT_NE(Zarn9100OpenAdapter(&none), 0);
    EXPECT_EQ(none, nullptr);

    ASSERT_EQ(Control(R"(["card","in"])"), "card present");
    ASSERT_TRUE(events.waitForDevice(TEMBREL_DEVICE_ARRIVAL));
    EXPECT_EQ(Zarn9100QueryChannel(h, &value), 5) << "a handle from before the removal stays stale";
    ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
    EXPECT_EQ(Zarn9100QueryChannel(h, &value), 0);
    flush();
    EXPECT_EQ(events.codes(), (std::vector<uintptr_t>{1, 2})) << "no link-down event besides adapter gone";
}

TEST_F(SimulatedCardTest, HardwareRadioSwitch) {
    ASSERT_EQ(connectOpen("Orvix-Open-G"), 0);
    ASSERT_EQ(Control(R"(["radio-switch","off"])"), "radio switch off");
    uint32_t radio = 0;
    ASSERT_EQ(Zarn9100QueryRadioControl(h, &radio), 0);
    EXPECT_EQ(radio, 2u);
    EXPECT_EQ(Zarn9100GetConnectStatus(h), 0);
    EXPECT_EQ(connectOpen("Orvix-Open-G"), 3);
    EXPECT_EQ(Zarn9100SetRadioControl(h, 1), 0);
    ASSERT_EQ(Zarn9100QueryRadioControl(h, &radio), 0);
    EXPECT_EQ(radio, 2u) << "software cannot override the switch";
    ASSERT_TRUE(events.waitFor(9));

    ASSERT_EQ(Control(R"(["radio-switch","on"])"), "radio switch on");
    ASSERT_EQ(Zarn9100QueryRadioControl(h, &radio), 0);
    EXPECT_EQ(radio, 1u);
    ASSERT_TRUE(events.waitFor(8));
    flush();
    EXPECT_EQ(events.codes(), (std::vector<uintptr_t>{1, 0, 9, 8}));
}

TEST_F(SimulatedCardTest, SoftwareRadioOffDropsTheLinkAndEmptiesTheList) {
    ASSERT_EQ(connectOpen("Orvix-Open-G"), 0);
    ASSERT_EQ(Zarn9100SetRadioControl(h, 0), 0);
    EXPECT_EQ(Zarn9100GetConnectStatus(h), 0);
    uint8_t buffer[ZARN9100_SCAN_BUFFER_SIZE];
    ASSERT_EQ(Zarn9100QueryScanList(h, buffer, sizeof buffer), 0);
    EXPECT_EQ(buffer[0], 0);
    ASSERT_EQ(Zarn9100SetRadioControl(h, 1), 0);
    ASSERT_EQ(Zarn9100QueryScanList(h, buffer, sizeof buffer), 0);
    EXPECT_GT(buffer[0], 10);
    ASSERT_TRUE(events.waitFor(0));
}

TEST_F(SimulatedCardTest, EventsGoToTheSinkRegisteredLast) {
    EventRecorder second;
    ZARN9100_EVENT_SINK sink = second.sink();
    ASSERT_EQ(Zarn9100Initialize(&sink), 0);
    ASSERT_EQ(connectOpen("Orvix-Open-G"), 0);
    ASSERT_TRUE(second.waitFor(1));
    flush();
    EXPECT_TRUE(events.codes().empty());
    ZARN9100_EVENT_SINK first = events.sink();
    ASSERT_EQ(Zarn9100Initialize(&first), 0);
}

TEST_F(SimulatedCardTest, AdHocNetworkWaitsForAPeer) {
    ASSERT_EQ(Zarn9100SetNetworkMode(h, 0), 0);
    ASSERT_EQ(Zarn9100SetChannel(h, 3), 0);
    ASSERT_EQ(Zarn9100SetWepStatus(h, 1), 0);
    ASSERT_EQ(Zarn9100SetSsid(h, "Party", 5, 0), 4);
    uint32_t channel = 0;
    ASSERT_EQ(Zarn9100QueryChannel(h, &channel), 0);
    EXPECT_EQ(channel, 3u);
    EXPECT_EQ(Zarn9100GetConnectStatus(h), 0);
    ASSERT_EQ(Control(R"(["add","ssid=Party","bssid=02:00:00:00:00:99","channel=3","adhoc=true","signal=-60"])"),
              "added Party");
    TembrelSimAdvance(1000);
    EXPECT_EQ(Zarn9100GetConnectStatus(h), 1);
    ASSERT_TRUE(events.waitFor(3));
}

// ---------------------------------------------------------------- scanning

TEST_F(SimulatedCardTest, ScanRefreshesTheListAfterAShortDelay) {
    auto listHas = [&](const char* ssid) {
        std::vector<uint8_t> buffer(ZARN9100_SCAN_BUFFER_SIZE);
        EXPECT_EQ(Zarn9100QueryScanList(h, buffer.data(), uint32_t(buffer.size())), 0);
        uint32_t count = 0, at = 4;
        std::memcpy(&count, buffer.data(), 4);
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t length = 0, ssidLength = 0;
            std::memcpy(&length, &buffer[at], 4);
            std::memcpy(&ssidLength, &buffer[at + 12], 4);
            if (std::string(reinterpret_cast<const char*>(&buffer[at + 16]), ssidLength) == ssid) return true;
            at += length;
        }
        return false;
    };
    ASSERT_TRUE(listHas("Home-WPA"));
    ASSERT_EQ(Control(R"(["remove","Home-WPA"])"), "removed Home-WPA");
    ASSERT_EQ(Zarn9100Scan(h), 0);
    TembrelSimAdvance(1199);
    EXPECT_TRUE(listHas("Home-WPA")) << "the old list stays until the scan ends";
    TembrelSimAdvance(1);
    EXPECT_FALSE(listHas("Home-WPA"));
    ASSERT_TRUE(events.waitFor(6));
}

TEST_F(SimulatedCardTest, DirectedScanRevealsAHiddenSsidAndKeepsTheRest) {
    _ZARN9100_SSID_SCAN request{};
    request.SsidLength = 13;
    std::memcpy(request.Ssid, "Secret-Hidden", 13);
    for (uint8_t i = 0; i < 14; ++i) request.Channels[i] = uint8_t(i + 1);
    ASSERT_EQ(Zarn9100SsidScan(h, &request, 1), 0);
    TembrelSimAdvance(1200);
    std::vector<uint8_t> buffer(ZARN9100_SCAN_BUFFER_SIZE);
    ASSERT_EQ(Zarn9100QueryScanList(h, buffer.data(), uint32_t(buffer.size())), 0);
    uint32_t count = 0, at = 4;
    std::memcpy(&count, buffer.data(), 4);
    EXPECT_GT(count, 10u);
    bool revealed = false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t length = 0, ssidLength = 0;
        std::memcpy(&length, &buffer[at], 4);
        std::memcpy(&ssidLength, &buffer[at + 12], 4);
        revealed = revealed || std::string(reinterpret_cast<const char*>(&buffer[at + 16]), ssidLength) == "Secret-Hidden";
        at += length;
    }
    EXPECT_TRUE(revealed);
}

TEST_F(SimulatedCardTest, ScanListNeverWritesPastTheCapacity) {
    std::vector<uint8_t> full(ZARN9100_SCAN_BUFFER_SIZE);
    uint32_t fullLength = 0;
    ASSERT_EQ(Zarn9100QueryScanListLength(h, full.data(), uint32_t(full.size()), &fullLength), 0);
    for (uint32_t cap : {4u, 100u, 300u, fullLength / 2, fullLength - 1}) {
        std::vector<uint8_t> buffer(cap + 64, 0xcc);
        uint32_t length = 0;
        ASSERT_EQ(Zarn9100QueryScanListLength(h, buffer.data(), cap, &length), 0) << cap;
        EXPECT_LE(length, cap);
        EXPECT_TRUE(std::all_of(buffer.begin() + cap, buffer.end(), [](uint8_t b) { return b == 0xcc; })) << cap;
        uint32_t count = 0, at = 4;
        std::memcpy(&count, buffer.data(), 4);
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t entryLength = 0;
            std::memcpy(&entryLength, &buffer[at], 4);
            at += entryLength;
        }
        EXPECT_EQ(at, length) << "the count names exactly the entries written, capacity " << cap;
        EXPECT_EQ(std::memcmp(buffer.data() + 4, full.data() + 4, length - 4), 0);
    }
    uint8_t tiny[3];
    EXPECT_NE(Zarn9100QueryScanList(h, tiny, sizeof tiny), 0);
}

// ---------------------------------------------------------------- link data and counters

TEST_F(SimulatedCardTest, CountersGrowWhileAssociatedAndReset) {
    int32_t rssi = 0;
    EXPECT_NE(Zarn9100QueryRssi(h, &rssi), 0) << "no link, no reading";
    ASSERT_EQ(connectOpen("Orvix-Open-G"), 0);
    TembrelSimAdvance(5000);
    _NDIS_802_11_STATISTICS stats{};
    _BEACON_STATS beacons{};
    _RSSI_STATS ranges{};
    ASSERT_EQ(Zarn9100QueryStatistics(h, &stats), 0);
    ASSERT_EQ(Zarn9100QueryBeaconStatistics(h, &beacons), 0);
    ASSERT_EQ(Zarn9100QueryRssiStat(h, &ranges), 0);
    EXPECT_EQ(stats.Length, sizeof stats);
    EXPECT_GE(stats.TransmittedFragmentCount, 25);
    EXPECT_GE(stats.ReceivedFragmentCount, 50);
    EXPECT_GE(beacons.BeaconsReceived + beacons.BeaconsLost, 45u);
    EXPECT_LE(beacons.BeaconsReceived + beacons.BeaconsLost, 50u);
    EXPECT_EQ(ranges.Range[2] + ranges.Range[3], uint32_t(stats.ReceivedFragmentCount));
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(Zarn9100QueryRssi(h, &rssi), 0);
        EXPECT_GE(rssi, -48 - 4);
        EXPECT_LE(rssi, -48 + 4);
        TembrelSimAdvance(1000);
    }
    uint32_t speed = 0;
    ASSERT_EQ(Zarn9100QueryLinkSpeed(h, &speed), 0);
    EXPECT_EQ(speed, 540000u) << "54 Mbit/s in 100 bit/s units at a strong signal";
    ASSERT_EQ(Zarn9100SetDataRate(h, 22), 0);
    ASSERT_EQ(Zarn9100QueryLinkSpeed(h, &speed), 0);
    EXPECT_EQ(speed, 110000u) << "a fixed rate caps the link";

    ASSERT_EQ(Zarn9100ResetStatistics(h), 0);
    ASSERT_EQ(Zarn9100QueryStatistics(h, &stats), 0);
    EXPECT_EQ(stats.TransmittedFragmentCount, 0);
    ASSERT_EQ(Zarn9100QueryBeaconStatistics(h, &beacons), 0);
    EXPECT_EQ(beacons.BeaconsReceived, 0u);
}

TEST_F(SimulatedCardTest, WeakSignalLowersTheLinkSpeed) {
    ASSERT_EQ(connectOpen("Lobby-11b"), 0);
    uint32_t speed = 0;
    ASSERT_EQ(Zarn9100QueryLinkSpeed(h, &speed), 0);
    EXPECT_EQ(speed, 110000u);
    ASSERT_EQ(Control(R"(["signal","Lobby-11b","-90"])"), "Lobby-11b now at -90 dBm");
    ASSERT_EQ(Zarn9100QueryLinkSpeed(h, &speed), 0);
    EXPECT_EQ(speed, 10000u);
}

// ---------------------------------------------------------------- settings and information

TEST_F(SimulatedCardTest, SettingsPersistAndOutOfRangeValuesAreRefused) {
    struct Row {
        int (*set)(ZARN9100_HANDLE, uint32_t);
        int (*query)(ZARN9100_HANDLE, uint32_t*);
        uint32_t good;
        uint32_t bad;
    };
    const Row rows[] = {
        {Zarn9100SetPowerMode, Zarn9100QueryPowerMode, 1, 7},
        {Zarn9100SetPreamble, Zarn9100QueryPreamble, 3, 0},
        {Zarn9100SetDataRate, Zarn9100QueryDataRate, 108, 107},
        {Zarn9100SetFragThreshold, Zarn9100QueryFragThreshold, 256, 255},
        {Zarn9100SetRTSThreshold, Zarn9100QueryRTSThreshold, 0, 2348},
        {Zarn9100SetTxPower, Zarn9100QueryTxPower, 1, 5},
        {Zarn9100SetTxAntenna, Zarn9100QueryTxAntenna, 0xffff, 3},
        {Zarn9100SetRxAntenna, Zarn9100QueryRxAntenna, 2, 0},
        {Zarn9100SetBoostMode, Zarn9100QueryBoostMode, 0, 2},
        {Zarn9100SetChannelRange, Zarn9100QueryChannelRange, (2u << 8) | 9u, (9u << 8) | 2u},
        {Zarn9100SetSignalThreshold, Zarn9100QuerySignalThreshold, 200, 201},
        {Zarn9100SetTxFailThreshold, Zarn9100QueryTxFailThreshold, 0, 101},
    };
    for (const Row& r : rows) {
        uint32_t value = 12345;
        EXPECT_EQ(r.set(h, r.good), 0) << r.good;
        EXPECT_EQ(r.set(h, r.bad), 6) << r.bad;
        ASSERT_EQ(r.query(h, &value), 0);
        EXPECT_EQ(value, r.good);
        EXPECT_EQ(r.query(h, nullptr), 6);
    }
}

TEST_F(SimulatedCardTest, RefusesTheArgumentsEveryLibraryRefuses) {
    for (const auto& row : testing::kRefusedArguments) EXPECT_EQ(row.run(h), 6) << row.call;
}

// A refused key leaves no key of an earlier network in its slot.
TEST_F(SimulatedCardTest, ARefusedWepKeyEmptiesItsSlot) {
    const uint8_t key[5] = {0x12, 0x34, 0x56, 0x78, 0x90};
    ASSERT_EQ(Zarn9100SetAuthMode(h, ZARN9100_AUTH_OPEN), 0);
    ASSERT_EQ(Zarn9100SetWepStatus(h, ZARN9100_ENCRYPTION_WEP), 0);
    ASSERT_EQ(Zarn9100SetWepKey(h, 1, key, 5, 1), 0);
    EXPECT_EQ(Zarn9100SetWepKey(h, 1, key, 7, 1), 6);
    EXPECT_EQ(Zarn9100SetSsid(h, "Lab-WEP64", 9, 0), 2);
}

// What the Advanced and statistics pages set survives the card's removal, and the control
// tool shows it.
TEST_F(SimulatedCardTest, RadioSettingsSurviveTheCardAndTheToolShowsThemAndTheCounters) {
    ASSERT_EQ(Zarn9100SetFragThreshold(h, 512), 0);
    ASSERT_EQ(Zarn9100SetRTSThreshold(h, 1000), 0);
    ASSERT_EQ(Zarn9100SetTxPower(h, 2), 0);
    ASSERT_EQ(Zarn9100SetBoostMode(h, 0), 0);
    ASSERT_EQ(Control(R"(["card","out"])"), "card out");
    ASSERT_EQ(Control(R"(["card","in"])"), "card present");
    ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
    uint32_t value = 0;
    ASSERT_EQ(Zarn9100QueryFragThreshold(h, &value), 0);
    EXPECT_EQ(value, 512u);
    ASSERT_EQ(Zarn9100QueryBoostMode(h, &value), 0);
    EXPECT_EQ(value, 0u);
    const std::string radio = Control(R"(["radio"])");
    for (const char* line : {"fragmentation threshold: 512\n", "RTS threshold: 1000\n", "transmit power: 2\n",
                             "boost mode: 0\n", "channel range: 1 to 11\n"})
        EXPECT_NE(radio.find(line), std::string::npos) << line << " in\n" << radio;

    EXPECT_NE(Control(R"(["statistics"])").find("retries: 0\n"), std::string::npos);
    ASSERT_EQ(connectOpen("Orvix-Open-G"), 0);
    TembrelSimAdvance(3000);
    _NDIS_802_11_STATISTICS stats{};
    ASSERT_EQ(Zarn9100QueryStatistics(h, &stats), 0);
    ASSERT_GT(stats.TransmittedFragmentCount, 0);
    const std::string counters = Control(R"(["statistics"])");
    EXPECT_NE(counters.find("transmitted fragments: " + std::to_string(stats.TransmittedFragmentCount) + "\n"),
              std::string::npos)
        << counters;
    EXPECT_NE(counters.find("RSSI ranges: "), std::string::npos);
    ASSERT_EQ(Zarn9100ResetStatistics(h), 0);
    EXPECT_NE(Control(R"(["statistics"])").find("transmitted fragments: 0\n"), std::string::npos);
}

TEST_F(SimulatedCardTest, FactsOfTheCard) {
    uint32_t value = 0;
    ASSERT_EQ(Zarn9100QueryRfRegister(h, 0, &value), 0);
    EXPECT_EQ(value, 3u) << "RF register 0 names the chip type";
    EXPECT_NE(Zarn9100SetRfRegister(h, 0, 1), 0);
    ASSERT_EQ(Zarn9100SetBbRegister(h, 0x85, 0x42), 0);
    ASSERT_EQ(Zarn9100QueryBbRegister(h, 0x85, &value), 0);
    EXPECT_EQ(value, 0x42u);
    EXPECT_NE(Zarn9100SetBbRegister(h, 0x100, 1), 0);
    ASSERT_EQ(Zarn9100SetMacRegister(h, 0xfffc, 0xdeadbeef), 0);
    ASSERT_EQ(Zarn9100QueryMacRegister(h, 0xfffc, &value), 0);
    EXPECT_EQ(value, 0xdeadbeefu);

    char text[200];
    ASSERT_EQ(Zarn9100QueryDeviceDesc(h, text, sizeof text), 0);
    EXPECT_NE(std::string(text).find("(8335)"), std::string::npos);
    EXPECT_EQ(Zarn9100QueryDriverVersion(h, text, 4), 7) << "too small a buffer";
    EXPECT_EQ(text[0], '\0');
    ASSERT_EQ(Zarn9100QueryFirmwareVersion(h, &value), 0);
    EXPECT_EQ(value >> 24, 1u);

    // The registry path leads to the interface identifier and the Zero-Config flags.
    char path[400];
    ASSERT_EQ(Zarn9100QueryRegistryPath(h, path, sizeof path), 0);
    char id[100];
    ASSERT_EQ(Zarn9100QueryRegistryText(path, "NetCfgInstanceId", id, sizeof id), 0);
    const std::string key = std::string("SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\") + id;
    ASSERT_EQ(Zarn9100QueryRegistryNumber(key.c_str(), "ControlFlags", &value), 0);
    int active = -1;
    ASSERT_EQ(Zarn9100QueryWZCStatusCheck(&active), 0);
    EXPECT_EQ(active, 0);
    ASSERT_EQ(Zarn9100SetRegistryNumber(key.c_str(), "ControlFlags", value | 0x8000), 0);
    ASSERT_EQ(Zarn9100QueryWZCStatusCheck(&active), 0);
    EXPECT_EQ(active, 1);
    EXPECT_NE(Zarn9100QueryRegistryNumber(path, "NetCfgInstanceId", &value), 0) << "a text is not a number";

    ASSERT_EQ(Zarn9100SetProfileInUse(h, "Office", 6), 0);
    char name[40];
    ASSERT_EQ(Zarn9100QueryProfileInUse(h, name, sizeof name), 0);
    EXPECT_STREQ(name, "Office");
}

TEST_F(SimulatedCardTest, RegionControl) {
    _ZARN9100_REGION_CTRL region{};
    ASSERT_EQ(Zarn9100QueryRegionCtrl(h, &region), 0);
    EXPECT_EQ(region.mode, 1);
    EXPECT_EQ(region.channelRanges[0][1], 11);
    _ZARN9100_REGION_CTRL strict{};
    strict.mode = 3;
    strict.countryCode[0] = 'D';
    strict.countryCode[1] = 'E';
    strict.environment = ' ';
    strict.maxTxPower = 20;
    strict.channelRanges[0][0] = 1;
    strict.channelRanges[0][1] = 13;
    strict.channelRanges[1][0] = 36;  // not a 2.4 GHz range: ends the list
    strict.channelRanges[1][1] = 4;
    ASSERT_EQ(Zarn9100SetRegionCtrl(h, &strict), 0);
    ASSERT_EQ(Zarn9100QueryRegionCtrl(h, &region), 0);
    EXPECT_EQ(region.mode, 3);
    EXPECT_EQ(region.countryCode[1], 'E');
    EXPECT_EQ(region.maxTxPower, 20);
    EXPECT_EQ(region.channelRanges[1][0], 0);
    strict.mode = 4;
    EXPECT_EQ(Zarn9100SetRegionCtrl(h, &strict), 6);
}

TEST_F(SimulatedCardTest, LongestSsidFitsTheCallersThirtyTwoBytes) {
    const std::string ssid(32, 'S');
    ASSERT_EQ(Control(R"(["add","ssid=)" + ssid + R"(","bssid=00:11:22:33:44:55","channel=1"])"), "added " + ssid);
    ASSERT_EQ(connectOpen(ssid.c_str()), 0);
    char buffer[33] = {};
    ASSERT_EQ(Zarn9100QuerySsid(h, buffer, 32), 0);
    EXPECT_EQ(std::string(buffer), ssid);
    char small[8];
    EXPECT_EQ(Zarn9100QuerySsid(h, small, sizeof small), 7);
}

}  // namespace
}  // namespace tembrel::testing

namespace tembrel::testing {
namespace {

std::array<uint8_t, 6> CardMac() {
    TembrelSimReset();
    ZARN9100_HANDLE handle = nullptr;
    Zarn9100OpenAdapter(&handle);
    std::array<uint8_t, 6> mac{};
    Zarn9100GetMacAddress(handle, mac.data(), 6);
    Zarn9100CloseAdapter(&handle);
    return mac;
}

TEST_F(SimulatedCardTest, HostInterfaceVariableLendsTheCardItsAddress) {
    const std::array<uint8_t, 6> builtIn{0x02, 0x7E, 0x3C, 0x4C, 0x01, 0x01};
    setenv("TEMBREL_SIM_HOST_INTERFACE", "none", 1);
    EXPECT_EQ(CardMac(), builtIn);

    setenv("TEMBREL_SIM_HOST_INTERFACE", "lo", 1);  // every Linux host has it: 00:00:00:00:00:00
    EXPECT_EQ(CardMac(), (std::array<uint8_t, 6>{}));

    for (const char* bad : {"../etc", "no-such-interface-x"}) {
        setenv("TEMBREL_SIM_HOST_INTERFACE", bad, 1);
        EXPECT_EQ(CardMac(), builtIn) << bad;
    }
    setenv("TEMBREL_SIM_HOST_INTERFACE", "none", 1);
    EXPECT_EQ(CardMac(), builtIn);
    unsetenv("TEMBREL_SIM_HOST_INTERFACE");
}

}  // namespace
}  // namespace tembrel::testing
