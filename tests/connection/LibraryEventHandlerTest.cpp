#include "adapter/Adapter.h"
#include "connection/LibraryEventHandler.h"
#include "tests/adapter/AdapterTestHooks.h"
#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tembrel::testing {
namespace {

// The main window's side of the table, written into the log shared with the driver.
class RecordingActions : public LibraryEventActions {
public:
    RecordingActions(CallLog& log, std::atomic<uint32_t>& radioState, AutoLinkEvent& event)
        : log_(log), radioState_(radioState), event_(event) {}
    void refreshStatus(bool connected) override { log_.add("refreshStatus(" + std::to_string(connected) + ")"); }
    void closeAdapter() override {
        log_.add(std::string("closeAdapter") + (event_.signalled() ? " after signal" : ""));
    }
    void setRadioCheckEnabled(bool enabled) override {
        log_.add("radioCheckEnabled(" + std::to_string(enabled) + ")");
    }
    void updateRadioUi() override { log_.add("updateRadioUi(radio=" + std::to_string(radioState_.load()) + ")"); }
    void reselectActivePage() override { log_.add("reselectActivePage"); }
    void runAutoLink() override { log_.add("runAutoLink"); }

private:
    CallLog& log_;
    std::atomic<uint32_t>& radioState_;
    AutoLinkEvent& event_;
};

struct EventRow {
    const char* name;
    uintptr_t code;
    bool cardOpen;
    uint32_t stopping;
    int connectStatus;
    uint32_t autoLinkRunning;
    std::vector<std::string> expected;
    EventRoute route;
};

void PrintTo(const EventRow& row, std::ostream* os) { *os << row.name; }

class LibraryEventTableTest : public ::testing::TestWithParam<EventRow> {
protected:
    LibraryEventTableTest() { log.attach(driver); }

    RecordingDriver driver;
    CallLog log;
    AdapterHandle handle;
    std::atomic<uint32_t> stopping{0};
    std::atomic<uint32_t> radioState{1};
    SupervisorFlags flags;
    AutoLinkEvent autoLinkEvent;
    RecordingActions actions{log, radioState, autoLinkEvent};
    LibraryEventHandler handler{LibraryEventContext{driver, handle, stopping, radioState, flags, autoLinkEvent},
                                actions};
};

TEST_P(LibraryEventTableTest, HandlesAndRoutes) {
    const EventRow& row = GetParam();
    if (row.cardOpen)
        handle.exclusive([&](ZARN9100_HANDLE* h) {
            *h = driver.adapterHandle();
            return 0;
        });
    stopping = row.stopping;
    flags.autoLinkRunning = row.autoLinkRunning;
    driver.setResult("GetConnectStatus", row.connectStatus);
    radioState = row.code == ZARN9100_EVENT_RADIO_SWITCH_ON ? 0 : 1;

    EXPECT_EQ(handler.Handle(row.code), row.route);
    EXPECT_EQ(log.entries(), row.expected);
}

const std::string kStatus = "GetConnectStatus(h)";

INSTANTIATE_TEST_SUITE_P(
    Table, LibraryEventTableTest,
    ::testing::Values(
        EventRow{"LinkCheckDown", 0, true, 0, 0, 0, {kStatus, "refreshStatus(0)"}, EventRoute::kForward},
        EventRow{"LinkCheckStillUp", 0, true, 0, 1, 0, {kStatus}, EventRoute::kForward},
        EventRow{"LinkCheckNoCard", 0, false, 0, 0, 0, {}, EventRoute::kForward},
        EventRow{"Code4Down", 4, true, 0, 0, 0, {kStatus, "refreshStatus(0)"}, EventRoute::kForward},
        EventRow{"Code4Up", 4, true, 0, 3, 0, {kStatus}, EventRoute::kForward},
        EventRow{"LinkUp", 1, true, 0, 0, 0, {"refreshStatus(1)"}, EventRoute::kForward},
        EventRow{"LinkUpAgain", 3, true, 0, 0, 0, {"refreshStatus(1)"}, EventRoute::kForward},
        EventRow{"AdapterGone", 2, true, 0, 0, 0, {"closeAdapter"}, EventRoute::kForward},
        EventRow{"AdapterGoneDuringAutoLink", 2, true, 0, 0, 1, {"closeAdapter after signal"}, EventRoute::kForward},
        EventRow{"DisconnectedDown", 5, true, 0, 0, 0, {kStatus, "refreshStatus(0)"}, EventRoute::kForward},
        EventRow{"DisconnectedButConnected", 5, true, 0, 1, 0, {kStatus}, EventRoute::kDrop},
        EventRow{"DisconnectedWhileStopping", 5, true, 1, 0, 0, {}, EventRoute::kDrop},
        EventRow{"DisconnectedNoCard", 5, false, 0, 0, 0, {}, EventRoute::kDrop},
        EventRow{"RadioOn", 8, true, 0, 0, 0, {"radioCheckEnabled(1)", "updateRadioUi(radio=1)"}, EventRoute::kForward},
        EventRow{"RadioOff", 9, true, 0, 0, 0, {"radioCheckEnabled(0)", "updateRadioUi(radio=0)"}, EventRoute::kForward},
        EventRow{"RestoreRequest", 1002, true, 0, 0, 0, {"reselectActivePage"}, EventRoute::kDrop},
        EventRow{"RunAutoLink", 1007, true, 0, 0, 0, {"runAutoLink"}, EventRoute::kDrop},
        EventRow{"RunAutoLinkAlreadyRunning", 1007, true, 0, 0, 1, {}, EventRoute::kDrop},
        EventRow{"Code6", 6, true, 0, 0, 0, {}, EventRoute::kForward},
        EventRow{"Code7", 7, true, 0, 0, 0, {}, EventRoute::kForward},
        EventRow{"AdapterOpened", 1001, true, 0, 0, 0, {}, EventRoute::kForward},
        EventRow{"StatusText", 1012, true, 0, 0, 0, {}, EventRoute::kForward}),
    [](const ::testing::TestParamInfo<EventRow>& info) { return std::string(info.param.name); });

TEST_F(LibraryEventTableTest, AdapterGoneDuringAutoLinkReleasesTheSupervisorWith1009) {
    flags.autoLinkRunning = 1;
    handler.Handle(ZARN9100_EVENT_CARD_REMOVED);
    std::stop_source never;
    EXPECT_EQ(autoLinkEvent.Wait(never.get_token()), std::optional<uint32_t>(kAutoLinkConnected));
    EXPECT_EQ(flags.autoLinkResult.load(), uint32_t{kAutoLinkConnected});
}

TEST_F(LibraryEventTableTest, AdapterGoneOutsideAutoLinkLeavesTheEventAlone) {
    handler.Handle(ZARN9100_EVENT_CARD_REMOVED);
    EXPECT_FALSE(autoLinkEvent.signalled());
}

TEST(ForwardingRule, OnlyRoutedEventsReachAnActivePageOfAVisibleWindow) {
    EXPECT_TRUE(ShouldForwardToPage(EventRoute::kForward, false, true));
    EXPECT_FALSE(ShouldForwardToPage(EventRoute::kForward, true, true));
    EXPECT_FALSE(ShouldForwardToPage(EventRoute::kForward, false, false));
    EXPECT_FALSE(ShouldForwardToPage(EventRoute::kDrop, false, true));
}

}  // namespace
}  // namespace tembrel::testing
