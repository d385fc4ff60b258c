#pragma once
// The security and association calls the library collects, and the one wpa_supplicant
// network they make when the SSID is set.

#include <TembrelCodes.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tembrel::wpa {

enum class EapMethod { None, Tls, Peap, Ttls, Leap };

// What the interface is: a wireless card, or a wired Ethernet port with 802.1x port
// authentication (wpa_supplicant's wired driver; the supplicant runs with ap_scan=0).
enum class Port { Wireless, Wired };

struct PendingSecurity {
    uint32_t authMode = ZARN9100_AUTH_OPEN;
    uint32_t wepStatus = ZARN9100_ENCRYPTION_DISABLED;
    std::array<std::vector<uint8_t>, 4> wepKeys;
    uint32_t txKeyIndex = 0;  // 1..4, 0 = none
    std::string passphrase;
    uint32_t ccxNetworkEap = 0;
    uint32_t networkMode = ZARN9100_NETWORK_INFRASTRUCTURE;
    uint32_t channel = 0;
    EapMethod method = EapMethod::None;
    std::string login, domain, password, anonymous;
    std::string certificateHash;  // 40 hex digits for TLS

    // What belongs to one network only (keys, credentials, certificate, method): cleared once a
    // network is set, so the next one starts clean. The modes stay: the card reports them.
    void clearNetworkSecurity();
    void clearIdentity();
};

using NetworkField = std::pair<std::string, std::string>;

// The SET_NETWORK fields in order, or empty when the collected settings make no network
// wpa_supplicant can join (for example WPA without a passphrase); problem says why. A wired
// port takes 802.1x (key_mgmt IEEE8021X without dynamic WEP keys) or no authentication at all;
// the SSID then only names the network in the supplicant's status.
struct NetworkPlan {
    std::vector<NetworkField> fields;
    std::string problem;  // empty when fields is usable
};
// serverCheck: the fields that make the supplicant check the authentication server (ca_cert,
// domain_match) for TLS, PEAP and TTLS.
NetworkPlan PlanNetwork(const PendingSecurity& s, const std::string& ssid, bool hidden, const std::string& certDir,
                        Port port = Port::Wireless, const std::vector<NetworkField>& serverCheck = {});
// 802.1x: WPA or WPA2 enterprise, or dynamic WEP (network EAP, or an identity on a network
// without WPA).
bool IsEap(const PendingSecurity& s);
// Whether the method makes the server show a certificate (all but LEAP).
bool HasServerCertificate(EapMethod m);

// Whether a field's value is a secret that never goes to a log.
bool IsSecretField(const std::string& name);
// A text usable inside a quoted wpa_supplicant value (which ends at its last quote): no control
// characters, at most 255 bytes.
bool IsQuotableText(const std::string& text);
const char* EapMethodName(EapMethod m);

}  // namespace tembrel::wpa
