#pragma once
// Hostile driver library: the simulated card in its hostile mode answers every query with
// nonsense, and the program's own readers (connection snapshot, Network Status page logic, scan
// list walk, security detection, Auto Link candidates) must stay inside their buffers and show
// sane values or nothing. Meant to run under the sanitizers.

#include <cstddef>
#include <string>
#include <vector>

#include "StressTable.h"

namespace tembrel::stress {

struct HostileOptions {
    std::string library;  // path of libTembrel.so
    std::size_t rounds = 2000;
};

std::vector<Figure> RunHostileDriverCampaign(const HostileOptions& options);

}  // namespace tembrel::stress
