// One prefer-list walk of the supervisor over N infrastructure profiles whose networks are not in
// range, on the simulated card (manual clock), with the real ConnectProfile. "TryEvery" is the
// walk without the networks heard (every profile is applied to the card); "NetworksHeard" reads
// the scan list once and passes over the absent ones. The per_profile counter (CPU seconds per
// profile) is the figure to compare: it holds under load where wall time does not.
// Run with TEMBREL_BIN_DIR set to the folder of libTembrel.so (default: beside this program).
#include "adapter/DriverLoader.h"
#include "connection/ProfileConnector.h"
#include "connection/StatusRefresher.h"
#include "connection/SupervisorRoutine.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stop_token>
#include <string>

namespace {

using namespace tembrel;

DriverLoadResult& SimulatedCard() {
    static DriverLoadResult loaded = [] {
        setenv("TEMBREL_SIM_CLOCK", "manual", 1);
        setenv("TEMBREL_SIM_SOCKET", "none", 1);
        unsetenv("TEMBREL_SIM_ENVIRONMENT");
        const char* dir = std::getenv("TEMBREL_BIN_DIR");
        const std::filesystem::path folder =
            dir ? std::filesystem::path(dir) : std::filesystem::read_symlink("/proc/self/exe").parent_path();
        return LoadDriverLibrary((folder / "libTembrel.so").string());
    }();
    return loaded;
}

struct Walk {
    DriverLibrary& driver;
    AdapterHandle handle;
    std::atomic<uint32_t> stopping{0};
    std::atomic<uint32_t> radioState{1};
    ProfileList profiles;
    ConnectionSnapshotHolder snapshot;
    SupervisorFlags flags;
    AutoLinkEvent autoLinkEvent;
    StatusRefresher refresher{driver, handle, snapshot, [](int) {}};
    ProfileConnector connector{ConnectionContext{driver, handle, radioState, profiles, snapshot,
                                                 [this](bool c) { refresher.RefreshStatus(c); }}};
    std::stop_source stop;

    Walk(DriverLibrary& d, int count) : driver(d) {
        handle.exclusive([&](ZARN9100_HANDLE* h) { return driver.OpenAdapter(h); });
        for (int i = 0; i < count; ++i) {
            ProfilePtr p = NewEmptyProfile();
            SetProfileName(*p, "Away " + std::to_string(i));
            SetProfileSsid(*p, "away-" + std::to_string(i));
            p->networkType = ZARN9100_NETWORK_INFRASTRUCTURE;
            p->wirelessMode = 255;
            p->inPreferList = 1;
            p->keepAdapterSettings = 1;
            profiles.Append(std::move(p));
        }
    }
    ~Walk() {
        handle.exclusive([&](ZARN9100_HANDLE* h) { return driver.CloseAdapter(h); });
    }

    SupervisorContext context(bool useNetworksHeard) {
        SupervisorContext c{driver, handle, stopping, radioState, profiles, snapshot, flags, autoLinkEvent,
                            [this](const ProfilePtr& p) { return connector.ConnectProfile(p); },
                            SupervisorNotifications{}, SupervisorTiming{}};
        if (useNetworksHeard) c.networksHeard = [this] { return ReadNetworksHeard(driver, handle); };
        return c;
    }
};

void RunWalk(benchmark::State& state, bool useNetworksHeard) {
    DriverLoadResult& card = SimulatedCard();
    if (!card.loaded) {
        state.SkipWithError(card.error.c_str());
        return;
    }
    const int count = static_cast<int>(state.range(0));
    Walk walk(*card.library, count);
    if (!walk.handle.held()) {
        state.SkipWithError("the simulated card did not open");
        return;
    }
    const SupervisorContext context = walk.context(useNetworksHeard);
    for (auto _ : state) {
        SupervisorRoutine routine(context, walk.stop.get_token());
        benchmark::DoNotOptimize(routine.WalkPreferList());
    }
    state.counters["per_profile"] =
        benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}

void BM_PreferListWalkTryEvery(benchmark::State& state) { RunWalk(state, false); }
void BM_PreferListWalkNetworksHeard(benchmark::State& state) { RunWalk(state, true); }

// Trying every profile costs a whole ConnectProfile each: a few thousand show the per-profile
// figure without spending minutes; passing over scales to the full 60,000.
BENCHMARK(BM_PreferListWalkTryEvery)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PreferListWalkNetworksHeard)->Arg(1000)->Arg(4000)->Arg(60000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
