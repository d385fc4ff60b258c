// The supervisor against the simulated card, end to end: the library's events reach the event
// table through a queue that the test thread drains as the user-interface thread would, the
// Auto Link hand-over searches the card's real scan list, and the prefer-list walk connects.
#include "adapter/DriverLoader.h"
#include "tests/support/PollUntil.h"
#include "tests/support/SimulatedCardLibrary.h"
#include "connection/AutoLinkFlow.h"
#include "connection/LibraryEventHandler.h"
#include "connection/ProfileConnector.h"
#include "connection/StatusRefresher.h"
#include "survey/ChannelPlan.h"
#include "connection/Supervisor.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"

#include "tests/connection/UiQueue.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tembrel {
namespace {

using namespace std::chrono_literals;

using testing::PollUntil;
using testing::UiQueue;

// A stand-in dialog: notes the access points it was given and closes without a profile.
class ListingDialog : public AutoLinkDialog {
public:
    explicit ListingDialog(std::vector<AutoLinkCandidate>& seen) : seen_(seen) {}
    void setCandidates(std::vector<AutoLinkCandidate> candidates) override { seen_ = std::move(candidates); }
    Outcome exec() override { return Outcome::kOther; }
    bool done() const override { return false; }
    PROFILE_RECORD preparedProfile() const override { return MakeEmptyProfile(); }

private:
    std::vector<AutoLinkCandidate>& seen_;
};

class Host : public AutoLinkHost {
public:
    std::unique_ptr<AutoLinkDialog> createAutoLinkDialog() override { return std::make_unique<ListingDialog>(seen); }
    bool windowVisible() const override { return false; }
    void hideWindow() override {}
    void showWindow() override {}
    void reselectActivePage() override {}
    void selectFirstPage() override {}
    std::vector<AutoLinkCandidate> seen;
};

class Sheet : public LibraryEventActions {
public:
    void refreshStatus(bool connected) override { refresher->RefreshStatus(connected); }
    void closeAdapter() override {}
    void setRadioCheckEnabled(bool) override {}
    void updateRadioUi() override {}
    void reselectActivePage() override {}
    void runAutoLink() override { flow->RunAutoLink(); }
    StatusRefresher* refresher = nullptr;
    AutoLinkFlow* flow = nullptr;
};

ProfilePtr Profile(const std::string& ssid, int32_t encryption) {
    auto p = NewEmptyProfile();
    SetProfileName(*p, ssid + " profile");
    SetProfileSsid(*p, ssid);
    p->networkType = 1;
    p->wirelessMode = 255;
    p->encryption = encryption;
    p->keepAdapterSettings = 1;
    p->inPreferList = 1;
    return p;
}

class SupervisorOnSimulatedCard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing::SimulatedCardLibrary().loaded) << testing::SimulatedCardLibrary().error;
        ASSERT_TRUE(testing::ResetSimulatedCard());
        ASSERT_TRUE(testing::BringAutoLinkInRange());
        sheet.refresher = &refresher;
        sheet.flow = &flow;
        driver().Initialize(&sink);
        handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().OpenAdapter(h); });
        ASSERT_TRUE(handle.held());
    }
    void TearDown() override {
        stopping = 1;
        supervisor.stop(3000ms);
        ZARN9100_EVENT_SINK none{};
        driver().Initialize(&none);
        handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().CloseAdapter(h); });
        ui.drain();
    }

    static DriverLibrary& driver() { return *testing::SimulatedCardLibrary().library; }
    static void Notify(void* context, uint32_t message, uintptr_t code, intptr_t) {
        auto* self = static_cast<SupervisorOnSimulatedCard*>(context);
        if (message != ZARN9100_EVENT_MESSAGE) return;
        self->ui.post([self, code] { self->events.Handle(code); });
    }
    int trayState() {
        std::lock_guard lock(trayMutex);
        return tray;
    }


    UiQueue ui;
    ZARN9100_EVENT_SINK sink{&Notify, this};
    AdapterHandle handle;
    std::atomic<uint32_t> stopping{0};
    std::atomic<uint32_t> radioState{1};
    ProfileList profiles;
    ConnectionSnapshotHolder snapshot;
    SupervisorFlags flags;
    AutoLinkEvent autoLinkEvent;
    std::mutex trayMutex;
    int tray = -1;
    std::function<void(int)> publishTray = [this](int state) {
        ui.post([this, state] {
            std::lock_guard lock(trayMutex);
            tray = state;
        });
    };
    StatusRefresher refresher{driver(), handle, snapshot, publishTray};
    ProfileConnector connector{ConnectionContext{driver(), handle, radioState, profiles, snapshot,
                                                 [this](bool c) { refresher.RefreshStatus(c); }}};
    Sheet sheet;
    LibraryEventHandler events{LibraryEventContext{driver(), handle, stopping, radioState, flags, autoLinkEvent},
                               sheet};
    Host host;
    AutoLinkFlow flow{AutoLinkFlowContext{driver(), handle, profiles, refresher, flags, autoLinkEvent, &sink,
                                          [this](const ProfilePtr& p) { connector.SetProfileInUse(p); }},
                      host};
    Supervisor supervisor{SupervisorContext{
        driver(), handle, stopping, radioState, profiles, snapshot, flags, autoLinkEvent,
        [this](const ProfilePtr& p) { return connector.ConnectProfile(p); },
        SupervisorNotifications{publishTray, [](uint32_t, const std::string&) {},
                                [this] { ui.post([this] { events.Handle(kEventRunAutoLink); }); },
                                [](const std::string&, const std::function<void()>& dismissed) { dismissed(); }},
        SupervisorTiming{10ms, 1ms, {}}}};
};

TEST_F(SupervisorOnSimulatedCard, OffersTheAnnouncingAccessPointsThenConnectsThroughThePreferList) {
    auto wrongKey = Profile("Lab-WEP64", 1);
    wrongKey->wep.txKeyIndex = 1;
    wrongKey->wep.keys[0].length = 5;
    std::memcpy(wrongKey->wep.keys[0].material, "\x12\x34\x56\x78\x91", 5);
    profiles.Assign({wrongKey, Profile("Orvix-Open-G", 0)});

    supervisor.start();
    const bool connected = PollUntil([&] {
        ui.drain();
        return trayState() == kTrayConnected && snapshot.copy().ssid() == "Orvix-Open-G";
    });
    ASSERT_TRUE(connected);

    std::vector<std::string> offered;
    for (const auto& c : host.seen) offered.push_back(c.ssid + "/" + std::to_string(c.state));
    EXPECT_EQ(offered, (std::vector<std::string>{"Orvix-AutoLink-New/0", "Orvix-AutoLink-Set/1",
                                                 "Orvix-AutoLink-Manual/2"}));
    EXPECT_EQ(ProfileName(*profiles.At(0)), "Orvix-Open-G profile");
    EXPECT_EQ(snapshot.copy().frequencyMHz, FrequencyForChannelMHz(snapshot.copy().currentChannel));
}

}  // namespace
}  // namespace tembrel
