#pragma once
// What a card reports, in every driver library: library events for the registered sink, and
// device arrival or removal for the device-notify receiver.

#include <TembrelCodes.h>

#include <cstdint>
#include <string>

namespace tembrel::abi {

struct CardEvent {
    enum class Kind { Library, Device } kind = Kind::Library;
    uintptr_t code = 0;       // library event code, or the device event
    intptr_t param = 0;
    std::string text;         // status text (code 1012) or the device interface name
};

inline CardEvent LibraryEvent(uintptr_t code, intptr_t param = 0) {
    return CardEvent{CardEvent::Kind::Library, code, param, {}};
}
inline CardEvent StatusTextEvent(std::string text) {
    return CardEvent{CardEvent::Kind::Library, ZARN9100_EVENT_STATUS_TEXT, 0, std::move(text)};
}
inline CardEvent DeviceEvent(uint32_t deviceEvent, std::string interfaceName) {
    return CardEvent{CardEvent::Kind::Device, deviceEvent, 0, std::move(interfaceName)};
}

}  // namespace tembrel::abi
