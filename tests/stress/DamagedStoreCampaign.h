#pragma once
// Damaged store: a block of a store of many profiles is zeroed (what a power cut leaves), then the
// program starts and exits (load, save) twice; every profile the block did not touch must still
// be found, in Data.cfg or in Data.cfg.bak.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "StressTable.h"

namespace tembrel::stress {

struct DamagedStoreOptions {
    std::size_t rounds = 1000;
    std::size_t profiles = 1000;
    std::size_t blockBytes = 4096;
    uint32_t seed = 7701;
};

std::vector<Figure> RunDamagedStoreCampaign(const DamagedStoreOptions& options);

}  // namespace tembrel::stress
