#include "pages/profiles/logic/SecurityPageModel.h"

#include <cstring>

#include "profiles/ProfileText.h"

namespace tembrel {

SecurityPageModel::SecurityPageModel() = default;

void SecurityPageModel::load(const PROFILE_RECORD& record) {
    encryption_ = record.encryption;
    const AuthenticationSplit split = SplitAuthMode(record.authMode);
    authentication_ = split.authentication;
    protocol_ = split.protocol;
    // A group without a protocol (as a site-survey record holds it) takes the list's first entry.
    if (IsAuthenticationGroup(authentication_) && protocol_ == 0)
        protocol_ = static_cast<uint32_t>(ProtocolChoices(authentication_).front().value);
    wepKeys_ = record.wep;
    passphrase_ = ReadPassphrase(record);
    confirmation_ = passphrase_;
    credentials_.loginName = std::string(GetText(record.loginName));
    credentials_.password = std::string(GetText(record.password));
    credentials_.domain = std::string(GetText(record.domain));
    credentials_.certificateName = std::string(GetText(record.certificateName));
    credentials_.anonymousName = std::string(GetText(record.anonymousName));
    std::memcpy(credentials_.certificateHash.data(), record.certificateHash, credentials_.certificateHash.size());
    credentials_.protocol = protocol_;
}

uint32_t SecurityPageModel::authMode() const {
    return IsAuthenticationGroup(authentication_) && protocol_ != 0 ? protocol_ : authentication_;
}

void SecurityPageModel::store(PROFILE_RECORD& record) const {
    record.encryption = encryption_;
    record.authMode = authMode();
    record.wep = wepKeys_;
    WritePassphrase(record, passphrase_);
    SetText(record.loginName, credentials_.loginName);
    SetText(record.password, credentials_.password);
    SetText(record.domain, credentials_.domain);
    SetText(record.certificateName, credentials_.certificateName);
    SetText(record.anonymousName, credentials_.anonymousName);
    std::memcpy(record.certificateHash, credentials_.certificateHash.data(), credentials_.certificateHash.size());
}

void SecurityPageModel::setAdHoc(bool adHoc, bool changedByUser) {
    adHoc_ = adHoc;
    if (changedByUser && !Offers(authenticationChoices(), authentication_))
        chooseAuthentication(static_cast<uint32_t>(authenticationChoices().front().value));
}

void SecurityPageModel::chooseAuthentication(uint32_t authentication) {
    if (!IsWepAuthentication(authentication)) {
        const std::vector<Choice> protocols = ProtocolChoices(authentication);
        protocol_ = protocols.empty() ? 0 : static_cast<uint32_t>(protocols.front().value);
        passphrase_.clear();
        confirmation_.clear();
        credentials_ = Credentials{};
    } else {
        protocol_ = 0;
    }
    authentication_ = authentication;
    settleEncryption();
}

void SecurityPageModel::chooseProtocol(uint32_t protocol) {
    protocol_ = protocol;
    settleEncryption();
}

void SecurityPageModel::chooseEncryption(int32_t encryption) {
    encryption_ = encryption;
    if (passphraseArea()) {
        passphrase_.clear();
        confirmation_.clear();
    }
}

void SecurityPageModel::settleEncryption() {
    if (!Offers(encryptionChoices(), encryption_)) encryption_ = DefaultEncryption(authentication_, protocol_);
}

void SecurityPageModel::setPassphrase(std::string_view text) {
    passphrase_ = std::string(text.substr(0, kPassphraseFieldBytes));
    if (passphrase_.empty()) confirmation_.clear();
}

void SecurityPageModel::setConfirmation(std::string_view text) { confirmation_ = std::string(text.substr(0, kPassphraseFieldBytes)); }

void SecurityPageModel::passphraseFocused() {
    passphrase_.clear();
    confirmation_.clear();
}

void SecurityPageModel::selectTransmitKey(int key) {
    if (key >= 0 && key <= 4) wepKeys_.txKeyIndex = static_cast<uint32_t>(key);
}

Credentials& SecurityPageModel::credentials() {
    credentials_.protocol = protocol_;
    return credentials_;
}

bool SecurityPageModel::wepKeysConfigurable() const {
    return wepArea() && (encryption_ == kCipherWep || authentication_ == kAuthSharedKey);
}

std::string SecurityPageModel::credentialsButtonText() const {
    return authentication_ == kGroupCcx ? "CCX Configuration" : "Configure WPA Radius";
}

bool SecurityPageModel::transmitKeySet(int key) const {
    return key >= 1 && key <= 4 && wepKeys_.keys[key - 1].length != 0;
}

std::string SecurityPageModel::transmitKeyCaption(int key) const {
    const std::string number = std::to_string(key);
    if (!wepKeysConfigurable() || !transmitKeySet(key)) return "Key " + number + " is not set";
    // Key 3's caption has always been written with a small "k".
    return "Select Key " + number + (key == 3 ? " as Transmit key" : " as Transmit Key");
}

std::optional<std::string> SecurityPageModel::check() {
    const bool wepUsed = (encryption_ == kCipherWep && wepArea()) || authentication_ == kAuthSharedKey;
    if (wepUsed && (wepKeys_.txKeyIndex < 1 || wepKeys_.txKeyIndex > 4)) return std::string(kSelectTxKeyMessage);
    if (passphraseArea()) {
        const char* problem = nullptr;
        if (!IsValidPassphrase(passphrase_))
            problem = kPassphraseLengthMessage;
        else if (passphrase_ != confirmation_)
            problem = kPassphraseMismatchMessage;
        if (problem) {
            passphrase_.clear();
            confirmation_.clear();
            return std::string(problem);
        }
    }
    if (protocolArea()) return CheckCredentials(protocol_, credentials_);
    return std::nullopt;
}

}  // namespace tembrel
