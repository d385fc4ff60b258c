#pragma once
// What ConnectProfile returns: the library's SetSsid result (ZARN9100_RESULT_OK once associated,
// ZARN9100_RESULT_PENDING while the library has not confirmed an ad-hoc network, which counts as
// associated when the snapshot shows the profile's network), or kConnectNothingAttempted when no
// call was made (no card, radio off, no network to try) or no open network took the card.

#include <TembrelCodes.h>

namespace tembrel {

inline constexpr int kConnectNothingAttempted = 1;

}  // namespace tembrel
