#pragma once
// What the card reports: library events for the registered sink, and device arrival or
// removal for the device-notify receiver.

#include <cstdint>
#include <string>

namespace tembrel::sim {

namespace event {
constexpr uintptr_t kLinkDown = 0;        // disassociated on request or by the radio
constexpr uintptr_t kLinkUp = 1;          // associated with an access point
constexpr uintptr_t kAdapterGone = 2;     // card pulled out
constexpr uintptr_t kAdHocLinkUp = 3;     // joined an ad-hoc station, or a peer joined ours
constexpr uintptr_t kLinkLost = 4;        // network vanished or its signal fell away
constexpr uintptr_t kAssociationFailed = 5;
constexpr uintptr_t kScanComplete = 6;
constexpr uintptr_t kRadioSwitchOn = 8;
constexpr uintptr_t kRadioSwitchOff = 9;
constexpr uintptr_t kAutoLinkConfigured = 1008;
constexpr uintptr_t kStatusText = 1012;
constexpr uintptr_t kAutoLinkStartRequest = 0xF0000000u;
constexpr uintptr_t kAutoLinkSucceeded = 0xF0000007u;
constexpr uintptr_t kAutoLinkFailed = 0xF0000008u;
constexpr uintptr_t kAutoLinkWrongPin = 0xF0000009u;
}  // namespace event

struct SimEvent {
    enum class Kind { Library, Device } kind = Kind::Library;
    uintptr_t code = 0;       // library event code, or the device event
    intptr_t param = 0;
    std::string text;         // status text (code 1012) or the device interface name
};

inline SimEvent LibraryEvent(uintptr_t code, intptr_t param = 0) {
    return SimEvent{SimEvent::Kind::Library, code, param, {}};
}
inline SimEvent StatusTextEvent(std::string text) {
    return SimEvent{SimEvent::Kind::Library, event::kStatusText, 0, std::move(text)};
}
inline SimEvent DeviceEvent(uint32_t deviceEvent, std::string interfaceName) {
    return SimEvent{SimEvent::Kind::Device, deviceEvent, 0, std::move(interfaceName)};
}

}  // namespace tembrel::sim
