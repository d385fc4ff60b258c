#pragma once
// Takes the card away from the system's wireless configuration service: stops the service,
// clears the card's "controlled by the service" flag in the registry, starts the service again.

#include "adapter/DriverLibrary.h"
#include "platform/ZeroConfigService.h"

namespace tembrel {

// Registry key under which the service keeps one subkey per interface.
inline constexpr const char* kZeroConfigInterfacesKey = "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\";
inline constexpr uint32_t kZeroConfigControlFlag = 0x8000;

void ReleaseCardFromZeroConfig(ZeroConfigService& service, DriverLibrary& library);

}  // namespace tembrel
