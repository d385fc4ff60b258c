#pragma once
// Event codes of the library (0 to 9) and of the program (1001 and up) as the main window and
// its pages receive them with message 0x8000.

#include <cstdint>

namespace tembrel {

enum LibraryEventCode : uint32_t {
    kEventLinkCheck = 0,
    kEventLinkUp = 1,
    kEventAdapterGone = 2,
    kEventLinkUpAgain = 3,
    kEventLinkCheckAgain = 4,
    kEventDisconnected = 5,
    kEventRadioOn = 8,
    kEventRadioOff = 9,
    kEventAdapterOpened = 1001,
    kEventRestoreRequest = 1002,
    kEventScanningText = 1003,
    kEventPreferWalkDone = 1004,
    kEventRunAutoLink = 1007,
};

}  // namespace tembrel
