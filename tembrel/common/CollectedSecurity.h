#pragma once
// The security and association calls a real-card library collects until SetSsid makes one
// network of them (the NDIS values are the ones SetAuthMode and SetWepStatus take).

#include <Tembrel.h>

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tembrel::abi {

enum class EapMethod { None, Tls, Peap, Ttls, Leap };

inline const char* EapMethodName(EapMethod m) {
    switch (m) {
    case EapMethod::Tls: return "TLS";
    case EapMethod::Peap: return "PEAP";
    case EapMethod::Ttls: return "TTLS";
    case EapMethod::Leap: return "LEAP";
    case EapMethod::None: break;
    }
    return "";
}

// The security of a complete link as the card reports it, in the values of SetAuthMode and
// SetWepStatus; a field is empty when the report does not settle it.
struct LinkSecurity {
    std::optional<uint32_t> authMode;
    std::optional<uint32_t> wepStatus;
};

struct CollectedSecurity {
    uint32_t authMode = ZARN9100_AUTH_OPEN;
    uint32_t wepStatus = ZARN9100_ENCRYPTION_DISABLED;
    std::array<std::vector<uint8_t>, 4> wepKeys;
    uint32_t txKeyIndex = 0;  // 1..4, 0 = none
    std::string passphrase;
    uint32_t ccxNetworkEap = 0;
    uint32_t networkMode = ZARN9100_NETWORK_INFRASTRUCTURE;
    uint32_t channel = 0;  // ad hoc; 0 = automatic
    EapMethod method = EapMethod::None;
    std::string login, domain, password, anonymous;
    std::string certificateHash;  // 40 lower-case hex digits for TLS
    std::string identityProblem;  // why the last identity call was refused ("the identity contains ...")

    bool wpa() const {
        return authMode == ZARN9100_AUTH_WPA || authMode == ZARN9100_AUTH_WPA_PSK || authMode == ZARN9100_AUTH_WPA2 ||
               authMode == ZARN9100_AUTH_WPA2_PSK;
    }
    bool rsn() const { return authMode == ZARN9100_AUTH_WPA2 || authMode == ZARN9100_AUTH_WPA2_PSK; }
    // 802.1x: WPA or WPA2 enterprise, or on a network without WPA network EAP or an identity
    // (dynamic WEP); never ad hoc.
    bool eap() const {
        if (networkMode == ZARN9100_NETWORK_ADHOC) return false;
        if (authMode == ZARN9100_AUTH_WPA || authMode == ZARN9100_AUTH_WPA2) return true;
        return !wpa() && (ccxNetworkEap == 1 || method != EapMethod::None);
    }

    // What belongs to one network only (keys, credentials, certificate, method): cleared once a
    // network is set, so the next one starts clean. The modes stay: the card reports them.
    void clearNetworkSecurity() {
        wepKeys = {};
        txKeyIndex = 0;
        passphrase.clear();
        ccxNetworkEap = 0;
        clearIdentity();
    }
    void clearIdentity() {
        method = EapMethod::None;
        login.clear();
        domain.clear();
        password.clear();
        anonymous.clear();
        certificateHash.clear();
        identityProblem.clear();
    }
};

// The settings collected for the next network, shared by the threads that call the ABI.
class SecurityCollector {
public:
    template <class F>
    void update(F&& change) {
        std::lock_guard lock(mutex_);
        change(pending_);
    }
    CollectedSecurity current() const {
        std::lock_guard lock(mutex_);
        return pending_;
    }
    // What SetSsid makes one network of; whatever comes of that network, the next one starts
    // from clean security settings.
    CollectedSecurity takeForNetwork() {
        std::lock_guard lock(mutex_);
        CollectedSecurity settings = pending_;
        pending_.clearNetworkSecurity();
        return settings;
    }

private:
    mutable std::mutex mutex_;
    CollectedSecurity pending_;
};

}  // namespace tembrel::abi
