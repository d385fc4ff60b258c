#include "ZeroConfigRelease.h"

#include <array>
#include <string>

namespace tembrel {

namespace {

constexpr int kStopPolls = 30;
constexpr int kStopPollMs = 1000;

// The adapter's instance identifier from its driver registry key, through a temporary handle.
bool ReadInstanceId(DriverLibrary& library, std::string& id) {
    ZARN9100_HANDLE h = nullptr;
    library.OpenAdapter(&h);
    if (!h) return false;
    std::array<char, 400> path{};
    const int r = library.QueryRegistryPath(h, path.data(), static_cast<uint32_t>(path.size()));
    library.CloseAdapter(&h);
    if (r != 0) return false;
    path.back() = '\0';

    std::array<char, 100> instance{};
    if (library.QueryRegistryText(path.data(), "NetCfgInstanceId", instance.data(),
                                  static_cast<uint32_t>(instance.size())) != 0)
        return false;
    instance.back() = '\0';
    id = instance.data();
    return true;
}

void ClearControlFlag(DriverLibrary& library) {
    std::string id;
    if (!ReadInstanceId(library, id)) return;
    const std::string key = kZeroConfigInterfacesKey + id;
    uint32_t flags = 0;  // a missing value counts as 0
    if (library.QueryRegistryNumber(key.c_str(), "ControlFlags", &flags) != 0) flags = 0;
    library.SetRegistryNumber(key.c_str(), "ControlFlags", flags & ~kZeroConfigControlFlag);
}

}  // namespace

void ReleaseCardFromZeroConfig(ZeroConfigService& service, DriverLibrary& library) {
    if (!service.open()) return;
    auto state = service.queryState();
    if (!state) {
        service.close();
        return;
    }
    if (*state == ServiceState::Running) service.sendStop();
    for (int i = 0; i < kStopPolls && state != ServiceState::Stopped; ++i) {
        service.sleepMs(kStopPollMs);
        state = service.queryState();
    }
    ClearControlFlag(library);
    service.start();
    service.close();
}

}  // namespace tembrel
