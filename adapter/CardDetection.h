#pragma once
// Decides whether a device-change notification concerns the supported card.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tembrel {

// Device types of a device-change notification, with the numbers Windows gives them.
enum class DeviceType : uint32_t { DeviceNode = 1, DeviceInterface = 5 };

struct DeviceNotification {
    DeviceType type = DeviceType::DeviceInterface;
    std::string interfaceName;  // device-interface notifications
    uint32_t deviceNode = 0;    // device-node notifications (the 9x/Me family)
};

// The dynamic hardware registry of the 9x/Me family: reads a text value under a key of the
// dynamic-data hive. Other systems have none.
class DynamicRegistry {
public:
    virtual ~DynamicRegistry() = default;
    // Returns the value (at most maxBytes) or nothing when the key or value cannot be read.
    virtual std::optional<std::string> readText(const std::string& key, const std::string& value,
                                                size_t maxBytes) const = 0;
};

// A registry that never answers: Linux has no dynamic-data hive.
class NoDynamicRegistry final : public DynamicRegistry {
public:
    std::optional<std::string> readText(const std::string&, const std::string&, size_t) const override {
        return std::nullopt;
    }
};

// True when the upper-cased device name holds one of the supported card's identification fragments.
bool NameIsOurCard(std::string_view deviceName);

// osFamily 3 (9x/Me) counts only device-node notifications, looked up in the dynamic registry;
// the other families count only device-interface notifications.
bool IsOurCard(const DeviceNotification* notification, int osFamily, const DynamicRegistry& registry);

}  // namespace tembrel
