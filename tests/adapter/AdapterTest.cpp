#include "adapter/Adapter.h"
#include "adapter/RegionTable.h"
#include "AdapterTestHooks.h"
#include "tests/support/PollUntil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace tembrel::testing {
namespace {

using Lines = std::vector<std::string>;

struct RegionRow {
    uint32_t code;
    uint32_t stored, first, last;
};

class RegionTableTest : public ::testing::TestWithParam<RegionRow> {};

TEST_P(RegionTableTest, MapsCodeToStoredCodeAndChannels) {
    const RegionRow row = GetParam();
    const RegionInfo r = LookupRegion(row.code);
    EXPECT_EQ(r.code, row.stored);
    EXPECT_EQ(r.firstChannel, row.first);
    EXPECT_EQ(r.lastChannel, row.last);
}

INSTANTIATE_TEST_SUITE_P(Codes, RegionTableTest,
                         ::testing::Values(RegionRow{0x10, 0x10, 1, 11}, RegionRow{0x20, 0x20, 1, 11},
                                           RegionRow{0x30, 0x30, 1, 13}, RegionRow{0x31, 0x31, 10, 11},
                                           RegionRow{0x32, 0x32, 11, 13}, RegionRow{0x40, 0x40, 1, 14},
                                           RegionRow{0x22, 0x10, 1, 11}, RegionRow{0, 0x10, 1, 11},
                                           RegionRow{0xFFFFFFFF, 0x10, 1, 11}));

class AdapterTest : public ::testing::Test {
protected:
    AdapterTest() : hooks(log), adapter(driver, hooks) { log.attach(driver); }

    CallLog log;
    RecordingDriver driver;
    RecordingHooks hooks;
    Adapter adapter;
};

TEST_F(AdapterTest, OpenWithConnectedCardFollowsTheDocumentedOrder) {
    driver.setOutBytes("GetMacAddress", {0x00, 0x11, 0x22, 0x33, 0x44, 0x55});
    driver.setOutU32("QueryRegionCode", 0x31);
    driver.setResult("GetConnectStatus", 1);
    hooks.connectedAfterRefresh = true;
    hooks.visible = true;
    hooks.boostMode = 0;

    EXPECT_EQ(adapter.OpenAdapter(), 1);
    EXPECT_EQ(log.entries(), (Lines{
                                 "OpenAdapter(&h)",
                                 "GetMacAddress(h, out, 6)",
                                 "QueryRegionCode(h, out)",
                                 "storeChannelRange(10, 11)",
                                 "GetConnectStatus(h)",
                                 "refreshStatus(1)",
                                 "adoptProfileInUse",
                                 "radioCheckEnabled(1)",
                                 "updateRadioUi",
                                 "startSupervisor",
                                 "reselectActivePage",
                                 "event(1001)",
                                 "reapplyProfileInUse",
                                 "SetBoostMode(h, 0)",
                             }));
    EXPECT_EQ(adapter.macAddress(), (std::array<uint8_t, 6>{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(adapter.regionCode(), 0x31u);
    EXPECT_EQ(adapter.radioState, ZARN9100_RADIO_ON);
}

TEST_F(AdapterTest, OpenWithRadioSwitchedOffDisablesTheRadioCheckBox) {
    driver.setOutU32("QueryRegionCode", 0x22);  // outside the table
    driver.setOutU32("QueryRadioControl", ZARN9100_RADIO_SWITCHED_OFF);

    adapter.OpenAdapter();
    EXPECT_EQ(log.entries(), (Lines{
                                 "OpenAdapter(&h)",
                                 "GetMacAddress(h, out, 6)",
                                 "QueryRegionCode(h, out)",
                                 "storeChannelRange(1, 11)",
                                 "GetConnectStatus(h)",
                                 "refreshStatus(0)",
                                 "QueryRadioControl(h, out)",
                                 "radioCheckEnabled(0)",
                                 "updateRadioUi",
                                 "startSupervisor",
                                 "event(1001)",
                                 "SetBoostMode(h, 1)",
                             }));
    EXPECT_EQ(adapter.radioState, ZARN9100_RADIO_OFF);
    EXPECT_EQ(adapter.regionCode(), 0x10u);
}

TEST_F(AdapterTest, OpenInMonitorModeLeavesTheRadioCheckBoxAlone) {
    hooks.monitor = true;
    driver.setOutU32("QueryRadioControl", ZARN9100_RADIO_ON);
    adapter.OpenAdapter();
    for (const auto& e : log.entries()) EXPECT_NE(e.rfind("radioCheckEnabled", 0), 0u) << e;
}

TEST_F(AdapterTest, OpenWithoutCardPublishesCardUnplugged) {
    driver.setAdapterHandle(nullptr);
    adapter.stopping.setClosed(true);
    EXPECT_EQ(adapter.OpenAdapter(), 1);
    EXPECT_EQ(log.entries(), (Lines{"OpenAdapter(&h)", "tray(0)"}));
    EXPECT_FALSE(adapter.stopping.set());
    EXPECT_FALSE(adapter.handle().held());
}

TEST_F(AdapterTest, OpenWhileOpenOnlyClearsStopping) {
    adapter.OpenAdapter();
    log.clear();
    adapter.stopping.setClosed(true);
    EXPECT_EQ(adapter.OpenAdapter(), 1);
    EXPECT_TRUE(log.entries().empty());
    EXPECT_FALSE(adapter.stopping.set());
}

TEST_F(AdapterTest, FailedQueriesKeepPreviousValues) {
    driver.setOutBytes("GetMacAddress", {1, 2, 3, 4, 5, 6});
    driver.setOutU32("QueryRegionCode", 0x40);
    adapter.OpenAdapter();
    adapter.CloseAdapter();
    RecordingDriver silent;  // answers every query with nothing
    RecordingHooks hooks2(log);
    Adapter second(silent, hooks2);
    second.OpenAdapter();
    EXPECT_EQ(second.regionCode(), 0x10u);  // initial value kept
    EXPECT_EQ(adapter.macAddress(), (std::array<uint8_t, 6>{1, 2, 3, 4, 5, 6}));
}

TEST_F(AdapterTest, CloseFollowsTheDocumentedOrder) {
    adapter.OpenAdapter();
    log.clear();
    hooks.visible = true;
    EXPECT_EQ(adapter.CloseAdapter(), 1);
    EXPECT_EQ(log.entries(), (Lines{
                                 "stopSupervisor(3000)",
                                 "disableAdapterPages",
                                 "CloseAdapter(&h)",
                                 "refreshStatus(0)",
                                 "selectFirstPage",
                                 "clearRadioCheck",
                             }));
    EXPECT_TRUE(adapter.stopping.set());
    EXPECT_FALSE(adapter.handle().held());
}

TEST_F(AdapterTest, CloseWithoutHandlePublishesCardUnplugged) {
    EXPECT_EQ(adapter.CloseAdapter(), 0);
    EXPECT_EQ(log.entries(), (Lines{"tray(0)"}));
}

// A library call in flight on another thread (the supervisor's scan, the join worker's SetSsid)
// while the card is closed: the handle is closed only after the call has returned, and closing
// does not wait longer than its bound for it. Rows: the call ends within the bound; it outlasts it.
TEST(AdapterCloseTest, ClosesOnlyAfterTheCallInFlightAndWithinItsBound) {
    struct Row {
        const char* name;
        std::chrono::milliseconds closeWait;
        bool callOutlastsTheBound;
    };
    for (const Row row : {Row{"ends within the bound", Adapter::kCloseWait, false},
                          Row{"outlasts the bound", std::chrono::milliseconds(0), true}}) {
        SCOPED_TRACE(row.name);
        CallLog log;
        RecordingDriver driver;
        RecordingHooks hooks(log);
        log.attach(driver);
        Adapter adapter(driver, hooks, row.closeWait);
        adapter.OpenAdapter();
        std::atomic<bool> inCall{false}, release{false};
        driver.setHook("SetSsid", [&](const RecordedCall&) {
            inCall = true;
            PollUntil([&] { return release.load(); });
            log.add("SetSsid returns");
        });
        std::thread worker([&] {
            auto lease = adapter.handle().lease();
            driver.SetSsid(lease.get(), "Net", 3, 0);
        });
        ASSERT_TRUE(PollUntil([&] { return inCall.load(); }));
        std::atomic<bool> closed{false};
        std::thread closer([&] {
            adapter.CloseAdapter();
            closed = true;
        });
        if (row.callOutlastsTheBound) {
            // CloseAdapter returns while SetSsid still blocks; no new call gets the handle.
            EXPECT_TRUE(PollUntil([&] { return closed.load(); }));
            EXPECT_EQ(driver.count("CloseAdapter"), 0u);
            EXPECT_FALSE(adapter.handle().held());
            EXPECT_FALSE(adapter.handle().lease());
        }
        release = true;
        worker.join();
        closer.join();
        EXPECT_EQ(driver.count("CloseAdapter"), 1u);
        const auto entries = log.entries();
        const auto returned = std::find(entries.begin(), entries.end(), "SetSsid returns");
        const auto closedAt = std::find(entries.begin(), entries.end(), "CloseAdapter(&h)");
        EXPECT_LT(returned, closedAt);
        EXPECT_NE(closedAt, entries.end());
        // A later open gets a new handle as usual.
        adapter.OpenAdapter();
        EXPECT_TRUE(adapter.handle().held());
    }
}

// `stopping` while its holders overlap: a page that lets go leaves the flag set for the others
// (Exit during the page's join, a second page's wait), and opening clears only the adapter's share.
TEST(StopFlagTest, AHolderLetsGoOnlyOfItsOwnShare) {
    StopFlag flag;
    {
        const StopFlag::Hold page(flag);
        EXPECT_TRUE(flag.set());
        flag.setClosed(true);  // Exit while the page connects
    }
    EXPECT_TRUE(flag.set());
    flag.setClosed(false);
    EXPECT_FALSE(flag.set());
    {
        const StopFlag::Hold first(flag);
        { const StopFlag::Hold second(flag); }
        EXPECT_TRUE(flag.set());
        flag.setClosed(false);  // an open while a page works
        EXPECT_TRUE(flag.set());
    }
    EXPECT_FALSE(flag.set());
    EXPECT_EQ(flag.value().load(), 0u);
}

TEST_F(AdapterTest, DeviceChangesOpenAndCloseOnlyForOurCard) {
    NoDynamicRegistry registry;
    int arrivals = 0, removals = 0;
    Adapter::DeviceChangeHooks changeHooks{[&] { ++arrivals; }, [&] { ++removals; }};
    DeviceNotification foreign{DeviceType::DeviceInterface, "\\\\?\\PCI#VEN_8086&DEV_1234#x", 0};
    DeviceNotification ours{DeviceType::DeviceInterface, "\\\\?\\pci#ven_7e3c&dev_4c01&subsys_0#x", 0};

    adapter.OnDeviceRemoveComplete(ours, 1, registry, changeHooks);  // nothing open: nothing happens
    adapter.OnDeviceArrival(foreign, 1, registry, changeHooks);
    EXPECT_TRUE(log.entries().empty());

    adapter.OnDeviceArrival(ours, 1, registry, changeHooks);
    EXPECT_TRUE(adapter.handle().held());
    EXPECT_EQ(adapter.arrivalHandled, 1u);
    EXPECT_EQ(arrivals, 1);
    EXPECT_EQ(log.entries().back(), "SetGUIMonitorMode(h, 0)");

    adapter.OnDeviceArrival(ours, 1, registry, changeHooks);  // already open
    EXPECT_EQ(arrivals, 1);

    adapter.OnDeviceRemoveComplete(foreign, 1, registry, changeHooks);
    EXPECT_TRUE(adapter.handle().held());
    adapter.OnDeviceRemoveComplete(ours, 1, registry, changeHooks);
    EXPECT_FALSE(adapter.handle().held());
    EXPECT_EQ(removals, 1);
    EXPECT_EQ(driver.count("OpenAdapter"), 1u);
    EXPECT_EQ(driver.count("CloseAdapter"), 1u);
}

TEST_F(AdapterTest, DeviceNodesChangedOpensOnlyOnTheNineXFamily) {
    adapter.OnDeviceNodesChanged(1);
    EXPECT_EQ(driver.count("OpenAdapter"), 0u);
    adapter.arrivalHandled = 1;
    adapter.OnDeviceNodesChanged(3);  // the arrival already opened it
    EXPECT_EQ(driver.count("OpenAdapter"), 0u);
    EXPECT_EQ(adapter.arrivalHandled, 0u);
    adapter.OnDeviceNodesChanged(3);
    EXPECT_EQ(driver.count("OpenAdapter"), 1u);
}

TEST_F(AdapterTest, EndSessionStopsAndUnlocksButKeepsTheHandle) {
    adapter.OpenAdapter();
    log.clear();
    bool stopped = false;
    adapter.OnEndSession([&] { stopped = true; }, 0);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(log.entries(), (Lines{"UnlockPages(h)"}));
    EXPECT_TRUE(adapter.handle().held());
}

}  // namespace
}  // namespace tembrel::testing
