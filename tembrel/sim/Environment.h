#pragma once
// The radio environment and the card's fixed facts, built in or read from a JSON file.

#include "Network.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tembrel::sim {

struct Environment {
    std::vector<Network> networks;
    MacAddress mac{0x02, 0x7e, 0x3c, 0x4c, 0x01, 0x01};
    std::string hostInterface;  // the card reports this interface's MAC address
    uint32_t regionCode = 0x10;
    bool cardPresent = true;
    bool radioSwitchOn = true;
    bool zeroConfigActive = false;
    bool hostile = false;  // answers with nonsense (Hostile.h); $TEMBREL_SIM_HOSTILE=1 or "hostile on"
};

Environment DefaultEnvironment();

// Parses the JSON text of an environment file. On failure returns nothing and sets error to
// "line N: reason".
std::optional<Environment> ParseEnvironment(const std::string& text, std::string& error);


// The interface of the host's default route, read from a routing table in the format of
// /proc/net/route; "" when there is none.
std::string DefaultRouteInterface(const std::string& routeTable = "/proc/net/route");

// Reads /sys/class/net/<name>/address (sysfsRoot replaces /sys/class/net in tests).
std::optional<MacAddress> ReadInterfaceMac(const std::string& name, const std::string& sysfsRoot = "/sys/class/net");

}  // namespace tembrel::sim
