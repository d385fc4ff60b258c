#include "pages/autolink/logic/AutoLinkRules.h"

#include "connection/EventCodes.h"
#include "connection/SecurityPlan.h"
#include "profiles/Cipher.h"
#include "profiles/ProfileText.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tembrel::autolink {

std::string CandidateEntryText(const AutoLinkCandidate& candidate) {
    return candidate.ssid + " (Rssi=" + std::to_string(candidate.signal * 100 / 40) + "%)";
}

uint32_t CandidateEntryValue(const AutoLinkCandidate& candidate) {
    return (candidate.state << 16) | (candidate.apTag & 0xFFFF);
}

PinProblem CheckPin(std::string_view pin, std::optional<std::string_view> confirmation) {
    const bool printable = std::all_of(pin.begin(), pin.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
    if (!printable || pin.size() < std::size_t{kPinMinLength} || pin.size() > std::size_t{kPinMaxLength}) return PinProblem::kLength;
    if (confirmation && *confirmation != pin) return PinProblem::kMismatch;
    return PinProblem::kNone;
}

namespace {

PROFILE_RECORD Zeroed() {
    PROFILE_RECORD p;
    std::memset(&p, 0, sizeof p);
    return p;
}

PROFILE_RECORD WpaPskProfile(std::string_view ssid, std::string_view pin) {
    PROFILE_RECORD p = Zeroed();
    SetProfileName(p, ssid);
    SetProfileSsid(p, ssid);
    p.networkType = ZARN9100_NETWORK_INFRASTRUCTURE;
    p.wirelessMode = 0;
    p.encryption = kCipherTkip;
    p.authMode = kAuthWpaPsk;
    const std::size_t length = std::min(pin.size(), sizeof p.passphrase - 1);
    std::memcpy(p.passphrase, pin.data(), length);
    p.passphraseLength = static_cast<uint32_t>(length);
    p.keepAdapterSettings = 1;
    p.inPreferList = 1;
    return p;
}

}  // namespace

PROFILE_RECORD OpenAssociationProfile(std::string_view ssid) {
    PROFILE_RECORD p = Zeroed();
    SetProfileSsid(p, ssid);
    p.networkType = ZARN9100_NETWORK_INFRASTRUCTURE;
    p.wirelessMode = 255;
    return p;
}

PROFILE_RECORD ConfiguredAccessPointProfile(std::string_view ssid, std::string_view pin) { return WpaPskProfile(ssid, pin); }

PROFILE_RECORD ExchangeProfile(std::string_view ssid, std::string_view pin) { return WpaPskProfile(ssid, pin); }

uint32_t AssociationAuthValue(uint32_t authMode) {
    switch (authMode) {
        case kAuthSharedKey: return ZARN9100_AUTH_SHARED;
        case kAuthWpaPsk: return ZARN9100_AUTH_WPA_PSK;
        case kAuthAutoSwitch: return ZARN9100_AUTH_AUTO_SWITCH;
        default: return ZARN9100_AUTH_OPEN;
    }
}

uint32_t AssociationWepStatus(int32_t encryption) {
    return encryption == kCipherTkip ? ZARN9100_ENCRYPTION_TKIP : ZARN9100_ENCRYPTION_DISABLED;
}

EventAction ActionFor(uintptr_t code) {
    switch (code) {
        case ZARN9100_EVENT_LINK_UP:
        case ZARN9100_EVENT_ADHOC_LINK_UP: return EventAction::kLinkUp;
        case ZARN9100_EVENT_CARD_REMOVED: return EventAction::kAdapterGone;
        case ZARN9100_EVENT_ASSOCIATION_REFUSED: return EventAction::kDisconnected;
        case ZARN9100_EVENT_RADIO_SWITCH_ON:
        case ZARN9100_EVENT_RADIO_SWITCH_OFF: return EventAction::kPassOn;
        case ZARN9100_EVENT_AUTOLINK_CONFIGURED: return EventAction::kConfigured;
        case ZARN9100_EVENT_AUTOLINK_SUCCEEDED: return EventAction::kSucceeded;
        case ZARN9100_EVENT_AUTOLINK_FAILED: return EventAction::kFailed;
        case ZARN9100_EVENT_AUTOLINK_WRONG_PIN: return EventAction::kWrongPin;
        default: break;
    }
    return ExchangeStatusText(code).empty() ? EventAction::kIgnore : EventAction::kExchangeStatus;
}

std::string_view ExchangeStatusText(uintptr_t code) {
    static constexpr std::array<std::string_view, 7> kTexts{
        "Auto Link Start Request",     "Auto Link Start Response",  "Auto Link Challenge Request",
        "Auto Link Challenge Response", "Auto Link Status Request", "Auto Link Status Response",
        "Auto Link End Request"};
    if (code < ZARN9100_EVENT_AUTOLINK_STEP_FIRST || code >= ZARN9100_EVENT_AUTOLINK_STEP_FIRST + kTexts.size()) return {};
    return kTexts[code - ZARN9100_EVENT_AUTOLINK_STEP_FIRST];
}

}  // namespace tembrel::autolink
