#include "NetworkConfig.h"

#include "tembrel/common/AbiText.h"
#include "tembrel/common/ChannelPlan.h"

namespace tembrel::wpa {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

void AddEapFields(NetworkPlan& plan, const CollectedSecurity& s, const std::string& certDir,
                  const std::vector<NetworkField>& serverCheck) {
    auto& f = plan.fields;
    if (s.method == EapMethod::None) {
        // An identity call refused for its text says why; without one, none was given.
        plan.problem = s.identityProblem.empty() ? "802.1x needs an identity" : s.identityProblem;
        return;
    }
    f.emplace_back("eap", EapMethodName(s.method));
    const std::string identity = s.domain.empty() ? s.login : s.domain + "\\" + s.login;
    f.emplace_back("identity", Quoted(identity));
    switch (s.method) {
    case EapMethod::Tls:
        if (certDir.empty()) {
            plan.problem = "TLS needs the certificate folder TEMBREL_WPA_CERT_DIR";
            return;
        }
        f.emplace_back("client_cert", Quoted(certDir + "/" + s.certificateHash + ".pem"));
        f.emplace_back("private_key", Quoted(certDir + "/" + s.certificateHash + ".key"));
        break;
    case EapMethod::Peap:
        f.emplace_back("password", Quoted(s.password));
        f.emplace_back("phase2", Quoted("auth=MSCHAPV2"));
        break;
    case EapMethod::Ttls:
        f.emplace_back("password", Quoted(s.password));
        if (!s.anonymous.empty()) f.emplace_back("anonymous_identity", Quoted(s.anonymous));
        f.emplace_back("phase2", Quoted("auth=MSCHAPV2"));
        break;
    case EapMethod::Leap:
        f.emplace_back("password", Quoted(s.password));
        return;  // LEAP has no server certificate
    case EapMethod::None: return;
    }
    f.insert(f.end(), serverCheck.begin(), serverCheck.end());
}

void PlanWiredPort(NetworkPlan& plan, const CollectedSecurity& s, const std::string& certDir,
                   const std::vector<NetworkField>& serverCheck) {
    auto& f = plan.fields;
    const bool eap = IsEap(s);
    if (s.networkMode == ZARN9100_NETWORK_ADHOC) {
        plan.problem = "A wired port has no ad hoc mode";
    } else if (eap) {
        // No EAPOL-Key frames follow on a wired port: the port opens once EAP succeeds.
        f.emplace_back("key_mgmt", "IEEE8021X");
        f.emplace_back("eapol_flags", "0");
        AddEapFields(plan, s, certDir, serverCheck);
    } else if (s.authMode == ZARN9100_AUTH_OPEN && s.wepStatus != ZARN9100_ENCRYPTION_WEP) {
        f.emplace_back("key_mgmt", "NONE");
    } else {
        plan.problem = "A wired port takes 802.1x or no authentication, no keys";
    }
}

// Ad hoc takes the profile's own values: 0 Open System, 1 Shared Key, 4 Auto Switch.
uint32_t AdHocAuthMode(uint32_t value) {
    return value == 1 ? ZARN9100_AUTH_SHARED : value == 4 ? ZARN9100_AUTH_AUTO_SWITCH : ZARN9100_AUTH_OPEN;
}

}  // namespace

bool IsEap(const CollectedSecurity& s) { return s.eap(); }

bool HasServerCertificate(EapMethod m) { return m == EapMethod::Tls || m == EapMethod::Peap || m == EapMethod::Ttls; }

bool IsQuotableText(const std::string& text) { return QuotableTextProblem(text).empty(); }

std::string QuotableTextProblem(const std::string& text) {
    if (text.find_first_of("\r\n") != std::string::npos) return "contains a line break";
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) return "contains a control character";
    }
    return text.size() > 255 ? "is longer than 255 bytes" : "";
}

bool IsSecretField(const std::string& name) {
    return name == "psk" || name == "password" || name.rfind("wep_key", 0) == 0 || name == "private_key_passwd";
}

NetworkPlan PlanNetwork(const CollectedSecurity& settings, const std::string& ssid, bool hidden,
                        const std::string& certDir, Port port, const std::vector<NetworkField>& serverCheck) {
    CollectedSecurity s = settings;
    if (s.networkMode == ZARN9100_NETWORK_ADHOC) s.authMode = AdHocAuthMode(s.authMode);
    NetworkPlan plan;
    auto& f = plan.fields;
    f.emplace_back("ssid", abi::HexText(reinterpret_cast<const uint8_t*>(ssid.data()), ssid.size()));
    if (port == Port::Wired) {
        PlanWiredPort(plan, s, certDir, serverCheck);
        return plan;
    }
    if (hidden) f.emplace_back("scan_ssid", "1");
    if (s.networkMode == ZARN9100_NETWORK_ADHOC) {
        f.emplace_back("mode", "1");
        // Channel 0 (automatic) starts the network on channel 6.
        const uint32_t mhz = abi::ChannelFrequencyMHz(s.channel);
        f.emplace_back("frequency", std::to_string(mhz != 0 ? mhz : abi::ChannelFrequencyMHz(6)));
    }

    const bool eap = IsEap(s);
    if (s.wpa()) {
        f.emplace_back("proto", s.rsn() ? "RSN" : "WPA");
        f.emplace_back("key_mgmt", eap ? "WPA-EAP" : "WPA-PSK");
        if (s.wepStatus == ZARN9100_ENCRYPTION_TKIP) f.emplace_back("pairwise", "TKIP");
        else if (s.wepStatus == ZARN9100_ENCRYPTION_AES) f.emplace_back("pairwise", "CCMP");
        else {
            plan.problem = "WPA needs TKIP or AES encryption";
            return plan;
        }
        f.emplace_back("group", "CCMP TKIP");
        if (!eap) {
            const std::string& p = s.passphrase;
            const bool hex64 = p.size() == 64 && p.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
            if (hex64) f.emplace_back("psk", p);
            else if (p.size() >= 8 && p.size() <= 63 && IsQuotableText(p)) f.emplace_back("psk", Quoted(p));
            else {
                plan.problem = "The passphrase must be 8 to 63 characters or 64 hexadecimal digits";
                return plan;
            }
        }
    } else if (eap) {
        // 802.1x on a network without WPA: the keys are dynamic WEP keys the server hands out.
        f.emplace_back("key_mgmt", "IEEE8021X");
    } else {
        f.emplace_back("key_mgmt", "NONE");
        if (s.wepStatus == ZARN9100_ENCRYPTION_WEP) {
            bool any = false;
            for (size_t i = 0; i < 4; ++i) {
                if (s.wepKeys[i].empty()) continue;
                f.emplace_back("wep_key" + std::to_string(i), abi::HexText(s.wepKeys[i].data(), s.wepKeys[i].size()));
                any = true;
            }
            if (!any || s.txKeyIndex == 0 || s.wepKeys[s.txKeyIndex - 1].empty()) {
                plan.problem = "WEP needs a transmit key";
                return plan;
            }
            f.emplace_back("wep_tx_keyidx", std::to_string(s.txKeyIndex - 1));
        }
        f.emplace_back("auth_alg", s.authMode == ZARN9100_AUTH_SHARED       ? "SHARED"
                                   : s.authMode == ZARN9100_AUTH_AUTO_SWITCH ? "OPEN SHARED"
                                                                         : "OPEN");
    }
    if (eap) AddEapFields(plan, s, certDir, serverCheck);
    return plan;
}

}  // namespace tembrel::wpa
