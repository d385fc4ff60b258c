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

// What the supervisor told the history: "supervisor C #2 after A: not heard", "autolink P".
class RecordedJoins final : public HistorySink {
public:
    void joinAttempted(const JoinAttempt& a) override {
        std::string line = a.requester == JoinRequester::Supervisor ? "supervisor " : a.requester == JoinRequester::AutoLink ? "autolink " : "user ";
        line += a.profile;
        if (a.preferPlace > 0) line += " #" + std::to_string(a.preferPlace);
        for (size_t i = 0; i < a.skipped.size(); ++i)
            line += (i == 0 ? " after " : ", ") + a.skipped[i].profile + ": " + a.skipped[i].reason;
        std::lock_guard lock(mutex_);
        joins_.push_back(line);
    }
    std::vector<std::string> joins() const {
        std::lock_guard lock(mutex_);
        return joins_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> joins_;
};

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
            if (logWaits)
                log.add(w == SupervisorWait::kPeriod           ? "wait(period)"
                        : w == SupervisorWait::kEmptyWalkPause ? "wait(pause)"
                                                               : "wait(message)");
        };
        SupervisorContext context{
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
                [this](const std::string& text, std::function<void()> dismissed) {
                    log.add("message(" + text + ")");
                    {
                        std::lock_guard lock(scriptMutex);
                        if (holdMessages) {
                            openMessages.push_back(std::move(dismissed));
                            return;
                        }
                    }
                    dismissed();  // the user closes the box at once
                },
            },
            t,
        };
        context.history = &history;
        return context;
    }

    std::vector<std::string> entries() const { return log.entries(); }
    size_t countOf(const std::string& entry) const {
        const auto e = log.entries();
        return static_cast<size_t>(std::count(e.begin(), e.end(), entry));
    }

    RecordingDriver driver;
    CallLog log;
    RecordedJoins history;
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
    // With holdMessages the boxes stay open until dismissOldestMessage().
    bool holdMessages = false;
    std::deque<std::function<void()>> openMessages;

    void dismissOldestMessage() {
        std::function<void()> dismissed;
        {
            std::lock_guard lock(scriptMutex);
            ASSERT_FALSE(openMessages.empty());
            dismissed = std::move(openMessages.front());
            openMessages.pop_front();
        }
        log.add("dismissed");
        dismissed();
    }
};

}  // namespace tembrel::testing
