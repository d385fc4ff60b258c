#include "pages/profiles/logic/CredentialRules.h"

namespace tembrel {

CredentialDialogKind CredentialDialogFor(uint32_t protocol) {
    switch (protocol) {
    case 3: case 8: case 14: return CredentialDialogKind::Leap;
    case 5: case 10: case 15: return CredentialDialogKind::EapTls;
    case 6: case 11: case 13: case 16: return CredentialDialogKind::Peap;
    case 7: case 12: case 17: return CredentialDialogKind::Ttls;
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
    case CredentialDialogKind::Leap: return protocol == 8 ? "CCX " : "WPA ";
    case CredentialDialogKind::EapTls: return protocol == 10 ? "WPA2 " : "WPA ";
    case CredentialDialogKind::Peap: return protocol == 11 ? "WPA2 " : protocol == 13 ? "CCX " : "WPA ";
    case CredentialDialogKind::Ttls: return protocol == 12 ? "WPA2 " : "WPA ";
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
        return edited.protocol == 8 ? kCcxPasswordMessage : kWpaPasswordMessage;
    case CredentialDialogKind::Peap:
        if (login && password) return std::nullopt;
        return edited.protocol == 13 ? kCcxPasswordMessage : kWpaPasswordMessage;
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
