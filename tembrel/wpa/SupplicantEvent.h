#pragma once
// wpa_supplicant's unsolicited messages: "<N>NAME fields...". Only the first word after the
// level names the event: later words may be copied from a network or a server certificate (a
// subject such as "CN=CTRL-EVENT-CONNECTED"), so they never name one.

#include <optional>
#include <string>

namespace tembrel::wpa {

struct SupplicantEvent {
    std::string name;    // e.g. "CTRL-EVENT-CONNECTED"
    std::string fields;  // the rest of the message after one space
};

// Empty when the message is not an event (no "<N>" level).
std::optional<SupplicantEvent> ParseEvent(const std::string& message);

// The value of the last "key=" word of `fields` up to the next space: the supplicant writes the
// fields that matter (reason=, hash=) after any quoted text a remote party chose.
std::string LastField(const std::string& fields, const std::string& key);

// The SHA-256 hash (64 lower-case hex digits) of the server certificate that a
// "CTRL-EVENT-EAP-PEER-CERT depth=0 subject='...' hash=..." message reports; empty for other
// depths, for the message that carries the certificate itself, or a malformed hash.
std::string ServerCertificateHash(const std::string& fields);

// The supplicant's network an event is about, where the event names one: CTRL-EVENT-CONNECTED
// ("- Connection to <bssid> completed [id=N ...") and CTRL-EVENT-SSID-TEMP-DISABLED ("id=N ...");
// read where the supplicant writes it, before any text a network chose.
std::optional<std::string> NetworkIdOf(const SupplicantEvent& event);

// A SHA-256 digest as the supplicant writes it: 64 lower-case hex digits.
bool IsSha256Hex(const std::string& text);

}  // namespace tembrel::wpa
