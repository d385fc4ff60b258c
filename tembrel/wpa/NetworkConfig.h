#pragma once
// The security and association calls the library collects, and the one wpa_supplicant
// network they make when the SSID is set.

#include "tembrel/common/CollectedSecurity.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tembrel::wpa {

// What the interface is: a wireless card, or a wired Ethernet port with 802.1x port
// authentication (wpa_supplicant's wired driver; the supplicant runs with ap_scan=0).
enum class Port { Wireless, Wired };

using abi::CollectedSecurity;
using abi::EapMethod;
using abi::EapMethodName;

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
NetworkPlan PlanNetwork(const CollectedSecurity& s, const std::string& ssid, bool hidden, const std::string& certDir,
                        Port port = Port::Wireless, const std::vector<NetworkField>& serverCheck = {});
// 802.1x: WPA or WPA2 enterprise, or dynamic WEP (CollectedSecurity::eap()).
bool IsEap(const CollectedSecurity& s);
// Whether the method makes the server show a certificate (all but LEAP).
bool HasServerCertificate(EapMethod m);

// Whether a field's value is a secret that never goes to a log.
bool IsSecretField(const std::string& name);
// A text usable inside a quoted wpa_supplicant value (which ends at its last quote): no control
// characters, at most 255 bytes.
bool IsQuotableText(const std::string& text);
// Why a text is not quotable ("contains a line break"), "" when it is.
std::string QuotableTextProblem(const std::string& text);

}  // namespace tembrel::wpa
