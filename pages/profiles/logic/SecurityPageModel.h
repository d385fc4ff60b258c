#pragma once
// The Security page's values and rules without its window: authentication (a plain mode or a
// group), 802.1x protocol, encryption, the WEP key set, the passphrase and the credentials.
// Values change only through the user's actions; the lists are computed from the values, the
// protocol always settled before the encryption list is built from it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/profiles/logic/Credentials.h"
#include "pages/profiles/logic/SecurityRules.h"
#include "profiles/ProfileRecord.h"

namespace tembrel {

class SecurityPageModel {
public:
    SecurityPageModel();

    void load(const PROFILE_RECORD& record);
    void store(PROFILE_RECORD& record) const;

    // The network page's type. When the user's change of type leaves the authentication off
    // the list (WPA-PSK on an Ad-Hoc profile), "Open System" is chosen for them.
    void setAdHoc(bool adHoc, bool changedByUser);
    bool adHoc() const { return adHoc_; }

    std::vector<Choice> authenticationChoices() const { return AuthenticationChoices(adHoc_); }
    std::vector<Choice> protocolChoices() const { return ProtocolChoices(authentication_); }
    std::vector<Choice> encryptionChoices() const { return EncryptionChoices(authentication_, protocol_); }

    uint32_t authentication() const { return authentication_; }
    uint32_t protocol() const { return protocol_; }
    int32_t encryption() const { return encryption_; }
    // What the record will store as authMode.
    uint32_t authMode() const;

    // User actions.
    void chooseAuthentication(uint32_t authentication);
    void chooseProtocol(uint32_t protocol);
    void chooseEncryption(int32_t encryption);
    void setPassphrase(std::string_view text);
    void setConfirmation(std::string_view text);
    // The passphrase field got the focus: it starts empty (and the confirmation with it).
    void passphraseFocused();
    void selectTransmitKey(int key);  // 1..4, 0 none

    const std::string& passphrase() const { return passphrase_; }
    const std::string& confirmation() const { return confirmation_; }
    WEP_KEY_SET& wepKeys() { return wepKeys_; }
    const WEP_KEY_SET& wepKeys() const { return wepKeys_; }
    // The credential dialogs edit these; protocol follows the page's protocol.
    Credentials& credentials();
    const Credentials& credentials() const { return credentials_; }

    // What the page shows.
    bool wepArea() const { return IsWepAuthentication(authentication_); }
    bool passphraseArea() const { return IsPskAuthentication(authentication_); }
    bool protocolArea() const { return IsAuthenticationGroup(authentication_); }
    bool wepKeysConfigurable() const;  // "Configure WEP Keys" enabled
    bool confirmationEnabled() const { return passphraseArea() && !passphrase_.empty(); }
    std::string credentialsButtonText() const;  // "CCX Configuration" or "Configure WPA Radius"
    // Caption of transmit-key radio `key` (1..4) and whether it can be chosen.
    std::string transmitKeyCaption(int key) const;
    bool transmitKeySet(int key) const;

    // The page's check: the first problem's message. A bad passphrase empties both fields.
    std::optional<std::string> check();

private:
    void settleEncryption();

    bool adHoc_ = false;
    uint32_t authentication_ = kAuthOpenSystem;
    uint32_t protocol_ = 0;
    int32_t encryption_ = kCipherNone;
    WEP_KEY_SET wepKeys_{};
    std::string passphrase_;
    std::string confirmation_;
    Credentials credentials_;
};

inline constexpr const char* kSelectTxKeyMessage = "Please select a Tx WEP Key!";
inline constexpr const char* kPassphraseLengthMessage = "The passphrase needs to be 8 to 63 ascii characters. ";
inline constexpr const char* kPassphraseMismatchMessage = "The passphrases you enter do not match!";

}  // namespace tembrel
