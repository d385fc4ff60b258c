#pragma once
// The results the driver libraries return from their operations (docs/simulated-card.md and
// docs/real-cards.md say which operation gives which).

namespace tembrel::abi::result {

constexpr int kOk = 0;
constexpr int kNoNetwork = 1;         // SetSsid: no such network in range; the card is disassociated
constexpr int kSecurityMismatch = 2;  // SetSsid: the network refused the configured security
constexpr int kRadioOff = 3;
constexpr int kPending = 4;           // SetSsid: ad-hoc network started, waiting for a peer
constexpr int kBadHandle = 5;         // no card, or a handle that is not (or no longer) open
constexpr int kBadArgument = 6;
constexpr int kBufferTooSmall = 7;
constexpr int kNotAvailable = 8;      // nothing to report now (no link, no Auto Link answer)

}  // namespace tembrel::abi::result
