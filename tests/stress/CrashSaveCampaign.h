#pragma once
// Crash during save: a child process saves a store of many profiles again and again and is
// killed with SIGKILL at a random moment; after every kill the store must load whole and hold
// either the last generation the child finished or the one it was writing.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "StressTable.h"

namespace tembrel::stress {

struct CrashSaveOptions {
    std::size_t kills = 1000;
    std::size_t profiles = 1000;
    uint32_t seed = 7700;
};

std::vector<Figure> RunCrashSaveCampaign(const CrashSaveOptions& options);

}  // namespace tembrel::stress
