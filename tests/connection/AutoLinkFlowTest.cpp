#include "connection/AutoLinkFlow.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "tests/adapter/AdapterTestHooks.h"
#include "tests/support/RecordingDriver.h"
#include "tests/support/ScanBufferBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tembrel::testing {
namespace {

ProfilePtr Profile(const std::string& name, const std::string& ssid, uint32_t networkType) {
    auto p = NewEmptyProfile();
    SetProfileName(*p, name);
    SetProfileSsid(*p, ssid);
    p->networkType = networkType;
    return p;
}

std::vector<std::string> Names(const ProfileList& list) {
    std::vector<std::string> names;
    for (const auto& p : list.Snapshot()) names.emplace_back(ProfileName(*p));
    return names;
}

// ---- AdoptAutoLinkProfile ----

TEST(AdoptAutoLinkProfile, RemovesSameSsidAndTypeWhereverTheyStandAndPutsTheCopyFirst) {
    ProfileList list(ProfileSequence{Profile("a", "Lobby", 1), Profile("b", "Garden", 1), Profile("c", "Lobby", 0),
                                     Profile("d", "lobby", 1), Profile("e", "Lobby ", 1), Profile("f", "Lobby", 1),
                                     NewDefaultProfile()});
    auto prepared = Profile("Lobby", "Lobby", 1);
    prepared->authMode = 2;
    const ProfilePtr adopted = AdoptAutoLinkProfile(list, *prepared);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Lobby", "b", "c", "d", "e", "<Default>"}));
    EXPECT_EQ(list.At(0), adopted);
    EXPECT_NE(adopted, prepared);
    EXPECT_EQ(0, std::memcmp(adopted.get(), prepared.get(), sizeof(PROFILE_RECORD)));
}

TEST(AdoptAutoLinkProfile, SetsTheProfileInUseOnlyWhenAsked) {
    ProfileList list(ProfileSequence{NewDefaultProfile()});
    std::vector<ProfilePtr> inUse;
    const ProfilePtr first = AdoptAutoLinkProfile(list, *Profile("x", "X", 1));
    EXPECT_TRUE(inUse.empty());
    const ProfilePtr second =
        AdoptAutoLinkProfile(list, *Profile("y", "Y", 1), [&](const ProfilePtr& p) { inUse.push_back(p); });
    EXPECT_EQ(inUse, std::vector<ProfilePtr>{second});
    EXPECT_EQ(Names(list), (std::vector<std::string>{"y", "x", "<Default>"}));
}

TEST(AdoptAutoLinkProfile, NeverRemovesTheDefaultProfile) {
    ProfileList list(ProfileSequence{NewDefaultProfile()});
    AdoptAutoLinkProfile(list, *Profile("fake", std::string(kAnySsid), ZARN9100_NETWORK_INFRASTRUCTURE));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"fake", "<Default>"}));
}

TEST(AdoptAutoLinkProfile, RecordWithoutTerminatorsIsCutAtTheFieldEnd) {
    ProfileList list;
    PROFILE_RECORD raw = MakeEmptyProfile();
    std::memset(raw.ssid, 'S', sizeof raw.ssid);
    std::memset(raw.name, 'N', sizeof raw.name);
    const ProfilePtr adopted = AdoptAutoLinkProfile(list, raw);
    EXPECT_EQ(ProfileSsid(*adopted), std::string(32, 'S'));
    EXPECT_EQ(adopted->ssid[32], '\0');
}

// ---- RunAutoLink ----

struct DialogScript {
    AutoLinkDialog::Outcome outcome = AutoLinkDialog::Outcome::kOther;
    bool done = false;
    ProfilePtr prepared = Profile("Lobby", "Lobby", 1);
    std::function<void()> duringExec;
};

class FakeDialog : public AutoLinkDialog {
public:
    FakeDialog(CallLog& log, DialogScript& script, SupervisorFlags& flags) : log_(log), script_(script), flags_(flags) {}
    ~FakeDialog() override { log_.add("dialog destroyed"); }
    void setCandidates(std::vector<AutoLinkCandidate> candidates) override {
        std::string text = "setCandidates(";
        for (const auto& c : candidates) text += c.ssid + ";";
        log_.add(text + ")");
    }
    Outcome exec() override {
        log_.add("exec(running=" + std::to_string(flags_.autoLinkRunning.load()) + ")");
        if (script_.duringExec) script_.duringExec();
        return script_.outcome;
    }
    bool done() const override { return script_.done; }
    PROFILE_RECORD preparedProfile() const override { return *script_.prepared; }

private:
    CallLog& log_;
    DialogScript& script_;
    SupervisorFlags& flags_;
};

class RecordingHost : public AutoLinkHost {
public:
    RecordingHost(CallLog& log, DialogScript& script, SupervisorFlags& flags)
        : log_(log), script_(script), flags_(flags) {}
    bool visible = false;
    std::unique_ptr<AutoLinkDialog> createAutoLinkDialog() override {
        log_.add("createDialog");
        return std::make_unique<FakeDialog>(log_, script_, flags_);
    }
    bool windowVisible() const override { return visible; }
    void hideWindow() override { log_.add("hideWindow"); }
    void showWindow() override { log_.add("showWindow"); }
    void reselectActivePage() override { log_.add("reselectActivePage"); }
    void selectFirstPage() override { log_.add("selectFirstPage"); }

private:
    CallLog& log_;
    DialogScript& script_;
    SupervisorFlags& flags_;
};

std::vector<uint8_t> AnnouncingAp(const std::string& ssid) {
    TestScanEntry e;
    e.ssid = ssid;
    e.elements = {0xDD, 7, 0x00, 0x3A, 0x7E, 0x00, 0x00, 0x11, 0x01};
    return BuildScanBuffer({e});
}

class RunAutoLinkTest : public ::testing::Test {
protected:
    RunAutoLinkTest() {
        handle.exclusive([&](ZARN9100_HANDLE* h) {
            *h = driver.adapterHandle();
            return 0;
        });
        driver.setOutBytes("QueryScanList", AnnouncingAp("Lobby"));
        driver.setOutBytes("QueryBssid", {2, 4, 6, 8, 10, 12});
        driver.setOutU32("QueryNetworkMode", 1);
        driver.setOutText("QuerySsid", "Lobby");
        // Only the flow's own steps and the calls that matter are logged.
        driver.setObserver([this](const RecordedCall& c) {
            if (c.name == "Initialize" || c.name == "GetConnectStatus" || c.name == "QueryScanList")
                log.add(c.text());
        });
    }

    void run() { flow.RunAutoLink(); }
    std::optional<uint32_t> result() {
        std::stop_source source;
        source.request_stop();  // a pending signal is still taken; none gives empty
        return autoLinkEvent.Wait(source.get_token());
    }

    RecordingDriver driver;
    CallLog log;
    AdapterHandle handle;
    ProfileList profiles{ProfileSequence{Profile("old", "Lobby", 1), NewDefaultProfile()}};
    ConnectionSnapshotHolder snapshot;
    std::vector<int> trayStates;
    StatusRefresher status{driver, handle, snapshot, [this](int s) { trayStates.push_back(s); }};
    SupervisorFlags flags;
    AutoLinkEvent autoLinkEvent;
    ZARN9100_EVENT_SINK mainSink{};
    std::vector<ProfilePtr> inUse;
    DialogScript script;
    RecordingHost host{log, script, flags};
    AutoLinkFlow flow{AutoLinkFlowContext{driver, handle, profiles, status, flags, autoLinkEvent, &mainSink,
                                          [this](const ProfilePtr& p) {
                                              inUse.push_back(p);
                                              log.add("setProfileInUse");
                                          }},
                      host};
};

TEST_F(RunAutoLinkTest, NoCandidateSignals1010WithoutBuildingTheDialog) {
    driver.setOutBytes("QueryScanList", BuildScanBuffer({}));
    run();
    EXPECT_EQ(log.entries(), (std::vector<std::string>{"QueryScanList(h, out, 24576)", "Initialize(sink)"}));
    EXPECT_EQ(result(), std::optional<uint32_t>(kAutoLinkNothingDone));
    EXPECT_EQ(flags.autoLinkRunning.load(), 0u);
}

TEST_F(RunAutoLinkTest, OkWhileConnectedAdoptsTheProfileInUseAndShowsTheWindow) {
    script.outcome = AutoLinkDialog::Outcome::kOk;
    driver.setResult("GetConnectStatus", 1);
    run();
    EXPECT_EQ(log.entries(),
              (std::vector<std::string>{"QueryScanList(h, out, 24576)", "createDialog", "setCandidates(Lobby;)",
                                        "hideWindow", "exec(running=1)", "Initialize(sink)", "GetConnectStatus(h)",
                                        "setProfileInUse", "reselectActivePage", "showWindow", "selectFirstPage",
                                        "dialog destroyed", "Initialize(sink)"}));
    EXPECT_EQ(result(), std::optional<uint32_t>(kAutoLinkConnected));
    EXPECT_EQ(trayStates, std::vector<int>{1});
    EXPECT_EQ(snapshot.copy().connected, 1u);
    EXPECT_EQ(Names(profiles), (std::vector<std::string>{"Lobby", "<Default>"}));
    ASSERT_EQ(inUse.size(), 1u);
    EXPECT_EQ(inUse[0], profiles.At(0));
    EXPECT_EQ(flags.autoLinkRunning.load(), 0u);
}

TEST_F(RunAutoLinkTest, OkWithoutALinkSignals1010AndKeepsAHiddenWindowHidden) {
    script.outcome = AutoLinkDialog::Outcome::kOk;
    run();
    EXPECT_EQ(result(), std::optional<uint32_t>(kAutoLinkNothingDone));
    EXPECT_EQ(trayStates, std::vector<int>{2});
    EXPECT_EQ(Names(profiles), (std::vector<std::string>{"old", "<Default>"}));
    const auto e = log.entries();
    EXPECT_EQ(std::count(e.begin(), e.end(), "showWindow"), 0);
    EXPECT_EQ(std::count(e.begin(), e.end(), "reselectActivePage"), 1);
}

TEST_F(RunAutoLinkTest, AWindowThatWasVisibleIsShownAgain) {
    host.visible = true;
    run();
    EXPECT_EQ(result(), std::optional<uint32_t>(kAutoLinkNothingDone));
    const auto e = log.entries();
    const auto show = std::find(e.begin(), e.end(), "showWindow");
    ASSERT_NE(show, e.end());
    EXPECT_EQ(*(show + 1), "selectFirstPage");
}

TEST_F(RunAutoLinkTest, CancelWithAPreparedProfileAdoptsItForTheSupervisor) {
    script.done = true;
    run();
    EXPECT_EQ(result(), std::optional<uint32_t>(kAutoLinkProfilePrepared));
    EXPECT_EQ(Names(profiles), (std::vector<std::string>{"Lobby", "<Default>"}));
    EXPECT_TRUE(inUse.empty());
    EXPECT_EQ(trayStates, std::vector<int>{2});
    const auto e = log.entries();
    EXPECT_EQ(std::count(e.begin(), e.end(), "showWindow"), 1);
    EXPECT_EQ(std::count(e.begin(), e.end(), "GetConnectStatus(h)"), 0);
}

TEST_F(RunAutoLinkTest, CancelWithoutAProfileChangesNothing) {
    run();
    EXPECT_EQ(result(), std::optional<uint32_t>(kAutoLinkNothingDone));
    EXPECT_EQ(Names(profiles), (std::vector<std::string>{"old", "<Default>"}));
}

TEST_F(RunAutoLinkTest, CardLostDuringTheDialogKeeps1009ForTheSupervisor) {
    script.done = true;
    script.duringExec = [&] {
        // What the main window does on event 2 while the flow runs.
        autoLinkEvent.Signal(flags, kAutoLinkConnected);
        handle.exclusive([](ZARN9100_HANDLE* h) {
            *h = nullptr;
            return 0;
        });
    };
    run();
    EXPECT_EQ(result(), std::optional<uint32_t>(kAutoLinkConnected));
    EXPECT_EQ(trayStates, std::vector<int>{0});
    EXPECT_EQ(flags.autoLinkRunning.load(), 0u);
}

}  // namespace
}  // namespace tembrel::testing
