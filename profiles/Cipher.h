#pragma once
// Cipher codes. A profile's `encryption` field and the cipher a scanned network announces
// (which becomes a new profile's `encryption`) use the same numbers.

#include <cstdint>

namespace tembrel {

enum Cipher : int32_t {
    kCipherNone = 0,
    kCipherWep = 1,
    kCipherTkip = 2,
    kCipherAes = 3,
};

}  // namespace tembrel
