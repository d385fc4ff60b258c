#include "pages/monitoring/logic/MainPageModel.h"

#include "FakeMainPageSource.h"
#include "tests/support/FakeIpHelper.h"

#include <gtest/gtest.h>

#include <functional>

namespace tembrel::monitoring {
namespace {

constexpr MacAddress kCardMac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

class MainPageModelTest : public ::testing::Test {
protected:
    MainPageModelTest() {
        source.mac = kCardMac;
        AdapterAddressInfo info;
        info.interfaceName = "wlan0";
        info.interfaceIndex = 7;
        info.mac = kCardMac;
        info.dhcpEnabled = true;
        info.ipAddress = 0xC0A80114;
        info.subnetMask = 0xFFFFFF00;
        info.defaultGateway = 0xC0A80101;
        ip.adapters.push_back(info);
        setCounters(0, 0);
    }
    void setCounters(uint32_t out, uint32_t in) {
        InterfaceCounters row;
        row.type = kInterfaceTypeEthernet;
        row.physicalAddressLength = 6;
        row.physicalAddress = kCardMac;
        row.outOctets = out;
        row.inOctets = in;
        ip.counters[7] = row;
    }
    std::vector<uint32_t> valuesFor(Graph graph) const {
        std::vector<uint32_t> result;
        for (const auto& [g, v] : output.values) {
            if (g == graph) {
                result.push_back(v);
            }
        }
        return result;
    }

    FakeMainPageSource source;
    FakeIpHelper ip;
    RecordingOutput output;
    MainPageModel model{source, ip, output};
};

TEST_F(MainPageModelTest, StatusTextsForEachLinkState) {
    struct Row {
        const char* name;
        bool adapter, radio, connected, adHocStarted;
        uint32_t networkType;
        const char* status;
        bool linkShown;
    };
    const Row rows[] = {
        {"card unplugged", false, true, true, false, 1, "Card Unplugged", false},
        {"no radio", true, false, true, false, 1, "No Radio", false},
        {"no connection", true, true, false, false, 1, "No Connection", false},
        {"ad hoc waiting for peer", true, true, false, true, 0, "Waiting for peer...", true},
        {"ad hoc with peer", true, true, true, true, 0, "Connected", true},
        {"infrastructure", true, true, true, false, 1, "Connected", true},
    };
    for (const auto& row : rows) {
        source.connectInfrastructure();
        source.adapter = row.adapter;
        source.radio = row.radio;
        source.facts.connected = row.connected;
        source.facts.adHocStarted = row.adHocStarted;
        source.facts.networkType = row.networkType;
        source.encryption = 6;
        model.refreshLink();
        const auto& view = model.view();
        EXPECT_EQ(view.status, row.status) << row.name;
        if (row.linkShown) {
            EXPECT_EQ(view.ssid, "HomeNet") << row.name;
            EXPECT_EQ(view.bssid, "00 11 22 AA BB CC") << row.name;
            EXPECT_EQ(view.networkType, row.networkType == 0 ? "Ad-Hoc" : "Infrastructure") << row.name;
            EXPECT_EQ(view.security, "AES") << row.name;
            EXPECT_EQ(view.channelCaption, "Channel 6 (2.437 GHz)") << row.name;
            EXPECT_EQ(view.linkIcon, kIconBandG) << row.name;
        } else {
            EXPECT_EQ(view.ssid, "") << row.name;
            EXPECT_EQ(view.bssid, "") << row.name;
            EXPECT_EQ(view.security, "") << row.name;
            EXPECT_EQ(view.ipAddress, "") << row.name;
            EXPECT_EQ(view.channelCaption, "Channel Performance") << row.name;
            EXPECT_EQ(view.linkIcon, kIconNoLink) << row.name;
            EXPECT_EQ(view.signalBar, 0) << row.name;
        }
    }

    // A link without a channel the library can report: no "Channel 0".
    source.connectInfrastructure();
    source.facts.channel = 0;
    source.facts.frequencyMHz = 5000;
    model.refreshLink();
    EXPECT_EQ(model.view().status, "Connected");
    EXPECT_EQ(model.view().channelCaption, "Channel Performance");
}

TEST_F(MainPageModelTest, LinkIconByBand) {
    source.connectInfrastructure();
    const std::pair<uint32_t, int> rows[] = {{0, kIconBandG}, {1, kIconBandB}, {2, kIconBandA}, {7, kIconBandG}};
    for (const auto& [band, icon] : rows) {
        source.facts.wirelessMode = band;
        model.refreshLink();
        EXPECT_EQ(model.view().linkIcon, icon) << band;
    }
}

TEST_F(MainPageModelTest, ConnectedTickShowsSignalSpeedThroughputAndTcpIp) {
    source.connectInfrastructure();
    source.rssi = -56;             // level 40
    source.linkSpeed = 540000;
    model.activate();              // baseline taken at tick 1000
    source.tick = 2000;
    setCounters(125000, 12500);    // 1 Mbit/s out, 100 kbit/s in
    model.periodicUpdate();

    const auto& view = model.view();
    EXPECT_EQ(view.signalBar, 40);
    EXPECT_EQ(view.linkSpeed, "54 Mbps");
    EXPECT_EQ(view.txRate, "Current Tx Rate: 1.0 Mbps");
    EXPECT_EQ(view.rxRate, "Current Rx Rate: 100.0 Kbps");
    EXPECT_EQ(view.dhcp, "Enable");
    EXPECT_EQ(view.ipAddress, "192.168.1.20");
    EXPECT_EQ(view.subnetMask, "255.255.255.0");
    EXPECT_EQ(view.defaultGateway, "192.168.1.1");
    EXPECT_EQ(view.txLabels.top, "1.2 Mbps");
    EXPECT_EQ(view.rxLabels.top, "120.0 Kbps");
    EXPECT_EQ(view.rxLabels.middle, "60.0 Kbps");
    ASSERT_EQ(output.ranges.size(), 2u);
    EXPECT_EQ(output.ranges[0], std::make_pair(Graph::Transmit, 1200000u));
    EXPECT_EQ(output.ranges[1], std::make_pair(Graph::Receive, 120000u));
    EXPECT_EQ(valuesFor(Graph::Transmit).back(), 1000000u);
    EXPECT_EQ(valuesFor(Graph::Receive).back(), 100000u);
}

// The graphs step once a second for as long as the window exists: after a minute off screen the
// page, shown again, takes the missed steps with the throughput averaged over that minute.
TEST_F(MainPageModelTest, GraphsCatchUpTheStepsMissedWhileThePageWasNotShown) {
    source.connectInfrastructure();
    model.activate();  // tick 1000: the first step
    source.tick = 2000;
    model.periodicUpdate();
    model.deactivate();
    source.tick = 62000;               // a minute later
    setCounters(7500000, 750000);      // 1 Mbit/s out, 100 kbit/s in over that minute
    model.activate();
    EXPECT_EQ(valuesFor(Graph::Transmit).back(), 1000000u);
    source.tick = 62400;               // shown again within the same second: no extra step
    model.deactivate();
    model.activate();
    source.tick = 63000;
    model.periodicUpdate();
    EXPECT_EQ(output.steps, (std::vector<int>{1, 1, 60, 1}));
}

TEST_F(MainPageModelTest, TwoTicksWithTheSameTickCountGiveNoNewRates) {
    source.connectInfrastructure();
    model.activate();
    source.tick = 2000;
    setCounters(1000, 1000);
    model.periodicUpdate();
    const auto valuesAfterFirst = output.values.size();
    const auto txText = model.view().txRate;
    setCounters(900000, 900000);
    model.periodicUpdate();  // tick unchanged
    EXPECT_EQ(output.values.size(), valuesAfterFirst);
    EXPECT_EQ(model.view().txRate, txText);
}

TEST_F(MainPageModelTest, ThroughputAcrossA32BitCounterWrap) {
    source.connectInfrastructure();
    setCounters(0xFFFFFF83, 0xFFFFFFFF);
    model.activate();
    source.tick = 2000;
    setCounters(125, 999);  // 250 and 1000 octets, both past the wrap
    model.periodicUpdate();
    EXPECT_EQ(model.view().txRate, "Current Tx Rate: 2.0 Kbps");
    EXPECT_EQ(model.view().rxRate, "Current Rx Rate: 8.0 Kbps");
}

TEST_F(MainPageModelTest, ZeroRateIsPlottedAsOne) {
    source.connectInfrastructure();
    model.activate();
    source.tick = 2000;
    model.periodicUpdate();
    EXPECT_EQ(model.view().txRate, "Current Tx Rate: 0 bps");
    EXPECT_EQ(valuesFor(Graph::Transmit).back(), 1u);
    EXPECT_TRUE(output.ranges.empty());  // a zero peak keeps the initial scale
}

TEST_F(MainPageModelTest, ScaleShrinksWhenThePeakLeavesTheHistory) {
    source.connectInfrastructure();
    model.activate();
    uint32_t out = 0;
    auto tickWith = [&](uint32_t octets) {
        source.tick += 1000;
        out += octets;
        setCounters(out, 0);
        model.periodicUpdate();
    };
    tickWith(12500);  // 100,000 bit/s
    EXPECT_EQ(model.view().txLabels.top, "120.0 Kbps");
    EXPECT_EQ(model.view().txLabels.middle, "60.0 Kbps");
    for (int i = 0; i < 59; ++i) {
        tickWith(1);  // 8 bit/s
    }
    EXPECT_EQ(model.view().txLabels.top, "120.0 Kbps");
    tickWith(1);
    EXPECT_EQ(model.view().txLabels.top, "200 bps");
    EXPECT_EQ(model.view().txLabels.middle, "100 bps");
    EXPECT_EQ(output.ranges.back(), std::make_pair(Graph::Transmit, 200u));
}

TEST_F(MainPageModelTest, NotConnectedTickClearsRatesAndBaseline) {
    model.activate();  // "No Connection"
    EXPECT_EQ(model.view().status, "No Connection");
    EXPECT_EQ(model.view().txRate, "Current Tx Rate:");
    EXPECT_EQ(model.view().rxRate, "Current Rx Rate:");
    EXPECT_EQ(valuesFor(Graph::Transmit), std::vector<uint32_t>{1});
    EXPECT_EQ(valuesFor(Graph::Receive), std::vector<uint32_t>{1});
    EXPECT_EQ(ip.counterReads, 0);
}

TEST_F(MainPageModelTest, AdapterNotUsablePausesUpdates) {
    source.connectInfrastructure();
    model.activate();
    model.onAdapterState(false);
    const auto values = output.values.size();
    source.tick = 5000;
    model.periodicUpdate();
    EXPECT_EQ(output.values.size(), values);
    model.onAdapterState(true);
    model.periodicUpdate();
    EXPECT_GT(output.values.size(), values);
}

TEST_F(MainPageModelTest, RefreshClearsBusyAndRunsAnUpdateWhileTheTimerRuns) {
    source.connectInfrastructure();
    model.onAdapterState(false);
    model.refreshLink();  // timer not running: no update
    EXPECT_FALSE(model.busy());
    EXPECT_TRUE(output.values.empty());
    model.activate();
    const auto values = output.values.size();
    source.tick = 3000;
    model.refreshLink();
    EXPECT_GT(output.values.size(), values);
    model.deactivate();
    EXPECT_FALSE(model.timerRunning());
}

TEST_F(MainPageModelTest, InterfaceNotFoundLeavesTcpIpEmpty) {
    source.connectInfrastructure();
    ip.adapters.clear();
    model.activate();
    EXPECT_EQ(model.view().status, "Connected");
    EXPECT_EQ(model.view().ipAddress, "");
    EXPECT_EQ(model.view().dhcp, "");
}

TEST_F(MainPageModelTest, CounterRowOfAnotherCardIsIgnored) {
    source.connectInfrastructure();
    model.activate();
    ip.counters[7].physicalAddress[5] ^= 1;
    source.tick = 2000;
    model.periodicUpdate();
    EXPECT_EQ(model.view().txRate, "");
}

TEST_F(MainPageModelTest, DhcpFromTheCardOnOsFamilyThree) {
    source.connectInfrastructure();
    source.family = 3;
    source.dhcp9x = false;
    model.activate();
    EXPECT_EQ(model.view().dhcp, "Disable");
    source.family = 1;
    model.periodicUpdate();
    EXPECT_EQ(model.view().dhcp, "Enable");
}

TEST_F(MainPageModelTest, LinkSpeedKeepsThePeakUnlessRefreshRatePS) {
    for (uint32_t refreshRate : {0u, 1u}) {
        source.connectInfrastructure();
        source.refreshRate = refreshRate;
        source.linkSpeed = 540000;
        model.activate();
        source.linkSpeed = 110000;
        source.tick += 1000;
        model.periodicUpdate();
        EXPECT_EQ(model.view().linkSpeed, refreshRate == 0 ? "54 Mbps" : "11 Mbps") << refreshRate;
    }
}

TEST_F(MainPageModelTest, LinkSpeedBeyondTheCardsFastestRateIsNotShown) {
    source.connectInfrastructure();
    source.refreshRate = 1;
    source.linkSpeed = 1080000;
    model.activate();
    EXPECT_EQ(model.view().linkSpeed, "108 Mbps");
    for (const uint32_t nonsense : {1080001u, 0x80000000u, 0xFFFFFFFFu}) {
        source.linkSpeed = nonsense;
        source.tick += 1000;
        model.periodicUpdate();
        EXPECT_EQ(model.view().linkSpeed, "108 Mbps") << nonsense;
    }
}

TEST_F(MainPageModelTest, NotificationTable) {
    source.connectInfrastructure();
    struct Row {
        uint32_t code;
        bool stopping;
        bool monitor;
        const char* expectedStatus;
    };
    const Row rows[] = {
        {0, false, false, "Connected"},   {1, false, false, "Connected"}, {3, false, false, "Connected"},
        {4, false, false, "Connected"},   {1004, false, false, "Connected"}, {5, false, false, "Connected"},
        {5, true, false, "marker"},       {2, false, false, "marker"},    {9, false, false, "marker"},
        {1001, false, false, "Connected"}, {1012, false, true, "marker"},
        // Last: the text is kept from here on (KeptStatusTextTable).
        {1012, false, false, "from library"},
    };
    for (const auto& row : rows) {
        model.notify(1003, "marker");
        source.stoppingFlag = row.stopping;
        source.monitor = row.monitor;
        model.notify(row.code, "from library");
        EXPECT_EQ(model.view().status, row.expectedStatus) << row.code;
    }
}

// A refused join's text stays the status until the user acts, a link comes up, or the card or
// radio goes: what happens on its own meanwhile (the link refreshed, the next scan) keeps it.
TEST_F(MainPageModelTest, KeptStatusTextTable) {
    const auto home = makeProfile("Home", "Home-WPA2", 1);
    source.list = {home};
    struct Row {
        const char* name;
        std::function<void()> step;
        const char* expectedStatus;
    };
    const std::string refusal = "Cannot join \"Home-WPA2\": the network is out of range";
    const Row rows[] = {
        {"link refreshed", [&] { model.notify(9); }, refusal.c_str()},
        {"timer", [&] { model.periodicUpdate(); }, refusal.c_str()},
        {"next scan", [&] { model.notify(1003, "Scanning for Home-WPA2"); }, refusal.c_str()},
        {"page shown again", [&] { model.activate(); }, refusal.c_str()},
        {"link up", [&] { source.connectInfrastructure(); model.notify(1); }, "Connected"},
        {"user picks a profile", [&] { model.chooseProfile(home); }, "Scanning for Home-WPA2"},
        {"card pulled", [&] { source.adapter = false; model.refreshLink(); }, "Card Unplugged"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        source.adapter = true;
        source.facts.connected = false;
        model.refreshLink();
        model.notify(1012, refusal);
        row.step();
        EXPECT_EQ(model.view().status, row.expectedStatus);
        // Whatever ended the text, the next refresh without a link says so plainly.
        source.adapter = true;
        source.facts.connected = false;
        model.refreshLink();
        const bool kept = std::string(row.expectedStatus) == refusal;
        EXPECT_EQ(model.view().status, kept ? refusal : "No Connection");
        if (kept) model.chooseProfile(home);
    }
}

TEST_F(MainPageModelTest, ScanningTextClearsTheLinkFields) {
    source.connectInfrastructure();
    model.refreshLink();
    model.notify(1003, "Scanning for HomeNet");
    EXPECT_EQ(model.view().status, "Scanning for HomeNet");
    EXPECT_EQ(model.view().ssid, "");
    EXPECT_EQ(model.view().channelCaption, "Channel Performance");
}

TEST_F(MainPageModelTest, ComboFilledInListOrderOrEmptyInMonitorMode) {
    source.list = {makeProfile("<Default>", "<ANY SSID>", 1), makeProfile("Home", "HomeNet", 1)};
    model.notify(1001);
    EXPECT_EQ(model.view().profiles, source.list);
    EXPECT_TRUE(model.view().profilesEnabled);
    source.monitor = true;
    model.fillProfiles();
    EXPECT_TRUE(model.view().profiles.empty());
    EXPECT_FALSE(model.view().profilesEnabled);
}

TEST_F(MainPageModelTest, ProfileSelectionForTheCurrentLink) {
    source.connectInfrastructure();
    const auto defaultProfile = makeProfile("<Default>", "<ANY SSID>", 1);
    const auto office = makeProfile("Office", "OfficeNet", 1);
    const auto homeAdHoc = makeProfile("HomeAdHoc", "HomeNet", 0);
    const auto home = makeProfile("Home", "HomeNet", 1);
    const auto any = makeProfile("Any", "AnY", 1);
    source.list = {office, homeAdHoc, home, defaultProfile};

    // The profile in use matches: selected without being adopted again.
    source.inUse = home;
    model.fillProfiles();
    model.refreshLink();
    EXPECT_EQ(model.view().selectedProfile, home);
    EXPECT_TRUE(source.adopted.empty());

    // "<ANY SSID>" in use: selected whatever the network.
    source.inUse = defaultProfile;
    model.refreshLink();
    EXPECT_EQ(model.view().selectedProfile, defaultProfile);

    // In use does not match: the first matching item is selected and adopted.
    source.inUse = office;
    model.refreshLink();
    EXPECT_EQ(model.view().selectedProfile, home);
    ASSERT_EQ(source.adopted.size(), 1u);
    EXPECT_EQ(source.adopted[0], home);

    // An SSID of "any" in any case matches every network, in list order.
    source.list = {office, any, home};
    source.inUse = office;
    model.fillProfiles();
    model.refreshLink();
    EXPECT_EQ(model.view().selectedProfile, any);

    // Nothing matches: no selection.
    source.list = {office};
    source.inUse = nullptr;
    model.fillProfiles();
    model.refreshLink();
    EXPECT_EQ(model.view().selectedProfile, nullptr);
}

TEST_F(MainPageModelTest, ChoosingAProfileConnectsWhileStopping) {
    const auto home = makeProfile("Home", "HomeNet", 1);
    const auto defaultProfile = makeProfile("<Default>", "<ANY SSID>", 1);
    source.list = {defaultProfile, home};
    model.fillProfiles();

    source.connectResult = 4;
    model.chooseProfile(home);
    EXPECT_EQ(model.view().status, "Scanning for HomeNet");
    ASSERT_EQ(source.connected.size(), 1u);
    EXPECT_EQ(source.connected[0], home);
    EXPECT_EQ(source.stoppingDuringConnect[0], true);
    EXPECT_FALSE(source.stoppingFlag);
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(output.busyCalls, (std::vector<bool>{true, false}));

    model.chooseProfile(defaultProfile);
    EXPECT_EQ(model.view().status, "Scan for AP with strongest RSSI");

    source.adapter = false;
    model.chooseProfile(home);
    model.chooseProfile(nullptr);
    EXPECT_EQ(source.connected.size(), 2u);
}

TEST_F(MainPageModelTest, ComboRefilledOnlyAfterResultZeroOrFour) {
    const auto home = makeProfile("Home", "HomeNet", 1);
    for (int result : {0, 1, 4, 5}) {
        source.list = {home};
        model.fillProfiles();
        source.list = {home, makeProfile("New", "NewNet", 1)};
        source.connectResult = result;
        model.chooseProfile(home);
        const size_t expected = (result == 0 || result == 4) ? 2u : 1u;
        EXPECT_EQ(model.view().profiles.size(), expected) << result;
    }
}

}  // namespace
}  // namespace tembrel::monitoring
