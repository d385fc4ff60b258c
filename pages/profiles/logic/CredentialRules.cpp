#include "pages/profiles/logic/CredentialRules.h"

#include "profiles/AuthMode.h"

namespace tembrel {

CredentialDialogKind CredentialDialogFor(uint32_t protocol) {
    switch (protocol) {
    case kAuthWpaLeap: case kAuthCcxLeap: case kAuthWpa2Leap: return CredentialDialogKind::Leap;
    case kAuthWpaTls: case kAuthWpa2Tls: case kAuth8021xTls: return CredentialDialogKind::EapTls;
    case kAuthWpaPeap: case kAuthWpa2Peap: case kAuthCcxPeap: case kAuth8021xPeap: return CredentialDialogKind::Peap;
    case kAuthWpaTtls: case kAuthWpa2Ttls: case kAuth8021xTtls: return CredentialDialogKind::Ttls;
    default: return CredentialDialogKind::None;
    }
}

const char* CredentialDialogTitle(CredentialDialogKind kind) {
    switch (kind) {
    case CredentialDialogKind::Leap: return "LEAP Radius Configuration";
    case CredentialDialogKind::EapTls: return "EAP/TLS Radius Configuration";
    case CredentialDialogKind::Peap: return "PEAP Radius Configuration";
    case CredentialDialogKind::Ttls: return "EAP/TTLS Radius Configuration";
    case CredentialDialogKind::None: break;
    }
    return "";
}

const char* CredentialTitlePrefix(CredentialDialogKind kind, uint32_t protocol) {
    switch (kind) {
    case CredentialDialogKind::Leap: return protocol == kAuthCcxLeap ? "CCX " : "WPA ";
    case CredentialDialogKind::EapTls: return protocol == kAuthWpa2Tls ? "WPA2 " : "WPA ";
    case CredentialDialogKind::Peap: return protocol == kAuthWpa2Peap ? "WPA2 " : protocol == kAuthCcxPeap ? "CCX " : "WPA ";
    case CredentialDialogKind::Ttls: return protocol == kAuthWpa2Ttls ? "WPA2 " : "WPA ";
    case CredentialDialogKind::None: break;
    }
    return "WPA ";
}

std::string CredentialDialogCaption(CredentialDialogKind kind, uint32_t protocol) {
    return std::string(CredentialTitlePrefix(kind, protocol)) + CredentialDialogTitle(kind);
}

std::string CutCredential(std::string_view text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    if (text.size() <= kCredentialMaxBytes) return std::string(text);
    std::size_t cut = kCredentialMaxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return std::string(text.substr(0, cut));
}

bool FitsCredential(std::string_view text) {
    return text.size() <= kCredentialMaxBytes && text.find('\0') == std::string_view::npos;
}

Credentials CredentialsOnOpen(CredentialDialogKind kind, const Credentials& owner) {
    Credentials shown = owner;
    for (std::string* text : {&shown.loginName, &shown.password, &shown.domain, &shown.certificateName,
                              &shown.anonymousName})
        *text = CutCredential(*text);
    if (kind == CredentialDialogKind::Ttls && shown.anonymousName.empty()) shown.anonymousName = kAnonymousDefault;
    return shown;
}

std::optional<std::string> MissingCredentialMessage(CredentialDialogKind kind, const Credentials& edited) {
    const bool login = !edited.loginName.empty();
    const bool password = !edited.password.empty();
    switch (kind) {
    case CredentialDialogKind::Leap:
        if (login && password) return std::nullopt;
        return edited.protocol == kAuthCcxLeap ? kCcxPasswordMessage : kWpaPasswordMessage;
    case CredentialDialogKind::Peap:
        if (login && password) return std::nullopt;
        return edited.protocol == kAuthCcxPeap ? kCcxPasswordMessage : kWpaPasswordMessage;
    case CredentialDialogKind::EapTls:
        if (login && !edited.certificateName.empty()) return std::nullopt;
        return kCertificateMessage;
    case CredentialDialogKind::Ttls:
        if (login && password && !edited.anonymousName.empty()) return std::nullopt;
        return kTtlsMessage;
    case CredentialDialogKind::None: break;
    }
    return std::nullopt;
}

void StoreCredentials(CredentialDialogKind kind, const Credentials& edited, Credentials& owner) {
    switch (kind) {
    case CredentialDialogKind::Leap:
    case CredentialDialogKind::Peap:
        owner.loginName = CutCredential(edited.loginName);
        owner.password = CutCredential(edited.password);
        owner.domain = CutCredential(edited.domain);
        break;
    case CredentialDialogKind::EapTls:
        owner.loginName = CutCredential(edited.loginName);
        owner.certificateName = CutCredential(edited.certificateName);
        owner.certificateHash = edited.certificateHash;
        break;
    case CredentialDialogKind::Ttls:
        owner.loginName = CutCredential(edited.loginName);
        owner.password = CutCredential(edited.password);
        owner.domain = CutCredential(edited.domain);
        owner.anonymousName = CutCredential(edited.anonymousName);
        break;
    case CredentialDialogKind::None: break;
    }
}

}  // namespace tembrel
