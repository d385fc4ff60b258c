#include "DriverChoice.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace tembrel {

namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? std::string(v) : std::string();
}

bool IsWireless(const std::string& sysfs, const std::string& name) {
    std::error_code ec;
    const fs::path dir = fs::path(sysfs) / "class/net" / name;
    return fs::exists(dir / "wireless", ec) || fs::exists(dir / "phy80211", ec);
}

std::vector<std::string> WirelessInterfaces(const std::string& sysfs) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(sysfs) / "class/net", ec)) {
        const std::string name = entry.path().filename().string();
        if (IsWireless(sysfs, name)) names.push_back(name);
    }
    return names;
}

bool IsSocket(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

// A library installed beside the executable (a build folder), else found by the system's search
// (the program's run path leads to the installed driver folder).
std::string Beside(const std::string& executablePath, const std::string& fileName) {
    std::error_code ec;
    const fs::path beside = fs::path(executablePath).parent_path() / fileName;
    return !executablePath.empty() && fs::exists(beside, ec) ? beside.string() : fileName;
}

// The NetworkManager library, when it has a card; its description names the device.
std::optional<DriverChoice> TryNetworkManager(const DriverLookup& lookup, std::string& why) {
    std::error_code ec;
    if (!fs::is_directory(lookup.networkManagerRunDir, ec)) {
        why = "NetworkManager does not run";
        return std::nullopt;
    }
    if (lookup.networkManagerInterface.empty() && WirelessInterfaces(lookup.sysfs).empty()) {
        why = "there is no wireless interface";
        return std::nullopt;
    }
    const std::string path = Beside(lookup.executablePath, "libTembrelNM.so");
    DriverLoadResult loaded = lookup.load(path);
    if (!loaded.loaded) {
        why = loaded.error;
        return std::nullopt;
    }
    ZARN9100_HANDLE h = nullptr;
    loaded.library->OpenAdapter(&h);
    if (h == nullptr) {
        why = "NetworkManager manages no wireless device";
        return std::nullopt;
    }
    char desc[64] = {};
    loaded.library->QueryDeviceDesc(h, desc, sizeof desc);
    loaded.library->CloseAdapter(&h);
    desc[sizeof desc - 1] = '\0';
    DriverChoice choice{std::move(loaded), {}};
    choice.reason = choice.loaded.path + ": NetworkManager runs and manages " + (*desc ? desc : "the card");
    return choice;
}

std::optional<std::string> WpaSocket(const DriverLookup& lookup) {
    std::vector<std::string> names = lookup.wpaInterface.empty() ? WirelessInterfaces(lookup.sysfs)
                                                                 : std::vector<std::string>{lookup.wpaInterface};
    for (const std::string& name : names) {
        const fs::path socket = fs::path(lookup.wpaControlDir) / name;
        if (IsSocket(socket)) return socket.string();
    }
    return std::nullopt;
}

}  // namespace

DriverLookup DriverLookup::FromEnvironment(const std::string& executablePath) {
    DriverLookup lookup;
    lookup.executablePath = executablePath;
    if (const std::string dir = Env("TEMBREL_WPA_CTRL_DIR"); !dir.empty()) lookup.wpaControlDir = dir;
    lookup.networkManagerInterface = Env("TEMBREL_NM_INTERFACE");
    lookup.wpaInterface = Env("TEMBREL_WPA_INTERFACE");
    return lookup;
}

DriverChoice ChooseDriverLibrary(const std::string& optionPath, const char* environmentPath, const DriverLookup& lookup) {
    if (!optionPath.empty()) return {lookup.load(optionPath), optionPath + ": named by --driver"};
    if (environmentPath != nullptr && *environmentPath != '\0')
        return {lookup.load(environmentPath), std::string(environmentPath) + ": named by $TEMBREL_LIBRARY"};

    std::string nmWhy;
    if (auto nm = TryNetworkManager(lookup, nmWhy)) return std::move(*nm);
    if (const auto socket = WpaSocket(lookup)) {
        DriverLoadResult loaded = lookup.load(Beside(lookup.executablePath, "libTembrelWpa.so"));
        if (loaded.loaded) {
            std::string reason = loaded.path + ": wpa_supplicant's control socket " + *socket + " exists (" + nmWhy + ")";
            return {std::move(loaded), std::move(reason)};
        }
    }
    DriverLoadResult loaded = lookup.load(ResolveDriverPath("", nullptr, lookup.executablePath));
    std::string reason = (loaded.loaded ? loaded.path : std::string("the simulated card")) +
                         ": the simulated card, as " + nmWhy + " and no wpa_supplicant control socket of a wireless "
                         "interface exists";
    return {std::move(loaded), std::move(reason)};
}

}  // namespace tembrel
