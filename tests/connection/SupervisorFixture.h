#pragma once
// The pieces the supervisor shares with the main window, wired to the recording driver: an open
// handle, the adapter's atomics, a profile list, the snapshot, the flags and the Auto Link
// event, plus a notification log and a scripted ConnectProfile.

#include "connection/SupervisorRoutine.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "tests/adapter/AdapterTestHooks.h"
#include "tests/support/PollUntil.h"
#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tembrel::testing {

inline ProfilePtr NamedProfile(const std::string& name, const std::string& ssid, uint32_t networkType,
                               uint32_t inPreferList = 1) {
    auto p = NewEmptyProfile();
    SetProfileName(*p, name);
    SetProfileSsid(*p, ssid);
    p->networkType = networkType;
    p->inPreferList = inPreferList;
    return p;
}

inline ConnectionSnapshot AssociatedSnapshot(const std::string& ssid, uint32_t networkMode) {
    ConnectionSnapshot s;
    s.connected = 1;
    s.currentNetworkMode = networkMode;
    std::copy_n(ssid.begin(), std::min<size_t>(ssid.size(), 32), s.currentSsid.begin());
    return s;
}

class SupervisorFixture : public ::testing::Test {
protected:
    SupervisorFixture() {
        log.attach(driver);
        openCard();
    }

    void openCard() {
        handle.exclusive([&](ZARN9100_HANDLE* h) {
            *h = driver.adapterHandle();
            return 0;
        });
    }
    void removeCard() {
        handle.exclusive([](ZARN9100_HANDLE* h) {
            *h = nullptr;
            return 0;
        });
    }

    // ConnectProfile as the supervisor sees it: logs "connect(<name>)" and answers from
    // `connectResults` (front first, then `defaultConnectResult`); `onConnect` runs inside.
    int connect(const ProfilePtr& profile) {
        std::function<void(const std::string&)> hook;
        int result;
        {
            std::lock_guard lock(scriptMutex);
            result = defaultConnectResult;
            if (!connectResults.empty()) {
                result = connectResults.front();
                connectResults.pop_front();
            }
            hook = onConnect;
        }
        const std::string name(ProfileName(*profile));
        log.add("connect(" + name + ")");
        if (hook) hook(name);
        return result;
    }

    SupervisorContext context() {
        SupervisorTiming t = timing;
        t.waitStarted = [this](SupervisorWait w) {
            if (logWaits) log.add(w == SupervisorWait::kPeriod ? "wait(period)" : "wait(pause)");
        };
        return SupervisorContext{
            driver,
            handle,
            stopping,
            radioState,
            profiles,
            snapshot,
            flags,
            autoLinkEvent,
            [this](const ProfilePtr& p) { return connect(p); },
            SupervisorNotifications{
                [this](int state) { log.add("tray(" + std::to_string(state) + ")"); },
                [this](uint32_t code, const std::string& text) {
                    log.add("page(" + std::to_string(code) + (text.empty() ? "" : ", " + text) + ")");
                },
                [this] {
                    log.add("request(1007)");
                    std::function<void()> hook;
                    {
                        std::lock_guard lock(scriptMutex);
                        hook = onAutoLinkRequest;
                    }
                    if (hook) hook();
                },
                [this](const std::string& text) { log.add("message(" + text + ")"); },
            },
            t,
        };
    }

    std::vector<std::string> entries() const { return log.entries(); }
    size_t countOf(const std::string& entry) const {
        const auto e = log.entries();
        return static_cast<size_t>(std::count(e.begin(), e.end(), entry));
    }

    RecordingDriver driver;
    CallLog log;
    AdapterHandle handle;
    std::atomic<uint32_t> stopping{0};
    std::atomic<uint32_t> radioState{1};
    ProfileList profiles;
    ConnectionSnapshotHolder snapshot;
    SupervisorFlags flags;
    AutoLinkEvent autoLinkEvent;
    SupervisorTiming timing{std::chrono::milliseconds(1), std::chrono::milliseconds(1)};
    std::atomic<bool> logWaits{true};

    std::mutex scriptMutex;
    std::deque<int> connectResults;
    int defaultConnectResult = 1;
    std::function<void(const std::string&)> onConnect;
    std::function<void()> onAutoLinkRequest;
};

}  // namespace tembrel::testing
