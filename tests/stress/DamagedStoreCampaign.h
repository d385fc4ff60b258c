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

// Double damage: a block is zeroed, the program starts and exits, another block of the new store
// is zeroed, the program starts and exits again (a tenth of `rounds`); every profile the first
// block did not touch must be read back, byte for byte, by the program's own reader from
// Data.cfg or one of its copies, and the copies stay within their bound.
std::vector<Figure> RunDoubleDamageCampaign(const DamagedStoreOptions& options);

}  // namespace tembrel::stress
