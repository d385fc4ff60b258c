// tembrel_stress: the fault campaigns behind scripts/stress. Prints one table of figures and
// exits with 1 when a figure misses its target. Each campaign runs in a process of its own (the
// simulated card is one per process), started from here unless --only names one.
//   tembrel_stress [--kills N] [--damages N] [--profiles N] [--rounds N] [--pulls N] [--storm-ms N]
//                  [--library PATH] [--only crash|damaged|pulls|storm|hostile] [--no-header]
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <filesystem>
#include <string>
#include <vector>

#include "CardPullCampaign.h"
#include "CrashSaveCampaign.h"
#include "DamagedStoreCampaign.h"
#include "EventStormCampaign.h"
#include "HostileDriverCampaign.h"

namespace {

const char* const kCampaigns[] = {"crash", "damaged", "pulls", "storm", "hostile"};

bool Number(const char* text, std::size_t& out) {
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0' || v == 0 || v > 1'000'000) return false;
    out = static_cast<std::size_t>(v);
    return true;
}

int Usage() {
    std::fputs("usage: tembrel_stress [--kills N] [--damages N] [--profiles N] [--rounds N] [--pulls N]\n"
               "                      [--library PATH] [--storm-ms N] [--only crash|damaged|pulls|storm|hostile]\n"
               "                      [--no-header]\n",
               stderr);
    return 2;
}

// Runs this program again for one campaign; true when it met every target.
bool RunCampaignProcess(const std::vector<std::string>& args, const char* campaign, bool header) {
    std::vector<std::string> childArgs = args;
    childArgs.insert(childArgs.end(), {"--only", campaign});
    if (!header) childArgs.emplace_back("--no-header");
    std::vector<char*> argv;
    for (auto& a : childArgs) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execv("/proc/self/exe", argv.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return false;
    if (!WIFEXITED(status))
        std::printf("| %s | the campaign's process | ended by signal %d | ended normally | NO |\n", campaign,
                    WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tembrel::stress;
    CrashSaveOptions crash;
    DamagedStoreOptions damaged;
    HostileOptions hostile;
    CardPullOptions pulls;
    StormOptions storm;
    std::size_t stormMs = storm.stormMs;
    hostile.library = (std::filesystem::path(argv[0]).parent_path() / "libTembrel.so").string();
    std::string only;
    bool header = true;
    std::vector<std::string> args{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--no-header") {
            header = false;
            continue;
        }
        if (i + 1 >= argc) return Usage();
        const char* value = argv[++i];
        if (option == "--only") {
            only = value;
            if (std::find_if(std::begin(kCampaigns), std::end(kCampaigns),
                             [&](const char* name) { return only == name; }) == std::end(kCampaigns))
                return Usage();
            continue;
        }
        if (option == "--library") {
            hostile.library = value;
        } else if (!((option == "--kills" && Number(value, crash.kills)) ||
                     (option == "--damages" && Number(value, damaged.rounds)) ||
                     (option == "--profiles" && Number(value, crash.profiles)) ||
                     (option == "--rounds" && Number(value, hostile.rounds)) ||
                     (option == "--pulls" && Number(value, pulls.pulls)) ||
                     (option == "--storm-ms" && Number(value, stormMs) && stormMs <= 60000))) {
            return Usage();
        }
        args.insert(args.end(), {option, value});
    }
    damaged.profiles = crash.profiles;
    pulls.library = hostile.library;
    storm.library = hostile.library;
    storm.stormMs = static_cast<uint32_t>(stormMs);

    if (only.empty()) {
        bool met = true;
        for (const char* campaign : kCampaigns) met = RunCampaignProcess(args, campaign, campaign == kCampaigns[0]) && met;
        return met ? 0 : 1;
    }
    std::vector<Figure> rows;
    if (only == "crash") {
        rows = RunCrashSaveCampaign(crash);
    } else if (only == "damaged") {
        rows = RunDamagedStoreCampaign(damaged);
        const std::vector<Figure> twice = RunDoubleDamageCampaign(damaged);
        rows.insert(rows.end(), twice.begin(), twice.end());
    } else if (only == "pulls" || only == "storm") {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        ::setenv("TEMBREL_SIM_SOCKET", "none", 1);
        QApplication app(argc, argv);
        rows = only == "pulls" ? RunCardPullCampaign(pulls) : RunEventStormCampaign(storm);
    } else {
        rows = RunHostileDriverCampaign(hostile);
    }
    PrintTable(rows, header);
    return AllMet(rows) ? 0 : 1;
}
