#pragma once
// Event codes of the program itself (1001 and up), sent with message ZARN9100_EVENT_MESSAGE
// beside the library's own codes (TembrelCodes.h) to the main window and its pages.

#include <TembrelCodes.h>

#include <cstdint>

namespace tembrel {

enum ProgramEventCode : uint32_t {
    kEventAdapterOpened = 1001,
    kEventRestoreRequest = 1002,
    kEventScanningText = 1003,
    kEventPreferWalkDone = 1004,
    kEventRunAutoLink = 1007,
};

}  // namespace tembrel
