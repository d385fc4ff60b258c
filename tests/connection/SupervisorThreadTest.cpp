// The supervisor on its own thread, with compressed waits; the test thread plays the
// user-interface thread. Conditions are polled with a generous bound, never timed.
#include "connection/Supervisor.h"
#include "tests/connection/SupervisorFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tembrel::testing {
namespace {

using Log = std::vector<std::string>;
using namespace std::chrono_literals;

class SupervisorThreadTest : public SupervisorFixture {
protected:
    SupervisorThreadTest() {
        profiles.Assign({NamedProfile("A", "alpha", 1), NamedProfile("B", "beta", 1, 0), NamedProfile("C", "gamma", 1)});
    }
    ~SupervisorThreadTest() override {
        if (supervisor) {
            EXPECT_TRUE(supervisor->stop(3000ms));
        }
    }

    void start() {
        if (!supervisor) supervisor = std::make_unique<Supervisor>(context());
        supervisor->start();
    }
    bool passesReach(uint64_t n) {
        return PollUntil([&] { return supervisor->passes() >= n; });
    }
    bool logged(const std::string& entry, size_t times = 1) {
        return PollUntil([&] { return countOf(entry) >= times; });
    }
    // Entries with the period waits left out.
    Log work() const {
        Log out;
        for (const auto& e : entries())
            if (e != "wait(period)") out.push_back(e);
        return out;
    }

    std::unique_ptr<Supervisor> supervisor;
};

// True when `log` is `cycle` repeated, the last repetition possibly cut short.
bool RepeatsCycle(const Log& log, const Log& cycle) {
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i] != cycle[i % cycle.size()]) return false;
    return true;
}

TEST_F(SupervisorThreadTest, BothOptionsOffScansOnceThenOnlyWaits) {
    flags.autoLink = 0;
    flags.autoConfiguration = 0;
    driver.setOutU32("QueryNetworkMode", 1);
    start();
    ASSERT_TRUE(passesReach(5));
    ASSERT_TRUE(supervisor->stop(3000ms));
    EXPECT_EQ(work(), (Log{"QueryNetworkMode(h, out)", "SetNetworkMode(h, 1)", "Scan(h)"}));
    EXPECT_GE(countOf("wait(period)"), 5u);
}

TEST_F(SupervisorThreadTest, PreferListWithoutMarkedProfilesPausesAndReportsOncePerPass) {
    flags.autoLink = 0;
    profiles.Assign({NamedProfile("A", "alpha", 1, 0), NamedProfile("B", "beta", 0, 0)});
    start();
    ASSERT_TRUE(passesReach(3));
    ASSERT_TRUE(supervisor->stop(3000ms));
    EXPECT_TRUE(RepeatsCycle(entries(), {"tray(3)", "wait(pause)", "page(1004)", "tray(2)", "wait(period)"}))
        << ::testing::PrintToString(entries());
    const uint64_t passes = supervisor->passes();
    const size_t reports = countOf("page(1004)");
    EXPECT_TRUE(reports == passes || reports == passes + 1) << reports << " reports, " << passes << " passes";
}

TEST_F(SupervisorThreadTest, WalkStopsAtTheFirstAssociationAndThenOnlyWaits) {
    flags.autoLink = 0;
    connectResults = {1, 0};
    onConnect = [this](const std::string& name) {
        if (name == "C") snapshot.write(AssociatedSnapshot("gamma", 1));
    };
    start();
    ASSERT_TRUE(passesReach(4));
    ASSERT_TRUE(supervisor->stop(3000ms));
    EXPECT_EQ(work(), (Log{"tray(3)", "connect(A)", "connect(C)", "page(1004)", "tray(1)"}));
}

struct IdleRow {
    const char* name;
    uint32_t radio;
    uint32_t connected;
    uint32_t monitor;
};
void PrintTo(const IdleRow& r, std::ostream* os) { *os << r.name; }

class IdleThreadTest : public SupervisorThreadTest, public ::testing::WithParamInterface<IdleRow> {};

TEST_P(IdleThreadTest, OnlyWaits) {
    radioState = GetParam().radio;
    snapshot.write(ConnectionSnapshot{.connected = GetParam().connected});
    flags.monitorMode = GetParam().monitor;
    start();
    ASSERT_TRUE(passesReach(3));
    ASSERT_TRUE(supervisor->stop(3000ms));
    EXPECT_TRUE(work().empty()) << ::testing::PrintToString(entries());
}

INSTANTIATE_TEST_SUITE_P(Rows, IdleThreadTest,
                         ::testing::Values(IdleRow{"RadioOff", 0, 0, 0}, IdleRow{"Connected", 1, 1, 0},
                                           IdleRow{"MonitorMode", 1, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SupervisorThreadTest, StoppingMidWalkLeavesTheCardAlone) {
    flags.autoLink = 0;
    onConnect = [this](const std::string& name) {
        if (name == "A") stopping = 1;
    };
    start();
    ASSERT_TRUE(passesReach(3));
    ASSERT_TRUE(supervisor->stop(3000ms));
    EXPECT_EQ(work(), (Log{"tray(3)", "connect(A)", "tray(2)"}));
}

TEST_F(SupervisorThreadTest, CardRemovalDuringAWalkEndsTheThreadByItself) {
    flags.autoLink = 0;
    onConnect = [this](const std::string&) { removeCard(); };
    start();
    ASSERT_TRUE(PollUntil([&] { return !supervisor->running(); }));
    EXPECT_EQ(entries(), (Log{"tray(3)", "connect(A)", "page(1004)", "tray(0)", "wait(period)"}));
    EXPECT_TRUE(supervisor->stop(0ms));
}

// ---- Auto Link hand-over with the test thread as the user-interface thread ----

class AutoLinkThreadTest : public SupervisorThreadTest {
protected:
    AutoLinkThreadTest() {
        flags.autoConfiguration = 0;
        driver.setOutU32("QueryNetworkMode", 1);
    }
};

TEST_F(AutoLinkThreadTest, ConnectedByAutoLinkEndsTheHandOvers) {
    start();
    ASSERT_TRUE(logged("request(1007)"));
    snapshot.write(AssociatedSnapshot("Lobby", 1));
    autoLinkEvent.Signal(flags, kAutoLinkConnected);
    ASSERT_TRUE(passesReach(4));
    ASSERT_TRUE(supervisor->stop(3000ms));
    EXPECT_EQ(countOf("request(1007)"), 1u);
}

TEST_F(AutoLinkThreadTest, NothingDoneAsksAgainNextPass) {
    start();
    ASSERT_TRUE(logged("request(1007)"));
    autoLinkEvent.Signal(flags, kAutoLinkNothingDone);
    ASSERT_TRUE(logged("request(1007)", 2));
    ASSERT_TRUE(supervisor->stop(3000ms));
    EXPECT_EQ(countOf("Scan(h)"), 2u);
    EXPECT_EQ(countOf("connect(A)"), 0u);
}

TEST_F(AutoLinkThreadTest, PreparedProfileFailingThreeTimesSaysAutoLinkFailed) {
    start();
    ASSERT_TRUE(logged("request(1007)"));
    profiles.Edit([](ProfileSequence& seq) { seq.insert(seq.begin(), NamedProfile("P", "Lobby", 1, 1)); });
    autoLinkEvent.Signal(flags, kAutoLinkProfilePrepared);
    ASSERT_TRUE(logged("message(Auto Link Failed!)"));
    ASSERT_TRUE(supervisor->stop(3000ms));
    const Log e = work();
    const auto from = std::find(e.begin(), e.end(), "tray(3)");
    ASSERT_NE(from, e.end());
    EXPECT_EQ(Log(from, from + 7), (Log{"tray(3)", "page(1003, Scanning for Lobby)", "connect(P)", "connect(P)",
                                        "connect(P)", "message(Auto Link Failed!)", "tray(2)"}));
}

TEST_F(AutoLinkThreadTest, StopWhileWaitingForTheFlowReturnsPromptly) {
    start();
    ASSERT_TRUE(logged("request(1007)"));
    EXPECT_TRUE(supervisor->stop(3000ms));
    EXPECT_FALSE(supervisor->running());
}

TEST_F(AutoLinkThreadTest, CardLostWhileTheFlowRunsEndsTheThread) {
    start();
    ASSERT_TRUE(logged("request(1007)"));
    // The main window on event 2: 1009 and signal, then CloseAdapter (stopping, stop, close).
    autoLinkEvent.Signal(flags, kAutoLinkConnected);
    stopping = 1;
    EXPECT_TRUE(supervisor->stop(3000ms));
    removeCard();
    EXPECT_EQ(countOf("connect(A)"), 0u);
}

// ---- Lifecycle ----

TEST_F(SupervisorThreadTest, TimedOutStopLeavesARunThatEndsByItselfWithoutWalkingOn) {
    flags.autoLink = 0;
    std::atomic<bool> inConnect{false};
    std::atomic<bool> release{false};
    onConnect = [&](const std::string& name) {
        if (name != "A" || release) return;
        inConnect = true;
        PollUntil([&] { return release.load(); });
    };
    start();
    ASSERT_TRUE(PollUntil([&] { return inConnect.load(); }));
    EXPECT_FALSE(supervisor->stop(0ms));
    EXPECT_TRUE(supervisor->running());
    release = true;
    ASSERT_TRUE(PollUntil([&] { return !supervisor->running(); }));
    // Nothing after the stop: no further profile, no report, no tray state.
    EXPECT_EQ(work(), (Log{"tray(3)", "connect(A)"}));

    // The card opens again: a new run walks from the head.
    log.clear();
    supervisor->start();
    ASSERT_TRUE(logged("connect(C)"));
    EXPECT_TRUE(supervisor->stop(3000ms));
}

TEST_F(SupervisorThreadTest, RestartsAfterAStop) {
    flags.autoLink = 0;
    flags.autoConfiguration = 0;
    start();
    ASSERT_TRUE(passesReach(2));
    ASSERT_TRUE(supervisor->stop(3000ms));
    EXPECT_FALSE(supervisor->running());
    const uint64_t before = supervisor->passes();
    supervisor->start();
    EXPECT_TRUE(supervisor->running() || supervisor->passes() > before);
    ASSERT_TRUE(passesReach(before + 2));
    EXPECT_EQ(countOf("Scan(h)"), 2u);
}

TEST_F(SupervisorThreadTest, DestroyingTheSupervisorWaitsForTheCallInProgress) {
    flags.autoLink = 0;
    std::atomic<bool> inConnect{false};
    std::atomic<bool> release{false};
    onConnect = [&](const std::string&) {
        inConnect = true;
        PollUntil([&] { return release.load(); });
    };
    start();
    ASSERT_TRUE(PollUntil([&] { return inConnect.load(); }));
    EXPECT_FALSE(supervisor->stop(0ms));
    std::atomic<bool> destroyed{false};
    std::thread destroyer([&] {
        supervisor.reset();
        destroyed = true;
    });
    // The join cannot end while the thread is inside ConnectProfile.
    EXPECT_FALSE(destroyed.load());
    release = true;
    destroyer.join();
    EXPECT_TRUE(destroyed.load());
    EXPECT_EQ(countOf("connect(C)"), 0u);
}

TEST_F(SupervisorThreadTest, StopWithoutAThreadSucceeds) {
    Supervisor idle(context());
    EXPECT_TRUE(idle.stop(0ms));
    EXPECT_FALSE(idle.running());
}

}  // namespace
}  // namespace tembrel::testing
