#include "CardDetection.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace tembrel {

namespace {
constexpr std::array<std::string_view, 5> kFragments{
    "VEN_7E3C&DEV_4C",
    "VID_4D19&PID_6E0",
    "LORANDI-77Q5100_802.11B_PC_CARD",
    "VEN_7E3C&DEV_3B",
    "VID_4D19&PID_5C2",
};

std::string Upper(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}
}  // namespace

bool NameIsOurCard(std::string_view deviceName) {
    const std::string upper = Upper(deviceName);
    return std::any_of(kFragments.begin(), kFragments.end(),
                       [&](std::string_view f) { return upper.find(f) != std::string::npos; });
}

bool IsOurCard(const DeviceNotification* notification, int osFamily, const DynamicRegistry& registry) {
    if (!notification) return false;
    if (osFamily == 3) {
        if (notification->type != DeviceType::DeviceNode) return false;
        char key[64];
        std::snprintf(key, sizeof key, "%s\\%X", "Config Manager\\Enum", notification->deviceNode);
        const auto hardwareKey = registry.readText(key, "HardWareKey", 200);
        return hardwareKey && NameIsOurCard(*hardwareKey);
    }
    if (notification->type != DeviceType::DeviceInterface) return false;
    return NameIsOurCard(notification->interfaceName);
}

}  // namespace tembrel
