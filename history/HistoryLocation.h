#pragma once
// Where the journal lives and how much of it is kept.
//
// The user's state folder ($XDG_STATE_HOME, else ~/.local/state) subfolder "Tembrel" for an
// installed program; beside the other data files, in their subfolder "history", when they are
// beside the executable or in the --config-dir folder, so that a copy run from its build folder
// or a test keeps its history with the rest of its files.

#include "history/JournalFiles.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tembrel {

struct DataPaths;
class Settings;

inline constexpr char kHistorySubfolder[] = "history";

std::filesystem::path HistoryFolder(const DataPaths& paths, const std::string& xdgStateHome, const std::string& home);
// The same for this process's environment.
std::filesystem::path HistoryFolder(const DataPaths& paths);

struct HistorySettings {
    bool enabled = true;
    JournalLimits limits;
    int sampleSeconds = 10;
};

// [History] Enabled, Days (1 to 3650), SizeKiB (64 to 1048576) and SampleSeconds (1 to 600); a
// value out of range counts as its default.
HistorySettings ReadHistorySettings(const Settings& settings);

}  // namespace tembrel
