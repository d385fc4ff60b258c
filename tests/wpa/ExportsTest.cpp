// The C ABI of libTembrelWpa.so with its card on a scripted control socket: handles, the
// receiver contract, documented failures for what a Linux card cannot do.

#include "FakeSupplicant.h"
#include "tests/support/AbiArgumentRows.h"
#include "tests/support/TempFolder.h"

#include <Tembrel.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tembrel::wpa::testing::FakeSupplicant;
using tembrel::wpa::testing::ScriptedReply;
using tembrel::testing::TempFolder;

// One card per process: the library makes it at the first call, from the environment.
class ExportsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = std::make_unique<TempFolder>("tembrel_wpa_abi_");
        ASSERT_TRUE(root_->made());
        const fs::path dev = *root_ / "sys/class/net/wlan0";
        fs::create_directories(dev / "wireless");
        fs::create_directories(dev / "statistics");
        fs::create_directories(*root_ / "run");
        std::ofstream(dev / "address") << "02:00:00:aa:bb:cc\n";
        std::ofstream(dev / "statistics/tx_packets") << "77\n";
        std::ofstream(dev / "statistics/rx_packets") << "1234\n";
        supplicant_ = std::make_unique<FakeSupplicant>((*root_ / "run/wlan0").string(), [](const std::string& c) {
            if (c == "STATUS")
                return ScriptedReply{"bssid=00:11:22:33:44:04\nfreq=2462\nssid=HomeCcmp\nwpa_state=COMPLETED\n", {}};
            if (c == "SIGNAL_POLL") return ScriptedReply{"RSSI=-48\nLINKSPEED=54\nNOISE=9999\nFREQUENCY=2462\n", {}};
            if (c == "SCAN") return ScriptedReply{"OK\n", {"<3>CTRL-EVENT-SCAN-RESULTS "}};
            if (c.rfind("BSS", 0) == 0) return ScriptedReply{"", {}};
            if (c == "ADD_NETWORK") return ScriptedReply{"0\n", {}};
            if (c == "SELECT_NETWORK 0")
                return ScriptedReply{"OK\n", {"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:04 completed"}};
            return ScriptedReply{"OK\n", {}};
        });
        ::setenv("TEMBREL_WPA_SYSFS", (*root_ / "sys").c_str(), 1);
        ::setenv("TEMBREL_WPA_CTRL_DIR", (*root_ / "run").c_str(), 1);
    }
    static void TearDownTestSuite() {
        // The library's card stays until the process ends, its supplicant gone.
        supplicant_.reset();
        root_.reset();
    }
    static inline std::unique_ptr<TempFolder> root_;
    static inline std::unique_ptr<FakeSupplicant> supplicant_;
};

TEST_F(ExportsTest, AnOpenHandleReadsTheCardAndAClosedOneFails) {
    ZARN9100_HANDLE h = nullptr;
    ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
    ASSERT_NE(h, nullptr);
    uint8_t mac[6] = {};
    EXPECT_EQ(Zarn9100GetMacAddress(h, mac, 6), 0);
    EXPECT_EQ(mac[5], 0xcc);
    EXPECT_EQ(Zarn9100GetConnectStatus(h), 1);
    char ssid[33] = {};
    EXPECT_EQ(Zarn9100QuerySsid(h, ssid, 32), 0);
    EXPECT_STREQ(ssid, "HomeCcmp");
    uint32_t channel = 0, speed = 0;
    EXPECT_EQ(Zarn9100QueryChannel(h, &channel), 0);
    EXPECT_EQ(channel, 11u);
    EXPECT_EQ(Zarn9100QueryLinkSpeed(h, &speed), 0);
    EXPECT_EQ(speed, 540000u);
    int32_t rssi = 0;
    EXPECT_EQ(Zarn9100QueryRssi(h, &rssi), 0);
    EXPECT_EQ(rssi, -48);
    _NDIS_802_11_STATISTICS stats{};
    EXPECT_EQ(Zarn9100QueryStatistics(h, &stats), 0);
    EXPECT_EQ(stats.ReceivedFragmentCount, 1234);
    EXPECT_EQ(stats.TransmittedFragmentCount, 77);

    ZARN9100_HANDLE stale = h;
    EXPECT_EQ(Zarn9100CloseAdapter(&h), 0);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(Zarn9100GetMacAddress(stale, mac, 6), 5);
    EXPECT_EQ(Zarn9100GetConnectStatus(stale), 0);
    EXPECT_EQ(Zarn9100QueryDhcp9x(stale), 0);
    EXPECT_EQ(Zarn9100CloseAdapter(&stale), 5);
}

TEST_F(ExportsTest, WhatALinuxCardCannotDoFailsWithResultEight) {
    ZARN9100_HANDLE h = nullptr;
    ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
    uint32_t v = 0;
    EXPECT_EQ(Zarn9100SetBoostMode(h, 1), 8);
    EXPECT_EQ(Zarn9100QueryTxAntenna(h, &v), 8);
    EXPECT_EQ(Zarn9100SetSignalThreshold(h, 50), 8);
    EXPECT_EQ(Zarn9100QueryRfRegister(h, 0, &v), 8);
    EXPECT_EQ(Zarn9100SetMacRegister(h, 0, 1), 8);
    _QELT_FASTJOIN_SSID_INFO info{};
    EXPECT_EQ(Zarn9100QueryFastjoinAPInfo(h, &info), 8);
    EXPECT_EQ(Zarn9100QueryRegistryNumber("SYSTEM", "x", &v), 8);
    EXPECT_EQ(Zarn9100QueryTxAntenna(h, nullptr), 6);
    EXPECT_EQ(Zarn9100SetWepKey(h, 5, reinterpret_cast<const uint8_t*>("12345"), 5, 1), 6);
    EXPECT_EQ(Zarn9100SetSsid(h, "x", 33, 0), 6);
    EXPECT_EQ(Zarn9100RadarDetected(h), 8);
    EXPECT_EQ(Zarn9100SetAdHocWlanMode(h, 2), 8);
    EXPECT_EQ(Zarn9100SetAdHocWlanMode(h, 3), 6);
    EXPECT_EQ(Zarn9100SetProfileInUse(h, nullptr, 0), 8);
    EXPECT_EQ(Zarn9100SetProfileInUse(h, nullptr, 4), 6);
    EXPECT_EQ(Zarn9100SetProfileInUse(h, "x", 65), 6);
    EXPECT_EQ(Zarn9100CloseAdapter(&h), 0);
    EXPECT_EQ(Zarn9100SetBoostMode(h, 1), 5) << "a closed handle before all else";
}

TEST_F(ExportsTest, RefusesTheArgumentsEveryLibraryRefuses) {
    ZARN9100_HANDLE h = nullptr;
    ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
    for (const auto& row : tembrel::testing::kRefusedArguments) EXPECT_EQ(row.run(h), 6) << row.call;
    EXPECT_EQ(Zarn9100CloseAdapter(&h), 0);
}

TEST_F(ExportsTest, AScanListBufferTooSmallFailsNegatively) {
    ZARN9100_HANDLE h = nullptr;
    ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
    uint8_t buffer[4] = {0xff, 0xff, 0xff, 0xff};
    uint32_t length = 0;
    EXPECT_EQ(Zarn9100QueryScanListLength(h, buffer, 3, &length), -6);
    EXPECT_EQ(Zarn9100QueryScanListLength(h, buffer, 4, &length), 0);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(Zarn9100CloseAdapter(&h), 0);
}

// What a network is given never comes from an earlier one, nor from a call that was refused.
TEST_F(ExportsTest, RefusedCallsAndEarlierNetworksLeaveNoKeysOrCredentials) {
    ZARN9100_HANDLE h = nullptr;
    ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
    const auto key = [](char c) { return std::vector<uint8_t>(5, uint8_t(c)); };
    const auto sentSince = [&](size_t mark) {
        const auto all = supplicant_->commands();
        std::string out;
        for (size_t i = mark; i < all.size(); ++i) out += all[i] + ";";
        return out;
    };
    ASSERT_EQ(Zarn9100SetAuthMode(h, 0), 0);
    ASSERT_EQ(Zarn9100SetWepStatus(h, 0), 0);
    ASSERT_EQ(Zarn9100SetWepKey(h, 1, key('a').data(), 5, 1), 0);
    ASSERT_EQ(Zarn9100SetWepKey(h, 2, key('b').data(), 5, 0), 0);
    ASSERT_EQ(Zarn9100SetSsid(h, "Net", 3, 1), 0);

    // The next WEP network: key 2 refused, key 3 never set.
    ASSERT_EQ(Zarn9100SetWepKey(h, 1, key('c').data(), 5, 1), 0);
    ASSERT_EQ(Zarn9100SetWepKey(h, 3, key('d').data(), 5, 0), 0);
    EXPECT_EQ(Zarn9100SetWepKey(h, 3, key('d').data(), 7, 0), 6);
    size_t mark = supplicant_->commands().size();
    ASSERT_EQ(Zarn9100SetSsid(h, "Net", 3, 1), 0);
    EXPECT_NE(sentSince(mark).find("wep_key0 6363636363;"), std::string::npos) << sentSince(mark);
    EXPECT_EQ(sentSince(mark).find("wep_key1"), std::string::npos) << sentSince(mark);
    EXPECT_EQ(sentSince(mark).find("wep_key2"), std::string::npos) << sentSince(mark);

    // WPA2 802.1x: bob's identity, then one refused for its control character.
    ASSERT_EQ(Zarn9100SetAuthMode(h, 6), 0);
    ASSERT_EQ(Zarn9100SetWepStatus(h, 6), 0);
    ASSERT_EQ(Zarn9100WPACreateIdentityPEAP("bob", "", "secret"), 0);
    EXPECT_EQ(Zarn9100WPACreateIdentityPEAP("eve\n", "", "secret"), 6);
    mark = supplicant_->commands().size();
    EXPECT_EQ(Zarn9100SetSsid(h, "Net", 3, 1), 2);
    EXPECT_EQ(sentSince(mark).find("bob"), std::string::npos) << sentSince(mark);
    EXPECT_EQ(Zarn9100CloseAdapter(&h), 0);
}

struct BlockingReceiver {
    std::mutex mutex;
    std::condition_variable changed;
    bool inside = false;
    bool release = false;
    std::atomic<int> calls{0};
    static void Notify(void* context, uint32_t, uintptr_t code, intptr_t) {
        auto* self = static_cast<BlockingReceiver*>(context);
        if (code != 6) return;
        self->calls++;
        std::unique_lock lock(self->mutex);
        self->inside = true;
        self->changed.notify_all();
        self->changed.wait(lock, [&] { return self->release; });
        self->inside = false;
    }
};

TEST_F(ExportsTest, ReplacingTheReceiverWaitsForTheDeliveryUnderWay) {
    ZARN9100_HANDLE h = nullptr;
    ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
    BlockingReceiver receiver;
    const ZARN9100_EVENT_SINK sink{&BlockingReceiver::Notify, &receiver};
    ASSERT_EQ(Zarn9100Initialize(&sink), 0);
    ASSERT_EQ(Zarn9100Scan(h), 0);
    {
        std::unique_lock lock(receiver.mutex);
        ASSERT_TRUE(receiver.changed.wait_for(lock, std::chrono::seconds(20), [&] { return receiver.inside; }));
    }
    std::atomic<bool> replaced{false};
    std::thread replacer([&] {
        Zarn9100Initialize(nullptr);
        replaced = true;
    });
    {
        std::lock_guard lock(receiver.mutex);
        // Still inside the delivery: the replacement cannot have returned.
        EXPECT_FALSE(replaced);
        receiver.release = true;
    }
    receiver.changed.notify_all();
    replacer.join();
    EXPECT_TRUE(replaced);
    EXPECT_FALSE(receiver.inside);
    EXPECT_EQ(receiver.calls, 1);
    EXPECT_EQ(Zarn9100CloseAdapter(&h), 0);
}

}  // namespace
