#pragma once
// The radio as last set or reported: ZARN9100_RADIO_OFF, ZARN9100_RADIO_ON or
// ZARN9100_RADIO_SWITCHED_OFF (the card's own switch). The window's thread and the library's
// events write it; the supervisor thread reads it.

#include <TembrelCodes.h>

#include <atomic>
#include <cstdint>

namespace tembrel {

using RadioState = std::atomic<uint32_t>;

}  // namespace tembrel
