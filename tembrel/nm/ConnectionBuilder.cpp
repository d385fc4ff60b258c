#include "ConnectionBuilder.h"

#include "tembrel/common/AbiText.h"

#include <pwd.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace tembrel::nm {

namespace {

constexpr gint kAuthTimeoutS = 12;
// Kept by the library's agent, never by NetworkManager.
constexpr NMSettingSecretFlags kAgentOwned = NM_SETTING_SECRET_FLAG_AGENT_OWNED;

using abi::CollectedSecurity;
using abi::EapMethod;

// Adds `setting` to `connection`, which takes the reference.
template <class T>
T* Add(NMConnection* connection, GObject* setting) {
    nm_connection_add_setting(connection, NM_SETTING(setting));
    return reinterpret_cast<T*>(setting);
}

void AddAddresses(NMConnection* c, bool addresses) {
    g_object_set(Add<NMSettingIPConfig>(c, G_OBJECT(nm_setting_ip4_config_new())), NM_SETTING_IP_CONFIG_METHOD,
                 addresses ? NM_SETTING_IP4_CONFIG_METHOD_AUTO : NM_SETTING_IP4_CONFIG_METHOD_DISABLED, nullptr);
    g_object_set(Add<NMSettingIPConfig>(c, G_OBJECT(nm_setting_ip6_config_new())), NM_SETTING_IP_CONFIG_METHOD,
                 addresses ? NM_SETTING_IP6_CONFIG_METHOD_AUTO : NM_SETTING_IP6_CONFIG_METHOD_DISABLED, nullptr);
}

// The 802.1x setting of PEAP, TTLS (both with MSCHAPv2 inside), TLS or LEAP.
std::string Add8021x(NMConnection* c, const ConnectionRequest& r) {
    const CollectedSecurity& s = r.security;
    if (s.method == EapMethod::None) return s.identityProblem.empty() ? "802.1x needs an identity" : s.identityProblem;
    auto* x = Add<NMSetting8021x>(c, G_OBJECT(nm_setting_802_1x_new()));
    const char* eap = s.method == EapMethod::Tls    ? "tls"
                      : s.method == EapMethod::Peap ? "peap"
                      : s.method == EapMethod::Ttls ? "ttls"
                                                    : "leap";
    nm_setting_802_1x_add_eap_method(x, eap);
    const std::string identity = s.domain.empty() ? s.login : s.domain + "\\" + s.login;
    // NetworkManager gives up on an exchange after this long (it does not always notice a
    // refusal on a wired port sooner), within the time SetSsid waits.
    g_object_set(x, NM_SETTING_802_1X_IDENTITY, identity.c_str(), NM_SETTING_802_1X_AUTH_TIMEOUT, kAuthTimeoutS, nullptr);
    GError* error = nullptr;
    switch (s.method) {
    case EapMethod::Tls: {
        if (r.certificateDir.empty()) return "TLS needs the certificate folder TEMBREL_NM_CERT_DIR";
        const std::string base = r.certificateDir + "/" + s.certificateHash;
        if (!nm_setting_802_1x_set_client_cert(x, (base + ".pem").c_str(), NM_SETTING_802_1X_CK_SCHEME_PATH, nullptr,
                                               &error) ||
            !nm_setting_802_1x_set_private_key(x, (base + ".key").c_str(), nullptr, NM_SETTING_802_1X_CK_SCHEME_PATH,
                                               nullptr, &error)) {
            GErrorPtr owned(error);
            return "NetworkManager cannot read the client certificate " + s.certificateHash + ": " + owned->message;
        }
        // An unencrypted key: nothing to ask the user for.
        g_object_set(x, NM_SETTING_802_1X_PRIVATE_KEY_PASSWORD_FLAGS, NM_SETTING_SECRET_FLAG_NOT_REQUIRED, nullptr);
        break;
    }
    case EapMethod::Peap:
    case EapMethod::Ttls:
        g_object_set(x, NM_SETTING_802_1X_PASSWORD, s.password.c_str(), NM_SETTING_802_1X_PASSWORD_FLAGS, kAgentOwned,
                     NM_SETTING_802_1X_PHASE2_AUTH, "mschapv2", nullptr);
        if (s.method == EapMethod::Ttls && !s.anonymous.empty())
            g_object_set(x, NM_SETTING_802_1X_ANONYMOUS_IDENTITY, s.anonymous.c_str(), nullptr);
        break;
    case EapMethod::Leap:
        g_object_set(x, NM_SETTING_802_1X_PASSWORD, s.password.c_str(), NM_SETTING_802_1X_PASSWORD_FLAGS, kAgentOwned,
                     nullptr);
        return {};  // no server certificate
    case EapMethod::None: break;
    }
    if (!r.trustedCa.empty() &&
        !nm_setting_802_1x_set_ca_cert(x, r.trustedCa.c_str(), NM_SETTING_802_1X_CK_SCHEME_PATH, nullptr, &error)) {
        GErrorPtr owned(error);
        return std::string("NetworkManager cannot read ca.pem: ") + owned->message;
    }
    return {};
}

std::string AddWepKeys(NMSettingWirelessSecurity* ws, const CollectedSecurity& s) {
    bool any = false;
    for (guint i = 0; i < 4; ++i) {
        const auto& key = s.wepKeys[i];
        if (key.empty()) continue;
        if (key.size() != 5 && key.size() != 13) return "NetworkManager takes WEP keys of 5 or 13 bytes";
        nm_setting_wireless_security_set_wep_key(ws, i, abi::HexText(key.data(), key.size()).c_str());
        any = true;
    }
    if (!any || s.txKeyIndex == 0 || s.wepKeys[s.txKeyIndex - 1].empty()) return "WEP needs a transmit key";
    g_object_set(ws, NM_SETTING_WIRELESS_SECURITY_WEP_KEY_TYPE, NM_WEP_KEY_TYPE_KEY,
                 NM_SETTING_WIRELESS_SECURITY_WEP_TX_KEYIDX, s.txKeyIndex - 1,
                 NM_SETTING_WIRELESS_SECURITY_WEP_KEY_FLAGS, kAgentOwned, nullptr);
    return {};
}

std::string AddWirelessSecurity(NMConnection* c, const ConnectionRequest& r) {
    const CollectedSecurity& s = r.security;
    const bool eap = s.eap();
    if (!s.wpa() && !eap && s.wepStatus != ZARN9100_ENCRYPTION_WEP) return {};  // an open network
    auto* ws = Add<NMSettingWirelessSecurity>(c, G_OBJECT(nm_setting_wireless_security_new()));
    if (s.wpa()) {
        if (s.wepStatus != ZARN9100_ENCRYPTION_TKIP && s.wepStatus != ZARN9100_ENCRYPTION_AES)
            return "WPA needs TKIP or AES encryption";
        g_object_set(ws, NM_SETTING_WIRELESS_SECURITY_KEY_MGMT, eap ? "wpa-eap" : "wpa-psk", nullptr);
        nm_setting_wireless_security_add_proto(ws, s.rsn() ? "rsn" : "wpa");
        nm_setting_wireless_security_add_pairwise(ws, s.wepStatus == ZARN9100_ENCRYPTION_AES ? "ccmp" : "tkip");
        if (!eap) {
            const std::string& p = s.passphrase;
            const bool hex64 = p.size() == 64 && p.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
            if (!hex64 && (p.size() < 8 || p.size() > 63))
                return "The passphrase must be 8 to 63 characters or 64 hexadecimal digits";
            g_object_set(ws, NM_SETTING_WIRELESS_SECURITY_PSK, p.c_str(), NM_SETTING_WIRELESS_SECURITY_PSK_FLAGS,
                         kAgentOwned, nullptr);
        }
    } else if (eap && s.method == EapMethod::Leap) {
        // Network EAP with LEAP: NetworkManager's own LEAP, no 802.1x setting.
        g_object_set(ws, NM_SETTING_WIRELESS_SECURITY_KEY_MGMT, "ieee8021x", NM_SETTING_WIRELESS_SECURITY_AUTH_ALG,
                     "leap", NM_SETTING_WIRELESS_SECURITY_LEAP_USERNAME, s.login.c_str(),
                     NM_SETTING_WIRELESS_SECURITY_LEAP_PASSWORD, s.password.c_str(),
                     NM_SETTING_WIRELESS_SECURITY_LEAP_PASSWORD_FLAGS, kAgentOwned, nullptr);
        return {};
    } else if (eap) {
        // Dynamic WEP: 802.1x hands out the keys.
        g_object_set(ws, NM_SETTING_WIRELESS_SECURITY_KEY_MGMT, "ieee8021x", nullptr);
    } else {
        g_object_set(ws, NM_SETTING_WIRELESS_SECURITY_KEY_MGMT, "none", NM_SETTING_WIRELESS_SECURITY_AUTH_ALG,
                     s.authMode == ZARN9100_AUTH_SHARED ? "shared" : "open", nullptr);
        if (std::string problem = AddWepKeys(ws, s); !problem.empty()) return problem;
    }
    return eap ? Add8021x(c, r) : std::string();
}

std::string AddWireless(NMConnection* c, const ConnectionRequest& r) {
    const CollectedSecurity& s = r.security;
    auto* w = Add<NMSettingWireless>(c, G_OBJECT(nm_setting_wireless_new()));
    GBytes* ssid = g_bytes_new(r.ssid.data(), r.ssid.size());
    g_object_set(w, NM_SETTING_WIRELESS_SSID, ssid, NM_SETTING_WIRELESS_HIDDEN, gboolean(r.hidden), nullptr);
    g_bytes_unref(ssid);
    if (s.networkMode == ZARN9100_NETWORK_ADHOC) {
        g_object_set(w, NM_SETTING_WIRELESS_MODE, NM_SETTING_WIRELESS_MODE_ADHOC, nullptr);
        if (s.channel != 0) {
            g_object_set(w, NM_SETTING_WIRELESS_BAND, s.channel <= 14 ? "bg" : "a", NM_SETTING_WIRELESS_CHANNEL,
                         guint(s.channel), nullptr);
        }
        if (s.wpa() || s.eap()) return "NetworkManager joins ad hoc networks open or with WEP only";
    }
    return AddWirelessSecurity(c, r);
}

std::string AddWiredPort(NMConnection* c, const ConnectionRequest& r) {
    const CollectedSecurity& s = r.security;
    Add<NMSettingWired>(c, G_OBJECT(nm_setting_wired_new()));
    if (s.networkMode == ZARN9100_NETWORK_ADHOC) return "A wired port has no ad hoc mode";
    if (s.eap()) return Add8021x(c, r);
    if (s.authMode != ZARN9100_AUTH_OPEN || s.wepStatus == ZARN9100_ENCRYPTION_WEP)
        return "A wired port takes 802.1x or no authentication, no keys";
    return {};
}

// A connection name that a person can read in nmcli: printable bytes only.
std::string DisplayName(const std::string& ssid) {
    std::string name = "Tembrel ";
    for (unsigned char ch : ssid) name.push_back(ch >= 0x20 && ch < 0x7f ? char(ch) : '?');
    return name;
}

// NetworkManager takes text settings as UTF-8 only (anything else it drops with a warning and
// then has no secret): such a field is named before anything changes.
std::string NonUtf8Field(const CollectedSecurity& s) {
    const std::pair<const char*, const std::string*> fields[] = {
        {"passphrase", &s.passphrase}, {"login", &s.login},         {"domain", &s.domain},
        {"password", &s.password},     {"anonymous identity", &s.anonymous}};
    for (const auto& [name, text] : fields) {
        if (!g_utf8_validate(text->data(), gssize(text->size()), nullptr))
            return std::string("The ") + name + " is not UTF-8 text, which NetworkManager requires";
    }
    return {};
}

}  // namespace

std::string CurrentUserName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return {};
    return found->pw_name;
}

BuiltConnection BuildConnection(const ConnectionRequest& r) {
    BuiltConnection built;
    if (r.ssid.size() > 32) {
        built.problem = "An SSID has at most 32 bytes";
        return built;
    }
    if (std::string field = NonUtf8Field(r.security); !field.empty()) {
        built.problem = field;
        return built;
    }
    GObjectPtr<NMConnection> c(nm_simple_connection_new());
    auto* sc = Add<NMSettingConnection>(c.get(), G_OBJECT(nm_setting_connection_new()));
    char* uuid = nm_utils_uuid_generate();
    g_object_set(sc, NM_SETTING_CONNECTION_ID, DisplayName(r.ssid).c_str(), NM_SETTING_CONNECTION_UUID, uuid,
                 NM_SETTING_CONNECTION_TYPE, r.wired ? NM_SETTING_WIRED_SETTING_NAME : NM_SETTING_WIRELESS_SETTING_NAME,
                 NM_SETTING_CONNECTION_AUTOCONNECT, FALSE, NM_SETTING_CONNECTION_INTERFACE_NAME,
                 r.interfaceName.empty() ? nullptr : r.interfaceName.c_str(), nullptr);
    g_free(uuid);
    // Only the user sees it: nobody else can read it, activate it or ask for its secrets.
    if (!r.user.empty()) nm_setting_connection_add_permission(sc, "user", r.user.c_str(), nullptr);
    AddAddresses(c.get(), r.addresses);
    built.problem = r.wired ? AddWiredPort(c.get(), r) : AddWireless(c.get(), r);
    if (built.problem.empty()) {
        GError* error = nullptr;
        if (!nm_connection_verify(c.get(), &error)) {
            GErrorPtr owned(error);
            built.problem = std::string("NetworkManager does not take these settings: ") + owned->message;
        }
    }
    if (built.problem.empty()) built.connection = std::move(c);
    return built;
}

abi::LinkSecurity SecurityOfConnection(NMConnection* c) {
    abi::LinkSecurity link;
    if (nm_connection_get_setting_wireless(c) == nullptr) return link;
    NMSettingWirelessSecurity* ws = nm_connection_get_setting_wireless_security(c);
    if (ws == nullptr) {
        link.authMode = ZARN9100_AUTH_OPEN;
        link.wepStatus = ZARN9100_ENCRYPTION_DISABLED;
        return link;
    }
    const std::string keys = nm_setting_wireless_security_get_key_mgmt(ws);
    const char* alg = nm_setting_wireless_security_get_auth_alg(ws);
    if (keys == "none" || keys == "ieee8021x") {
        // Static WEP, or WEP keyed by 802.1x (dynamic WEP, LEAP).
        link.authMode = alg != nullptr && std::string(alg) == "shared" ? ZARN9100_AUTH_SHARED : ZARN9100_AUTH_OPEN;
        link.wepStatus = ZARN9100_ENCRYPTION_WEP;
        return link;
    }
    const bool psk = keys == "wpa-psk" || keys == "sae";
    if (!psk && keys != "wpa-eap") return link;
    // Without a list NetworkManager allows both versions and every cipher: the strongest is taken.
    bool rsn = nm_setting_wireless_security_get_num_protos(ws) == 0;
    for (guint i = 0; i < nm_setting_wireless_security_get_num_protos(ws); ++i)
        rsn = rsn || std::string(nm_setting_wireless_security_get_proto(ws, i)) == "rsn";
    bool ccmp = nm_setting_wireless_security_get_num_pairwise(ws) == 0;
    for (guint i = 0; i < nm_setting_wireless_security_get_num_pairwise(ws); ++i)
        ccmp = ccmp || std::string(nm_setting_wireless_security_get_pairwise(ws, i)) == "ccmp";
    link.authMode = psk ? (rsn ? ZARN9100_AUTH_WPA2_PSK : ZARN9100_AUTH_WPA_PSK)
                        : (rsn ? ZARN9100_AUTH_WPA2 : ZARN9100_AUTH_WPA);
    link.wepStatus = ccmp ? ZARN9100_ENCRYPTION_AES : ZARN9100_ENCRYPTION_TKIP;
    return link;
}

}  // namespace tembrel::nm
