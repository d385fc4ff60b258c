#include "connection/StatusRefresher.h"
#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tembrel::testing {
namespace {

class StatusRefresherTest : public ::testing::Test {
protected:
    StatusRefresherTest() {
        handle.exclusive([&](ZARN9100_HANDLE* h) {
            *h = driver.adapterHandle();
            return 0;
        });
        driver.setOutBytes("QueryBssid", {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E});
        driver.setOutU32("QueryNetworkMode", 1);
        driver.setOutU32("QueryAuthMode", 4);
        driver.setOutU32("QueryWepStatus", 4);
        driver.setOutU32("QueryChannel", 6);
        driver.setOutU32("QueryWlanMode", 0);
        driver.setOutText("QuerySsid", "office");
    }

    RecordingDriver driver;
    AdapterHandle handle;
    ConnectionSnapshotHolder snapshot;
    std::vector<int> trayStates;
    StatusRefresher refresher{driver, handle, snapshot, [this](int s) { trayStates.push_back(s); }};
};

TEST_F(StatusRefresherTest, QueriesInOrderAndPublishesConnected) {
    refresher.RefreshStatus(true);
    EXPECT_EQ(driver.callTexts(),
              (std::vector<std::string>{"QueryNetworkMode(h, out)", "QueryAuthMode(h, out)", "QueryWepStatus(h, out)",
                                        "QueryBssid(h, out)", "QueryChannel(h, out)", "QueryWlanMode(h, out)",
                                        "QuerySsid(h, out, 32)"}));
    const ConnectionSnapshot s = snapshot.copy();
    EXPECT_EQ(s.connected, 1u);
    EXPECT_EQ(s.adHocStarted, 0u);
    EXPECT_EQ(s.ssid(), "office");
    EXPECT_EQ(s.currentBssid, (std::array<uint8_t, 6>{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    EXPECT_EQ(s.currentNetworkMode, 1u);
    EXPECT_EQ(s.currentAuthMode, 4u);
    EXPECT_EQ(s.encryptionStatus, 4u);
    EXPECT_EQ(s.currentChannel, 6u);
    EXPECT_EQ(s.frequencyMHz, 2437u);
    EXPECT_EQ(trayStates, std::vector<int>{1});
}

TEST_F(StatusRefresherTest, NotConnectedWithALinkPublishesNoConnection) {
    refresher.RefreshStatus(false);
    EXPECT_EQ(snapshot.copy().connected, 0u);
    EXPECT_EQ(snapshot.copy().ssid(), "office");
    EXPECT_EQ(trayStates, std::vector<int>{2});
}

struct ChannelRow {
    uint32_t channel;
    uint32_t frequencyMHz;
    bool wlanModeQueried;
    uint32_t wlanMode;  // the library answers 1 when asked
};

class ChannelTest : public StatusRefresherTest, public ::testing::WithParamInterface<ChannelRow> {};

TEST_P(ChannelTest, FrequencyAndWirelessMode) {
    const ChannelRow row = GetParam();
    driver.setOutU32("QueryChannel", row.channel);
    driver.setOutU32("QueryWlanMode", 1);
    refresher.RefreshStatus(true);
    const ConnectionSnapshot s = snapshot.copy();
    EXPECT_EQ(s.frequencyMHz, row.frequencyMHz);
    EXPECT_EQ(s.currentWlanMode, row.wlanMode);
    EXPECT_EQ(driver.count("QueryWlanMode"), row.wlanModeQueried ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Channels, ChannelTest,
                         ::testing::Values(ChannelRow{1, 2412, true, 1}, ChannelRow{13, 2472, true, 1},
                                           ChannelRow{14, 2484, true, 1}, ChannelRow{36, 5180, false, 2},
                                           ChannelRow{48, 5240, false, 2}, ChannelRow{52, 5260, false, 2},
                                           ChannelRow{64, 5320, false, 2}, ChannelRow{149, 5745, false, 2},
                                           ChannelRow{165, 5825, false, 2}));

TEST(FrequencyForChannel, NumbersNoChannelHasGiveNoFrequency) {
    EXPECT_EQ(FrequencyForChannelMHz(200), 6000u);
    EXPECT_EQ(FrequencyForChannelMHz(201), 0u);
    EXPECT_EQ(FrequencyForChannelMHz(0xFFFFFFFFu), 0u);
}

TEST_F(StatusRefresherTest, ZeroBssidEmptiesTheSnapshotAndShowsNoConnection) {
    driver.setOutBytes("QueryBssid", {0, 0, 0, 0, 0, 0});
    refresher.RefreshStatus(true);
    EXPECT_EQ(snapshot.copy(), ConnectionSnapshot{});
    EXPECT_EQ(trayStates, std::vector<int>{2});
}

TEST_F(StatusRefresherTest, WithoutACardClearsAndShowsUnplugged) {
    snapshot.write(ConnectionSnapshot{.connected = 1, .adHocStarted = 1});
    handle.exclusive([](ZARN9100_HANDLE* h) {
        *h = nullptr;
        return 0;
    });
    refresher.RefreshStatus(true);
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_EQ(snapshot.copy(), ConnectionSnapshot{});
    EXPECT_EQ(trayStates, std::vector<int>{0});
}

struct AdHocRow {
    uint32_t networkMode;
    std::string ssid;
    uint32_t adHocStarted;
};

class AdHocTest : public StatusRefresherTest, public ::testing::WithParamInterface<AdHocRow> {};

TEST_P(AdHocTest, AdHocStartedNeedsAdHocModeAndAnSsid) {
    driver.setOutU32("QueryNetworkMode", GetParam().networkMode);
    driver.setOutText("QuerySsid", GetParam().ssid);
    refresher.RefreshStatus(false);
    EXPECT_EQ(snapshot.copy().adHocStarted, GetParam().adHocStarted);
    EXPECT_EQ(trayStates, std::vector<int>{2});
}

INSTANTIATE_TEST_SUITE_P(Modes, AdHocTest,
                         ::testing::Values(AdHocRow{0, "party", 1}, AdHocRow{0, "", 0}, AdHocRow{1, "office", 0}));

struct EncryptionRow {
    uint32_t stored;
    bool queried;
};

class EncryptionStatusTest : public StatusRefresherTest, public ::testing::WithParamInterface<EncryptionRow> {};

TEST_P(EncryptionStatusTest, KeyAbsentIsReadAgain) {
    ConnectionSnapshot s;
    s.connected = 1;
    s.encryptionStatus = GetParam().stored;
    snapshot.write(s);
    driver.setOutU32("QueryWepStatus", 6);
    const uint32_t status = refresher.QueryEncryptionStatus();
    EXPECT_EQ(driver.count("QueryWepStatus"), GetParam().queried ? 1u : 0u);
    EXPECT_EQ(status, GetParam().queried ? 6u : GetParam().stored);
    EXPECT_EQ(snapshot.copy().encryptionStatus, status);
    EXPECT_EQ(snapshot.copy().connected, 1u);
}

INSTANTIATE_TEST_SUITE_P(Statuses, EncryptionStatusTest,
                         ::testing::Values(EncryptionRow{0, false}, EncryptionRow{1, false}, EncryptionRow{2, true},
                                           EncryptionRow{4, false}, EncryptionRow{5, true}, EncryptionRow{6, false},
                                           EncryptionRow{7, true}));

TEST_F(StatusRefresherTest, EncryptionStatusWithoutACardKeepsTheStoredValue) {
    ConnectionSnapshot s;
    s.encryptionStatus = 5;
    snapshot.write(s);
    handle.exclusive([](ZARN9100_HANDLE* h) {
        *h = nullptr;
        return 0;
    });
    EXPECT_EQ(refresher.QueryEncryptionStatus(), 5u);
    EXPECT_TRUE(driver.calls().empty());
}

}  // namespace
}  // namespace tembrel::testing
