#include "history/HistoryLocation.h"

#include "platform/Paths.h"
#include "platform/Settings.h"

#include <cstdlib>

namespace tembrel {

std::filesystem::path HistoryFolder(const DataPaths& paths, const std::string& xdgStateHome, const std::string& home) {
    switch (paths.origin) {
    case DataFolderOrigin::BesideExecutable:
    case DataFolderOrigin::ConfigDirOption:
        return paths.dataDirectory / kHistorySubfolder;
    case DataFolderOrigin::UserConfigFolder:
    case DataFolderOrigin::None:
        break;
    }
    // XDG: a relative $XDG_STATE_HOME is invalid and ignored.
    if (!xdgStateHome.empty() && xdgStateHome.front() == '/') return std::filesystem::path(xdgStateHome) / kUserConfigSubfolder;
    if (!home.empty()) return std::filesystem::path(home) / ".local" / "state" / kUserConfigSubfolder;
    return {};
}

std::filesystem::path HistoryFolder(const DataPaths& paths) {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    return HistoryFolder(paths, state ? state : "", home ? home : "");
}

HistorySettings ReadHistorySettings(const Settings& settings) {
    const auto inRange = [&](const SettingKey& key, int low, int high) {
        const int v = settings.read(key);
        return v >= low && v <= high ? v : key.defaultValue;
    };
    HistorySettings s;
    s.enabled = settings.read(settings::kHistoryEnabled) != 0;
    s.limits.maxDays = inRange(settings::kHistoryDays, 1, 3650);
    s.limits.maxBytes = static_cast<std::int64_t>(inRange(settings::kHistorySizeKiB, 64, 1 << 20)) * 1024;
    s.sampleSeconds = inRange(settings::kHistorySampleSeconds, 1, 600);
    return s;
}

}  // namespace tembrel
