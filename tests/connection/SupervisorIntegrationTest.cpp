// The supervisor with the real ConnectProfile, RefreshStatus, library-event table and Auto Link
// flow over the recording driver. The test thread plays the user-interface thread: it runs the
// queued notifications as an event loop would, and meanwhile delivers library events and edits
// the profile list, so that ThreadSanitizer sees both threads at work on the shared state.
#include "connection/AutoLinkFlow.h"
#include "connection/LibraryEventHandler.h"
#include "connection/ProfileConnector.h"
#include "connection/StatusRefresher.h"
#include "connection/Supervisor.h"
#include "tests/connection/SupervisorFixture.h"
#include "tests/support/ScanBufferBuilder.h"

#include "tests/connection/UiQueue.h"

#include <gtest/gtest.h>

#include <deque>

namespace tembrel::testing {
namespace {

using namespace std::chrono_literals;

using testing::UiQueue;

class NoDialogHost : public AutoLinkHost {
public:
    std::unique_ptr<AutoLinkDialog> createAutoLinkDialog() override { return nullptr; }
    bool windowVisible() const override { return false; }
    void hideWindow() override {}
    void showWindow() override {}
    void reselectActivePage() override {}
    void selectFirstPage() override {}
};

class Sheet : public LibraryEventActions {
public:
    Sheet(std::atomic<uint32_t>& stopping, AdapterHandle& handle) : stopping_(stopping), handle_(handle) {}
    void refreshStatus(bool connected) override { refresher->RefreshStatus(connected); }
    void closeAdapter() override {
        stopping_ = 1;
        stoppedInTime = supervisor->stop(3000ms);
        handle_.exclusive([](ZARN9100_HANDLE* h) {
            *h = nullptr;
            return 0;
        });
        refresher->RefreshStatus(false);
    }
    void setRadioCheckEnabled(bool) override {}
    void updateRadioUi() override {}
    void reselectActivePage() override {}
    void runAutoLink() override { flow->RunAutoLink(); }

    StatusRefresher* refresher = nullptr;
    Supervisor* supervisor = nullptr;
    AutoLinkFlow* flow = nullptr;
    bool stoppedInTime = false;

private:
    std::atomic<uint32_t>& stopping_;
    AdapterHandle& handle_;
};

class SupervisorIntegrationTest : public SupervisorFixture {
protected:
    SupervisorIntegrationTest() {
        profiles.Assign({NamedProfile("work", "work", 1), NamedProfile("guest", "guest", 1, 0),
                         NamedProfile("home", "home", 1)});
        driver.setResult("SetSsid", 1);
        driver.setOutBytes("QueryScanList", BuildScanBuffer({}));
        driver.setOutU32("QueryNetworkMode", 1);
        driver.setHook("SetSsid", [this](const RecordedCall& c) {
            if (c.args[1] != "\"home\"") return;
            driver.pushResult("SetSsid", 0);
            driver.setResult("GetConnectStatus", 1);
            driver.setOutBytes("QueryBssid", {2, 4, 6, 8, 10, 12});
            driver.setOutText("QuerySsid", "home");
            homeAssociated = true;
        });
        sheet.refresher = &refresher;
        sheet.flow = &flow;
    }

    std::vector<int> trays() {
        std::lock_guard lock(trayMutex);
        return trayStates;
    }

    UiQueue ui;
    std::mutex trayMutex;
    std::vector<int> trayStates;
    std::atomic<bool> homeAssociated{false};
    StatusRefresher refresher{driver, handle, snapshot, [this](int state) {
                                  ui.post([this, state] {
                                      std::lock_guard lock(trayMutex);
                                      trayStates.push_back(state);
                                  });
                              }};
    ProfileConnector connector{ConnectionContext{driver, handle, radioState, profiles, snapshot,
                                                 [this](bool connected) { refresher.RefreshStatus(connected); }}};
    Sheet sheet{stopping, handle};
    LibraryEventHandler events{LibraryEventContext{driver, handle, stopping, radioState, flags, autoLinkEvent}, sheet};
    NoDialogHost host;
    ZARN9100_EVENT_SINK mainSink{};
    AutoLinkFlow flow{AutoLinkFlowContext{driver, handle, profiles, refresher, flags, autoLinkEvent, &mainSink,
                                          [this](const ProfilePtr& p) { connector.SetProfileInUse(p); }},
                      host};
};

TEST_F(SupervisorIntegrationTest, ConnectsThroughThePreferListWhileTheUserInterfaceWorks) {
    SupervisorContext ctx = context();
    ctx.connectProfile = [this](const ProfilePtr& p) { return connector.ConnectProfile(p); };
    ctx.notify.publishTrayState = [this](int state) {
        ui.post([this, state] {
            std::lock_guard lock(trayMutex);
            trayStates.push_back(state);
        });
    };
    ctx.notify.requestAutoLink = [this] { ui.post([this] { events.Handle(kEventRunAutoLink); }); };
    Supervisor supervisor(ctx);
    sheet.supervisor = &supervisor;
    supervisor.start();

    // The user-interface thread until the library reports the link: events, list edits, reads.
    bool linkReported = false;
    int round = 0;
    const bool connected = PollUntil([&] {
        ui.drain();
        events.Handle(round % 2 ? ZARN9100_EVENT_ASSOCIATION_REFUSED : ZARN9100_EVENT_LINK_DOWN);
        refresher.QueryEncryptionStatus();
        if (round % 3 == 0) profiles.Append(NamedProfile("scratch", "scratch", 0, 0));
        if (round % 3 == 2) profiles.Remove(profiles.FindByName("scratch").get());
        ++round;
        if (homeAssociated && !linkReported) {
            events.Handle(ZARN9100_EVENT_LINK_UP);
            linkReported = true;
        }
        const auto t = trays();
        return linkReported && !t.empty() && t.back() == kTrayConnected && snapshot.copy().connected == 1;
    });
    ASSERT_TRUE(connected);
    EXPECT_EQ(snapshot.copy().ssid(), "home");
    EXPECT_EQ(ProfileName(*profiles.At(0)), "home");
    EXPECT_GE(driver.count("QueryScanList"), 1u);  // the Auto Link candidate search ran

    // Connected: later passes leave the card alone.
    const size_t associations = driver.count("SetSsid");
    const uint64_t passes = supervisor.passes();
    ASSERT_TRUE(PollUntil([&] {
        ui.drain();
        return supervisor.passes() >= passes + 3;
    }));
    EXPECT_EQ(driver.count("SetSsid"), associations);

    // The card goes away: event 2 closes the adapter, which stops the supervisor in time.
    events.Handle(ZARN9100_EVENT_CARD_REMOVED);
    ui.drain();
    EXPECT_TRUE(sheet.stoppedInTime);
    EXPECT_FALSE(supervisor.running());
    EXPECT_EQ(trays().back(), kTrayCardUnplugged);
}

}  // namespace
}  // namespace tembrel::testing
