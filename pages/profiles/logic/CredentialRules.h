#pragma once
// The rules of the four 802.1x credential dialogs (LEAP, EAP/TLS, PEAP, EAP/TTLS): which dialog a
// protocol code opens, its title, what it requires before OK and what OK writes back.

#include "pages/profiles/logic/Credentials.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tembrel {

enum class CredentialDialogKind { None, Leap, EapTls, Peap, Ttls };

// Every credential text is kept in a 40-byte profile field with its terminator.
inline constexpr std::size_t kCredentialMaxBytes = 39;
inline constexpr char kAnonymousDefault[] = "Anonymous";

inline constexpr char kCcxPasswordMessage[] = "Illegal login name or password for CCX authentication!";
inline constexpr char kWpaPasswordMessage[] = "Illegal login name or password for WPA authentication!";
inline constexpr char kCertificateMessage[] = "Illegal login name or certificate for WPA authentication!";
inline constexpr char kTtlsMessage[] = "Illegal anonymous name, login name, or password for WPA authentication!";

// LEAP for 3, 8, 14; EAP/TLS for 5, 10, 15; PEAP for 6, 11, 13, 16; EAP/TTLS for 7, 12, 17.
CredentialDialogKind CredentialDialogFor(uint32_t protocol);

// "LEAP Radius Configuration" and so on; "" for None.
const char* CredentialDialogTitle(CredentialDialogKind kind);
// "CCX ", "WPA2 " or "WPA " by the dialog and protocol.
const char* CredentialTitlePrefix(CredentialDialogKind kind, uint32_t protocol);
// The prefix followed by the title: "WPA2 PEAP Radius Configuration".
std::string CredentialDialogCaption(CredentialDialogKind kind, uint32_t protocol);

// `text` cut to kCredentialMaxBytes on a UTF-8 character boundary (and at an embedded NUL).
std::string CutCredential(std::string_view text);
// True when `text` fits a credential field as it is.
bool FitsCredential(std::string_view text);

// What a dialog shows on opening: the owner's values cut to the field size; the EAP/TTLS
// dialog shows "Anonymous" for an empty anonymous name.
Credentials CredentialsOnOpen(CredentialDialogKind kind, const Credentials& owner);

// The message for the first missing required value of the dialog (the domain is never
// required), or nothing when OK may store.
std::optional<std::string> MissingCredentialMessage(CredentialDialogKind kind, const Credentials& edited);

// OK: copies the values the dialog owns from `edited` into `owner` (LEAP and PEAP: login name,
// password, domain; EAP/TLS: login name, certificate name and hash; EAP/TTLS: login name,
// password, domain, anonymous name). Everything else of `owner` stays.
void StoreCredentials(CredentialDialogKind kind, const Credentials& edited, Credentials& owner);

}  // namespace tembrel
