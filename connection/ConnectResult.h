#pragma once
// What ConnectProfile returns: 0 when the card associated, 1 when nothing was attempted (no
// card, radio off, no network to try) or no open network took the card, otherwise the
// library's SetSsid result.

namespace tembrel {

enum ConnectResult : int {
    kConnectAssociated = 0,
    kConnectNothingAttempted = 1,
    // The library has not confirmed the association yet (an ad-hoc network started, say): it
    // counts as associated when the snapshot shows the profile's network.
    kAssociationPending = 4,
};

}  // namespace tembrel
