#include "Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <vector>

namespace tembrel {

namespace fs = std::filesystem;

namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir) {
        return found->pw_dir;
    }
    return {};
}

fs::path UserConfigFolder(const PathInputs& inputs) {
    const fs::path config = UserConfigHome(inputs.xdgConfigHome, inputs.home);
    return config.empty() ? config : config / kUserConfigSubfolder;
}

}  // namespace

fs::path UserConfigHome(const std::string& xdgConfigHome, const std::string& home) {
    // The XDG base-directory rules ignore a relative $XDG_CONFIG_HOME.
    const fs::path xdg(xdgConfigHome);
    if (!xdgConfigHome.empty() && xdg.is_absolute()) return xdg;
    if (home.empty()) return {};
    return fs::path(home) / ".config";
}

fs::path ExecutablePath() {
    std::error_code error;
    fs::path path = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return path;
}

bool IsWritableDirectory(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder, error) && access(folder.c_str(), W_OK | X_OK) == 0;
}

PathInputs CurrentPathInputs(std::optional<fs::path> configDirOption) {
    PathInputs inputs;
    inputs.executable = ExecutablePath();
    inputs.configDirOption = std::move(configDirOption);
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME")) inputs.xdgConfigHome = xdg;
    inputs.home = HomeFolder();
    std::error_code error;
    inputs.currentDirectory = fs::current_path(error);
    inputs.installBinDirectory = TEMBREL_INSTALL_BINDIR;
    inputs.isWritableDirectory = IsWritableDirectory;
    return inputs;
}

DataPaths ResolveDataPaths(const PathInputs& inputs) {
    DataPaths paths;
    paths.executable = inputs.executable;

    if (inputs.configDirOption && !inputs.configDirOption->empty()) {
        const fs::path& option = *inputs.configDirOption;
        paths.dataDirectory =
            option.is_absolute() ? option : inputs.currentDirectory / option;
        paths.dataDirectory = paths.dataDirectory.lexically_normal();
        paths.origin = DataFolderOrigin::ConfigDirOption;
        return paths;
    }

    const fs::path besideExecutable = inputs.executable.parent_path();
    // An installed copy keeps its data in the user's folder even for a user who may write to the
    // system's program folder (root): files there would belong to no package and to every user.
    const bool installed = !inputs.installBinDirectory.empty() && besideExecutable == inputs.installBinDirectory;
    if (!installed && !inputs.executable.empty() && inputs.executable.is_absolute() && inputs.isWritableDirectory &&
        inputs.isWritableDirectory(besideExecutable)) {
        paths.dataDirectory = besideExecutable;
        paths.origin = DataFolderOrigin::BesideExecutable;
        return paths;
    }

    paths.dataDirectory = UserConfigFolder(inputs);
    paths.origin = paths.dataDirectory.empty() ? DataFolderOrigin::None : DataFolderOrigin::UserConfigFolder;
    return paths;
}

DataPathsResult LocateDataPaths(std::optional<fs::path> configDirOption) {
    DataPathsResult result;
    result.paths = ResolveDataPaths(CurrentPathInputs(std::move(configDirOption)));
    if (result.paths.origin == DataFolderOrigin::None) {
        result.error = "no folder for the data files: the program's folder is not writable and "
                       "neither XDG_CONFIG_HOME nor HOME is set";
        return result;
    }
    if (result.paths.origin == DataFolderOrigin::BesideExecutable) return result;
    std::error_code error;
    // A folder made here holds profiles with keys and passphrases: owner only.
    if (fs::create_directories(result.paths.dataDirectory, error)) {
        fs::permissions(result.paths.dataDirectory, fs::perms::owner_all, error);
    }
    if (error || !fs::is_directory(result.paths.dataDirectory)) {
        result.error = "cannot create the data folder " + result.paths.dataDirectory.string() +
                       (error ? ": " + error.message() : std::string());
    }
    return result;
}

}  // namespace tembrel
