#pragma once
// The Auto Link dialog's rules without a window: the texts it shows, the list entries, the PIN
// check, the three profiles it builds and what each library event asks of it.

#include "connection/AutoLinkCandidates.h"
#include "profiles/ProfileRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tembrel::autolink {

inline constexpr std::string_view kTextNotConfigured = "This AP has not been configured";
inline constexpr std::string_view kTextConfigured = "This AP has been configured using Auto Link";
inline constexpr std::string_view kTextPinLength = "The passphrase needs to be 8 to 31 ascii characters. ";
inline constexpr std::string_view kTextPinMismatch = "The passphrases you enter do not match!";
inline constexpr std::string_view kTextCannotAssociate = "Cannot associate to Orvix AP!\r\nPlease try again";
inline constexpr std::string_view kTextAssociationFailed = "Association Failed!\r\nPlease make sure the PIN is correct";
inline constexpr std::string_view kTextPreparing = "Preparing for Auto Link fastjoin setup...";
inline constexpr std::string_view kTextNoIpAddress = "Cannot Get IP address, try again...";
inline constexpr std::string_view kTextSucceeded = "Auto Link is done successfully.\r\nPreparing to exit......";
inline constexpr std::string_view kTextFailed = "Auto Link Failed!, Please Try Again later.";
inline constexpr std::string_view kTextDisconnect = "Disconnect";
inline constexpr std::string_view kBoxTitle = "Auto Link";

// Seconds of the countdown boxes, and the limit of a configured access point's association.
inline constexpr int kPreparingSeconds = 5;
inline constexpr int kNoIpAddressSeconds = 5;
inline constexpr int kSucceededSeconds = 15;
inline constexpr int kFailedSeconds = 3;
inline constexpr int kAssociationLimitMs = 10000;
inline constexpr int kSettleAfterExchangeMs = 500;

// The PIN: 8 to 31 bytes, printable ASCII. The edits take at most this many characters.
inline constexpr int kPinMaxLength = 31;
inline constexpr int kPinMinLength = 8;

// One list entry: "<ssid> (Rssi=<percent>%)" and the value state << 16 | apTag.
std::string CandidateEntryText(const AutoLinkCandidate& candidate);
uint32_t CandidateEntryValue(const AutoLinkCandidate& candidate);
inline uint32_t EntryState(uint32_t value) { return value >> 16; }
inline uint32_t EntryApTag(uint32_t value) { return value & 0xFFFF; }

enum class PinProblem { kNone, kLength, kMismatch };
// Length and characters first; the confirmation only when one is asked for (state 0).
PinProblem CheckPin(std::string_view pin, std::optional<std::string_view> confirmation);

// The profiles the dialog builds (all other fields zero).
PROFILE_RECORD OpenAssociationProfile(std::string_view ssid);
PROFILE_RECORD ConfiguredAccessPointProfile(std::string_view ssid, std::string_view pin);
PROFILE_RECORD ExchangeProfile(std::string_view ssid, std::string_view pin);

// The library values the dialog's association sets for a profile's codes.
uint32_t AssociationAuthValue(uint32_t authMode);      // 1 -> 1, 2 -> 4, 4 -> 2, else 0
uint32_t AssociationWepStatus(int32_t encryption);     // 2 -> 4 (TKIP), else 1 (disabled)

enum class EventAction {
    kIgnore,
    kLinkUp,           // 1, 3
    kAdapterGone,      // 2: pass on, then close with Cancel
    kDisconnected,     // 5: status "Disconnect"
    kPassOn,           // 8, 9
    kConfigured,       // 1008: close with OK
    kExchangeStatus,   // 0xF0000000 to 0xF0000006
    kSucceeded,        // 0xF0000007
    kFailed,           // 0xF0000008
    kWrongPin,         // 0xF0000009
};
EventAction ActionFor(uintptr_t code);
// The status text of an exchange step ("Auto Link Start Request" ...); empty for other codes.
std::string_view ExchangeStatusText(uintptr_t code);

}  // namespace tembrel::autolink
