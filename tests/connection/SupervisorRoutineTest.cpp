// The supervisor's steps run synchronously on the test thread.
#include "connection/SupervisorRoutine.h"
#include "tests/connection/SupervisorFixture.h"
#include "tests/support/ScanBufferBuilder.h"

#include <gtest/gtest.h>

namespace tembrel::testing {
namespace {

using Log = std::vector<std::string>;

Log Join(std::initializer_list<Log> parts) {
    Log out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

class RoutineTest : public SupervisorFixture {
protected:
    RoutineTest() {
        profiles.Assign({NamedProfile("A", "alpha", 1), NamedProfile("B", "beta", 1, 0), NamedProfile("C", "gamma", 1),
                         NamedProfile("D", "delta", 0)});
    }
    SupervisorRoutine& routine() {
        if (!routine_) {
            ctx_ = std::make_unique<SupervisorContext>(context());
            ctx_->networksHeard = networksHeard;
            routine_ = std::make_unique<SupervisorRoutine>(*ctx_, stop.get_token());
        }
        return *routine_;
    }
    // When connecting `name`, the snapshot shows `name`'s network.
    void associateOn(const std::string& target, const std::string& ssid, uint32_t mode) {
        onConnect = [this, target, ssid, mode](const std::string& name) {
            if (name == target) snapshot.write(AssociatedSnapshot(ssid, mode));
        };
    }

    std::stop_source stop;
    NetworksHeardSource networksHeard;

private:
    std::unique_ptr<SupervisorContext> ctx_;
    std::unique_ptr<SupervisorRoutine> routine_;
};

TEST_F(RoutineTest, StartupScanKeepsTheNetworkMode) {
    driver.setOutU32("QueryNetworkMode", 0);
    routine().StartupScan();
    EXPECT_EQ(entries(), (Log{"QueryNetworkMode(h, out)", "SetNetworkMode(h, 0)", "Scan(h)"}));
}

TEST_F(RoutineTest, StartupScanWithoutACardDoesNothing) {
    removeCard();
    routine().StartupScan();
    EXPECT_TRUE(entries().empty());
}

// ---- WalkPreferList ----

TEST_F(RoutineTest, WalkTriesPreferProfilesInListOrderUntilOneAssociates) {
    connectResults = {1, 0};
    EXPECT_EQ(routine().WalkPreferList(), 1);
    EXPECT_EQ(entries(), (Log{"connect(A)", "connect(C)", "page(1004)"}));
}

// The history hears each profile tried, its place among the prefer-list profiles (B is not one)
// and why the ones before it in this walk did not join.
TEST_F(RoutineTest, WalkTellsTheHistoryEachPlaceAndWhatFailedBeforeIt) {
    connectResults = {1, 2, 0};
    routine().WalkPreferList();
    EXPECT_EQ(history.joins(), (Log{"supervisor A #1", "supervisor C #2 after A: not heard",
                                    "supervisor D #3 after A: not heard, C: refused the security settings"}));
}

TEST_F(RoutineTest, WalkThatAssociatesNothingTriesEveryPreferProfileOnceWithoutPause) {
    EXPECT_EQ(routine().WalkPreferList(), 1);
    EXPECT_EQ(entries(), (Log{"connect(A)", "connect(C)", "connect(D)", "page(1004)"}));
}

TEST_F(RoutineTest, WalkWithoutPreferProfilesPausesThenReports) {
    profiles.Assign({NamedProfile("A", "alpha", 1, 0), NamedProfile("B", "beta", 1, 2)});
    EXPECT_EQ(routine().WalkPreferList(), 1);
    EXPECT_EQ(entries(), (Log{"wait(pause)", "page(1004)"}));
}

TEST_F(RoutineTest, WalkOverAnEmptyListPausesThenReports) {
    profiles.Clear();
    EXPECT_EQ(routine().WalkPreferList(), 1);
    EXPECT_EQ(entries(), (Log{"wait(pause)", "page(1004)"}));
}

struct PendingRow {
    const char* name;
    std::string ssid;
    uint32_t mode;
    bool adHoc;
    bool stops;
};
void PrintTo(const PendingRow& r, std::ostream* os) { *os << r.name; }

class PendingResultTest : public RoutineTest, public ::testing::WithParamInterface<PendingRow> {};

TEST_P(PendingResultTest, ResultFourStopsOnlyOnTheProfilesNetwork) {
    const PendingRow& row = GetParam();
    connectResults = {ZARN9100_RESULT_PENDING};
    onConnect = [&](const std::string& name) {
        if (name != "A") return;
        ConnectionSnapshot s = AssociatedSnapshot(row.ssid, row.mode);
        if (row.adHoc) {
            s.connected = 0;
            s.adHocStarted = 1;
        }
        snapshot.write(s);
    };
    routine().WalkPreferList();
    const Log expected = row.stops ? Log{"connect(A)", "page(1004)"}
                                   : Log{"connect(A)", "connect(C)", "connect(D)", "page(1004)"};
    EXPECT_EQ(entries(), expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, PendingResultTest,
                         ::testing::Values(PendingRow{"SameNetwork", "alpha", 1, false, true},
                                           PendingRow{"AdHocStartedCounts", "alpha", 1, true, true},
                                           PendingRow{"OtherSsid", "alphA", 1, false, false},
                                           PendingRow{"LongerSsid", "alpha2", 1, false, false},
                                           PendingRow{"OtherNetworkType", "alpha", 0, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The networks heard decide which profiles are tried; those tried see the same calls as before.
struct HeardRow {
    const char* name;
    std::vector<std::string> heard;  // SSIDs of the scan list
    int scanListResult;              // QueryScanList's answer
    uint32_t autoLink;
    Log tried;                       // after the scan-list read
};
void PrintTo(const HeardRow& r, std::ostream* os) { *os << r.name; }

class NetworksHeardTest : public RoutineTest, public ::testing::WithParamInterface<HeardRow> {
protected:
    NetworksHeardTest() {
        // E is hidden, F joins any open network, G has no SSID (the card picks a network):
        // none of them is ever heard by its SSID.
        auto hidden = NamedProfile("E", "echo", 1);
        hidden->hiddenSsid = 1;
        profiles.Append(std::move(hidden));
        profiles.Append(NamedProfile("F", std::string(kAnySsid), 1));
        profiles.Append(NamedProfile("G", "", 1));
        networksHeard = [this] { return ReadNetworksHeard(driver, handle); };
    }
};

TEST_P(NetworksHeardTest, WalkTriesOnlyProfilesThatMayReachTheirNetwork) {
    const HeardRow& row = GetParam();
    std::vector<TestScanEntry> entries_;
    for (const auto& ssid : row.heard) entries_.push_back(TestScanEntry{.ssid = ssid});
    driver.setOutBytes("QueryScanList", BuildScanBuffer(entries_));
    driver.setResult("QueryScanList", row.scanListResult);
    flags.autoLink = row.autoLink;
    EXPECT_EQ(routine().WalkPreferList(), 1);
    EXPECT_EQ(entries(), Join({{"QueryScanList(h, out, 24576)"}, row.tried}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NetworksHeardTest,
    ::testing::Values(
        HeardRow{"AllHeard", {"alpha", "gamma", "beta"}, 0, 1,
                 {"connect(A)", "connect(C)", "connect(D)", "connect(E)", "connect(F)", "connect(G)", "page(1004)"}},
        HeardRow{"OnlyGammaHeard", {"other", "gamma"}, 0, 1,
                 {"connect(C)", "connect(D)", "connect(E)", "connect(F)", "connect(G)", "page(1004)"}},
        HeardRow{"NothingHeardStillTriesAdHocHiddenAnyAndEmpty", {}, 0, 1,
                 {"connect(D)", "connect(E)", "connect(F)", "connect(G)", "page(1004)"}},
        HeardRow{"ExactBytesOnly", {"Alpha", "gamma2"}, 0, 1,
                 {"connect(D)", "connect(E)", "connect(F)", "connect(G)", "page(1004)"}},
        HeardRow{"UnreadableListTriesEveryProfile", {}, 1, 1,
                 {"connect(A)", "connect(C)", "connect(D)", "connect(E)", "connect(F)", "connect(G)", "page(1004)"}},
        HeardRow{"WithoutAutoLinkAPassedOverProfileAsksForAScan", {"alpha"}, 0, 0,
                 {"connect(A)", "connect(D)", "connect(E)", "connect(F)", "connect(G)", "Scan(h)", "page(1004)"}},
        HeardRow{"WithoutAutoLinkNothingPassedOverNoScan", {"alpha", "gamma"}, 0, 0,
                 {"connect(A)", "connect(C)", "connect(D)", "connect(E)", "connect(F)", "connect(G)", "page(1004)"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RoutineTest, ResultFourWithoutAConnectionGoesOn) {
    connectResults = {ZARN9100_RESULT_PENDING, ZARN9100_RESULT_PENDING};
    routine().WalkPreferList();
    EXPECT_EQ(entries(), (Log{"connect(A)", "connect(C)", "connect(D)", "page(1004)"}));
}

TEST_F(RoutineTest, StoppingMidWalkEndsItWithoutPauseOrReport) {
    onConnect = [this](const std::string& name) {
        if (name == "A") stopping = 1;
    };
    EXPECT_EQ(routine().WalkPreferList(), 1);
    EXPECT_EQ(entries(), (Log{"connect(A)"}));
}

TEST_F(RoutineTest, RadioOffMidWalkEndsItWithoutPause) {
    onConnect = [this](const std::string& name) {
        if (name == "A") radioState = 0;
    };
    EXPECT_EQ(routine().WalkPreferList(), 1);
    EXPECT_EQ(entries(), (Log{"connect(A)", "page(1004)"}));
}

TEST_F(RoutineTest, CardRemovedMidWalkEndsItAndTheNextPassEndsTheThread) {
    onConnect = [this](const std::string& name) {
        if (name == "A") removeCard();
    };
    EXPECT_EQ(routine().WalkPreferList(), 1);
    EXPECT_EQ(entries(), (Log{"connect(A)", "page(1004)"}));
    EXPECT_EQ(routine().RunPass(), SupervisorRoutine::Pass::kEnd);
}

TEST_F(RoutineTest, StopRequestMidWalkEndsThePassSilently) {
    flags.autoLink = 0;
    onConnect = [this](const std::string&) { stop.request_stop(); };
    EXPECT_EQ(routine().RunPass(), SupervisorRoutine::Pass::kEnd);
    EXPECT_EQ(entries(), (Log{"tray(3)", "connect(A)"}));
}

TEST_F(RoutineTest, WalkWithoutACardReportsZero) {
    removeCard();
    EXPECT_EQ(routine().WalkPreferList(), 0);
    EXPECT_TRUE(entries().empty());
}

TEST_F(RoutineTest, WalkWithTheRadioOffReportsAtOnce) {
    radioState = 0;
    EXPECT_EQ(routine().WalkPreferList(), 1);
    EXPECT_TRUE(entries().empty());
}

TEST_F(RoutineTest, WalkFollowsTheListWhileConnectProfileMovesEntries) {
    // ConnectProfile moves the profile it applies to the head (SetProfileInUse).
    profiles.Assign({NamedProfile("A", "a", 1), NamedProfile("B", "b", 1), NamedProfile("C", "c", 1)});
    onConnect = [this](const std::string& name) {
        const auto index = profiles.IndexOfName(name);
        if (index) profiles.Move(*index, 0);
    };
    routine().WalkPreferList();
    EXPECT_EQ(entries(), (Log{"connect(A)", "connect(B)", "connect(C)", "page(1004)"}));
}

// ---- One pass ----

struct IdleRow {
    const char* name;
    uint32_t radio;
    uint32_t connected;
    uint32_t adHocStarted;
    uint32_t monitor;
};
void PrintTo(const IdleRow& r, std::ostream* os) { *os << r.name; }

class IdlePassTest : public RoutineTest, public ::testing::WithParamInterface<IdleRow> {};

TEST_P(IdlePassTest, OnlyWaits) {
    const IdleRow& row = GetParam();
    radioState = row.radio;
    ConnectionSnapshot s;
    s.connected = row.connected;
    s.adHocStarted = row.adHocStarted;
    snapshot.write(s);
    flags.monitorMode = row.monitor;
    EXPECT_EQ(routine().RunPass(), SupervisorRoutine::Pass::kContinue);
    EXPECT_TRUE(entries().empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, IdlePassTest,
                         ::testing::Values(IdleRow{"RadioOff", 0, 0, 0, 0}, IdleRow{"Connected", 1, 1, 0, 0},
                                           IdleRow{"AdHocStarted", 1, 0, 1, 0}, IdleRow{"MonitorMode", 1, 0, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RoutineTest, PassWithoutACardEnds) {
    removeCard();
    EXPECT_EQ(routine().RunPass(), SupervisorRoutine::Pass::kEnd);
}

TEST_F(RoutineTest, PreferListPassShowsScanningThenTheOutcome) {
    flags.autoLink = 0;
    connectResults = {1, 0};
    associateOn("C", "gamma", 1);
    EXPECT_EQ(routine().RunPass(), SupervisorRoutine::Pass::kContinue);
    EXPECT_EQ(entries(), (Log{"tray(3)", "connect(A)", "connect(C)", "page(1004)", "tray(1)"}));
}

TEST_F(RoutineTest, WalkThatEndsWithoutACardShowsUnplugged) {
    flags.autoLink = 0;
    onConnect = [this](const std::string&) { removeCard(); };
    routine().RunPass();
    EXPECT_EQ(entries(), (Log{"tray(3)", "connect(A)", "page(1004)", "tray(0)"}));
}

TEST_F(RoutineTest, NeitherOptionMeansNoWork) {
    flags.autoLink = 0;
    flags.autoConfiguration = 0;
    EXPECT_EQ(routine().RunPass(), SupervisorRoutine::Pass::kContinue);
    EXPECT_TRUE(entries().empty());
}

TEST_F(RoutineTest, PreferListIsLeftAloneWhileAPageUsesTheCard) {
    flags.autoLink = 0;
    stopping = 1;
    routine().RunPass();
    EXPECT_TRUE(entries().empty());
}

// ---- Auto Link hand-over ----

class AutoLinkPassTest : public RoutineTest {
protected:
    // The user-interface thread's answer to code 1007.
    void answer(uint32_t result) {
        onAutoLinkRequest = [this, result] { autoLinkEvent.Signal(flags, result); };
    }
    void prepareProfileFirst() {
        profiles.Edit([](ProfileSequence& seq) { seq.insert(seq.begin(), NamedProfile("P", "Lobby", 1, 1)); });
    }
};

const Log kAutoLinkScan{"QueryNetworkMode(h, out)", "SetNetworkMode(h, 1)", "Scan(h)", "request(1007)"};

TEST_F(AutoLinkPassTest, NothingDoneGoesOnWithThePreferList) {
    driver.setOutU32("QueryNetworkMode", 1);
    flags.autoConfiguration = 1;
    answer(kAutoLinkNothingDone);
    connectResults = {0};
    associateOn("A", "alpha", 1);
    routine().RunPass();
    EXPECT_EQ(entries(), Join({kAutoLinkScan, {"tray(3)", "connect(A)", "page(1004)", "tray(1)"}}));
}

TEST_F(AutoLinkPassTest, ConnectedByAutoLinkSkipsThePreferList) {
    driver.setOutU32("QueryNetworkMode", 1);
    onAutoLinkRequest = [this] {
        snapshot.write(AssociatedSnapshot("Lobby", 1));
        autoLinkEvent.Signal(flags, kAutoLinkConnected);
    };
    routine().RunPass();
    EXPECT_EQ(entries(), kAutoLinkScan);
}

TEST_F(AutoLinkPassTest, StaleSignalFromAnEarlierFlowIsNotTaken) {
    driver.setOutU32("QueryNetworkMode", 1);
    flags.autoConfiguration = 0;
    autoLinkEvent.Signal(flags, kAutoLinkProfilePrepared);
    answer(kAutoLinkNothingDone);
    routine().RunPass();
    EXPECT_EQ(entries(), kAutoLinkScan);
}

TEST_F(AutoLinkPassTest, PreparedProfileFailingThreeTimesSaysAutoLinkFailed) {
    driver.setOutU32("QueryNetworkMode", 1);
    flags.autoConfiguration = 0;
    prepareProfileFirst();
    answer(kAutoLinkProfilePrepared);
    routine().RunPass();
    EXPECT_EQ(entries(), Join({kAutoLinkScan,
                               {"tray(3)", "page(1003, Scanning for Lobby)", "connect(P)", "connect(P)", "connect(P)",
                                "message(Auto Link Failed!)", "wait(message)", "tray(2)"}}));
}

TEST_F(AutoLinkPassTest, PreparedProfileThatAssociatesEndsTheAttempts) {
    driver.setOutU32("QueryNetworkMode", 1);
    prepareProfileFirst();
    answer(kAutoLinkProfilePrepared);
    connectResults = {1, 0};
    associateOn("P", "Lobby", 1);
    routine().RunPass();
    // Connected now, so the prefer list is not walked.
    EXPECT_EQ(entries(), Join({kAutoLinkScan, {"tray(3)", "page(1003, Scanning for Lobby)", "connect(P)",
                                               "connect(P)", "tray(1)"}}));
    EXPECT_EQ(history.joins(), (Log{"autolink P", "autolink P"}));
}

TEST_F(AutoLinkPassTest, PendingResultOnThePreparedNetworkEndsTheAttempts) {
    driver.setOutU32("QueryNetworkMode", 1);
    flags.autoConfiguration = 0;
    prepareProfileFirst();
    answer(kAutoLinkProfilePrepared);
    connectResults = {ZARN9100_RESULT_PENDING};
    associateOn("P", "Lobby", 1);
    routine().RunPass();
    EXPECT_EQ(entries(), Join({kAutoLinkScan, {"tray(3)", "page(1003, Scanning for Lobby)", "connect(P)", "tray(1)"}}));
}

TEST_F(AutoLinkPassTest, AttemptsEndQuietlyWhenAPageTakesTheCard) {
    driver.setOutU32("QueryNetworkMode", 1);
    prepareProfileFirst();
    answer(kAutoLinkProfilePrepared);
    onConnect = [this](const std::string&) { stopping = 1; };
    routine().RunPass();
    EXPECT_EQ(entries(), Join({kAutoLinkScan, {"tray(3)", "page(1003, Scanning for Lobby)", "connect(P)", "tray(2)"}}));
}

TEST_F(AutoLinkPassTest, AttemptsEndWhenTheProfileIsDeleted) {
    driver.setOutU32("QueryNetworkMode", 1);
    flags.autoConfiguration = 0;
    prepareProfileFirst();
    answer(kAutoLinkProfilePrepared);
    onConnect = [this](const std::string&) { profiles.RemoveAt(0); };
    routine().RunPass();
    EXPECT_EQ(entries(), Join({kAutoLinkScan, {"tray(3)", "page(1003, Scanning for Lobby)", "connect(P)", "tray(2)"}}));
}

TEST_F(AutoLinkPassTest, CardLostDuringTheFlowEndsTheThread) {
    driver.setOutU32("QueryNetworkMode", 1);
    onAutoLinkRequest = [this] {
        // Event 2 while the flow runs: 1009, then CloseAdapter.
        autoLinkEvent.Signal(flags, kAutoLinkConnected);
        stopping = 1;
        removeCard();
    };
    EXPECT_EQ(routine().RunPass(), SupervisorRoutine::Pass::kContinue);
    EXPECT_EQ(entries(), kAutoLinkScan);
    EXPECT_EQ(routine().RunPass(), SupervisorRoutine::Pass::kEnd);
}

TEST_F(AutoLinkPassTest, StopDuringThePreparedProfileAttemptsEndsThePassSilently) {
    driver.setOutU32("QueryNetworkMode", 1);
    prepareProfileFirst();
    answer(kAutoLinkProfilePrepared);
    onConnect = [this](const std::string&) { stop.request_stop(); };
    EXPECT_EQ(routine().RunPass(), SupervisorRoutine::Pass::kEnd);
    EXPECT_EQ(entries(), Join({kAutoLinkScan, {"tray(3)", "page(1003, Scanning for Lobby)", "connect(P)"}}));
}

TEST_F(AutoLinkPassTest, StopWhileWaitingForTheFlowEndsThePass) {
    onAutoLinkRequest = [this] { stop.request_stop(); };
    EXPECT_EQ(routine().RunPass(), SupervisorRoutine::Pass::kEnd);
    EXPECT_EQ(entries().back(), "request(1007)");
}

}  // namespace
}  // namespace tembrel::testing
