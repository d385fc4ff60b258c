#include "platform/SignalWatcher.h"

#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace tembrel {
namespace {

using testing_support::EnsureApplication;
using testing_support::WaitUntil;

TEST(SignalWatcherTest, DeliversEachSessionEndSignalOnTheEventLoop) {
    EnsureApplication();
    SignalWatcher watcher;
    std::vector<int> received;
    QObject::connect(&watcher, &SignalWatcher::signalReceived, [&](int s) { received.push_back(s); });
    ASSERT_TRUE(watcher.watch());

    for (int s : {SIGTERM, SIGINT, SIGHUP}) ASSERT_EQ(raise(s), 0);
    EXPECT_TRUE(WaitUntil([&] { return received.size() >= 3; }));
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
}

TEST(SignalWatcherTest, OnlyOneWatcherAtATimeAndHandlersAreRestored) {
    EnsureApplication();
    struct sigaction before {};
    sigaction(SIGHUP, nullptr, &before);
    {
        SignalWatcher first;
        ASSERT_TRUE(first.watch({SIGHUP}));
        EXPECT_FALSE(first.watch({SIGHUP}));
        SignalWatcher second;
        EXPECT_FALSE(second.watch({SIGHUP}));
    }
    struct sigaction after {};
    sigaction(SIGHUP, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);

    // Free again once the first is gone.
    SignalWatcher third;
    EXPECT_TRUE(third.watch({SIGHUP}));
}

TEST(SignalWatcherTest, ReceiverMayDeleteTheWatcher) {
    EnsureApplication();
    auto* watcher = new SignalWatcher;
    bool deleted = false;
    QObject::connect(watcher, &SignalWatcher::signalReceived, [&](int) {
        delete watcher;
        deleted = true;
    });
    ASSERT_TRUE(watcher->watch({SIGTERM}));
    raise(SIGTERM);
    raise(SIGTERM);
    EXPECT_TRUE(WaitUntil([&] { return deleted; }));
    // The second byte died with the watcher; the handler is no longer ours.
    struct sigaction now {};
    sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

TEST(SignalWatcherTest, InvalidSignalInstallsNothing) {
    EnsureApplication();
    SignalWatcher watcher;
    EXPECT_FALSE(watcher.watch({SIGINT, SIGKILL}));
    struct sigaction now {};
    sigaction(SIGINT, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
    EXPECT_TRUE(watcher.watch({SIGINT}));
}

}  // namespace
}  // namespace tembrel
