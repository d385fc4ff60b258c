#pragma once
// Event storm: the simulated card sends events as fast as they can be delivered for a while, to
// the main window connected on it. Nothing may crash, the window must keep answering, and memory
// must come back to its level before the storm within 10 s after it.

#include <cstdint>
#include <string>
#include <vector>

#include "StressTable.h"

namespace tembrel::stress {

struct StormOptions {
    std::string library;
    uint32_t stormMs = 10000;
};

// Needs a QApplication.
std::vector<Figure> RunEventStormCampaign(const StormOptions& options);

}  // namespace tembrel::stress
