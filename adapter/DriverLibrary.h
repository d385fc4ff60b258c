#pragma once
// The program's only way to the card: one method per operation of the driver library's C ABI.
// Implementations: the loaded shared library (DriverLoader), the stand-in used when no library
// could be loaded (every call fails, no card), and the recording double of the tests.

#include <Tembrel.h>

#include <cstdint>

namespace tembrel {

class DriverLibrary {
public:
    virtual ~DriverLibrary() = default;

#define TEMBREL_OP(ret, name, params, args) virtual ret name params = 0;
#include "DriverOperations.def"
#undef TEMBREL_OP

    // Optional extension: announces arrival and removal of the library's card.
    // Returns false when the library does not offer it.
    virtual bool SetDeviceNotify(TEMBREL_DEVICE_NOTIFY callback, void* context) = 0;
};

}  // namespace tembrel
