#pragma once
// Where the program's data files live: Data.cfg, Tembrel.ini and the others.
//
// Normally beside the executable, with the names kept exactly as written (Linux paths are
// case-sensitive, so nothing is upper-cased). When that folder cannot be written (an installed
// program) or the executable cannot be found, the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config) subfolder "Tembrel" is used instead; --config-dir DIR
// overrides both.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tembrel {

inline constexpr std::string_view kProfileStoreFileName = "Data.cfg";
inline constexpr std::string_view kSettingsFileName = "Tembrel.ini";
inline constexpr std::string_view kUserConfigSubfolder = "Tembrel";

enum class DataFolderOrigin {
    BesideExecutable,
    ConfigDirOption,
    UserConfigFolder,
    None,  // no folder could be determined
};

struct DataPaths {
    std::filesystem::path executable;     // empty when it could not be found
    std::filesystem::path dataDirectory;  // empty only with origin None
    DataFolderOrigin origin = DataFolderOrigin::None;

    std::filesystem::path dataFile(std::string_view name) const {
        return dataDirectory.empty() ? std::filesystem::path() : dataDirectory / name;
    }
    std::filesystem::path profileStore() const { return dataFile(kProfileStoreFileName); }
    std::filesystem::path settingsFile() const { return dataFile(kSettingsFileName); }
};

// Everything the choice depends on, so that tests can set each part.
struct PathInputs {
    std::filesystem::path executable;                     // "" when unknown
    std::optional<std::filesystem::path> configDirOption; // --config-dir
    std::string xdgConfigHome;                            // $XDG_CONFIG_HOME ("" when unset)
    std::string home;                                     // the user's home folder ("" when unknown)
    std::filesystem::path currentDirectory;               // for a relative --config-dir
    std::filesystem::path installBinDirectory;            // where `cmake --install` puts the program
    std::function<bool(const std::filesystem::path&)> isWritableDirectory;
};

// The user's configuration folder by the XDG rules: an absolute $XDG_CONFIG_HOME, else
// HOME/.config; empty when neither is known.
std::filesystem::path UserConfigHome(const std::string& xdgConfigHome, const std::string& home);

// The full path of the running program (/proc/self/exe); empty when it cannot be read.
std::filesystem::path ExecutablePath();

// Whether the folder exists and this process may create files in it.
bool IsWritableDirectory(const std::filesystem::path& folder);

// The inputs of this process: its executable, environment and working folder.
PathInputs CurrentPathInputs(std::optional<std::filesystem::path> configDirOption);

// Picks the data folder; touches nothing but the writability check.
DataPaths ResolveDataPaths(const PathInputs& inputs);

struct DataPathsResult {
    DataPaths paths;
    std::string error;  // non-empty when the data folder is missing and could not be created
};

// ResolveDataPaths for this process, then creates the data folder when it is missing
// (except beside the executable, which exists by definition).
DataPathsResult LocateDataPaths(std::optional<std::filesystem::path> configDirOption);

}  // namespace tembrel
