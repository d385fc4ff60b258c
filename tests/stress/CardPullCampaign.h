#pragma once
// Card pulls: the main window runs on the simulated card while the card is pulled out and put
// back at random moments during connects, scans and the supervisor's walk. The user-interface
// thread is watched for stalls, and after the last insert the window must connect again.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "StressTable.h"

namespace tembrel::stress {

struct CardPullOptions {
    std::string library;
    std::size_t pulls = 100;
    uint32_t seed = 7700;
};

// Needs a QApplication.
std::vector<Figure> RunCardPullCampaign(const CardPullOptions& options);

}  // namespace tembrel::stress
