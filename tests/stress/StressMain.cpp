// tembrel_stress: the fault campaigns behind scripts/stress. Prints one table of figures and
// exits with 1 when a figure misses its target.
//   tembrel_stress [--kills N] [--profiles N] [--rounds N] [--library PATH] [--only crash|hostile]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "CrashSaveCampaign.h"
#include "HostileDriverCampaign.h"

namespace {

bool Number(const char* text, std::size_t& out) {
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0' || v == 0 || v > 1'000'000) return false;
    out = static_cast<std::size_t>(v);
    return true;
}

int Usage() {
    std::fputs("usage: tembrel_stress [--kills N] [--profiles N] [--rounds N] [--library PATH] [--only crash|hostile]\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tembrel::stress;
    CrashSaveOptions crash;
    HostileOptions hostile;
    hostile.library = (std::filesystem::path(argv[0]).parent_path() / "libTembrel.so").string();
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return Usage();
        const char* value = argv[++i];
        if (option == "--kills" && Number(value, crash.kills)) continue;
        if (option == "--profiles" && Number(value, crash.profiles)) continue;
        if (option == "--rounds" && Number(value, hostile.rounds)) continue;
        if (option == "--library") {
            hostile.library = value;
            continue;
        }
        if (option == "--only" && (std::strcmp(value, "crash") == 0 || std::strcmp(value, "hostile") == 0)) {
            only = value;
            continue;
        }
        return Usage();
    }

    std::vector<Figure> rows;
    if (only.empty() || only == "crash") {
        auto figures = RunCrashSaveCampaign(crash);
        rows.insert(rows.end(), figures.begin(), figures.end());
    }
    if (only.empty() || only == "hostile") {
        auto figures = RunHostileDriverCampaign(hostile);
        rows.insert(rows.end(), figures.begin(), figures.end());
    }
    PrintTable(rows);
    return AllMet(rows) ? 0 : 1;
}
