// Access points as NetworkManager describes them (flags, not elements), turned into scan entries
// and read back with the program's own scan walk, security detection and channel plan; the
// state reasons NetworkManager gives for a failure; and the connections the collected security
// calls make, checked by libnm itself.

#include "ConnectionBuilder.h"
#include "Mapping.h"

#include "survey/ChannelPlan.h"
#include "survey/ScanEntry.h"
#include "survey/SecurityDetection.h"

#include <gtest/gtest.h>

#include <string>

namespace tembrel::nm {
namespace {

constexpr uint32_t kWpaTkipPsk = NM_802_11_AP_SEC_PAIR_TKIP | NM_802_11_AP_SEC_GROUP_TKIP | NM_802_11_AP_SEC_KEY_MGMT_PSK;
constexpr uint32_t kRsnCcmpPsk = NM_802_11_AP_SEC_PAIR_CCMP | NM_802_11_AP_SEC_GROUP_CCMP | NM_802_11_AP_SEC_KEY_MGMT_PSK;
constexpr uint32_t kRsnCcmpEap =
    NM_802_11_AP_SEC_PAIR_CCMP | NM_802_11_AP_SEC_GROUP_CCMP | NM_802_11_AP_SEC_KEY_MGMT_802_1X;

struct ApRow {
    const char* name;
    AccessPointFacts ap;
    uint32_t channel;
    uint32_t band;
    int32_t rssi;
    uint32_t infrastructure;
    ScanSecurity security;
};

AccessPointFacts Ap(const std::string& ssid, uint32_t mhz, uint32_t kbps, uint32_t strength, uint32_t flags,
                    uint32_t wpa, uint32_t rsn, bool adHoc = false) {
    AccessPointFacts f;
    f.ssid.assign(ssid.begin(), ssid.end());
    const uint8_t bssid[6] = {0x00, 0x11, 0x22, 0x33, 0x44, uint8_t(mhz & 0xff)};
    std::copy(bssid, bssid + 6, f.bssid);
    f.frequencyMHz = mhz;
    f.maxBitrateKbps = kbps;
    f.strengthPercent = strength;
    f.flags = flags;
    f.wpaFlags = wpa;
    f.rsnFlags = rsn;
    f.adHoc = adHoc;
    return f;
}

constexpr uint32_t kPrivacy = NM_802_11_AP_FLAGS_PRIVACY;

const ApRow kRows[] = {
    {"open 802.11g", Ap("CoffeeShop", 2437, 54000, 100, 0, 0, 0), 6, kBand80211g, -40, 1, {kAuthOpenSystem, kCipherWep}},
    {"WEP 802.11b", Ap("OldLab", 2462, 11000, 50, kPrivacy, 0, 0), 11, kBand80211b, -70, 1, {kAuthOpenSystem, kCipherWep}},
    {"WPA TKIP", Ap("HomeTkip", 2412, 54000, 0, kPrivacy, kWpaTkipPsk, 0), 1, kBand80211g, -100, 1, {kAuthWpaPsk, kCipherTkip}},
    {"WPA2 CCMP", Ap("HomeCcmp", 2484, 54000, 75, kPrivacy, 0, kRsnCcmpPsk), 14, kBand80211g, -55, 1, {kAuthWpa2Psk, kCipherAes}},
    // A mixed network shows its RSN element first, as access points send them.
    {"WPA and WPA2", Ap("Mixed", 2437, 54000, 75, kPrivacy, kWpaTkipPsk, kRsnCcmpPsk), 6, kBand80211g, -55, 1, {kAuthWpa2Psk, kCipherAes}},
    {"WPA2 enterprise 5 GHz", Ap("CorpNet", 5180, 54000, 60, kPrivacy, 0, kRsnCcmpEap), 36, kBand80211a, -64, 1, {kGroupWpa2, kCipherAes}},
    {"hidden, ad hoc", Ap("", 5745, 54000, 110, 0, 0, 0, true), 149, kBand80211a, -40, 0, {kAuthOpenSystem, kCipherWep}},
};

TEST(NetworkManagerMappingTest, AccessPointsReadBackThroughTheProgramsScanWalk) {
    for (const ApRow& row : kRows) {
        SCOPED_TRACE(row.name);
        const std::vector<uint8_t> bytes = BuildScanEntry(row.ap);
        ASSERT_FALSE(bytes.empty());
        const ScanEntry entry(bytes);
        EXPECT_EQ(entry.length(), bytes.size());
        EXPECT_EQ(bytes.size() % 4, 0u);
        EXPECT_EQ(std::string(entry.ssid()), std::string(row.ap.ssid.begin(), row.ap.ssid.end()));
        EXPECT_EQ(entry.macAddress()[5], row.ap.bssid[5]);
        EXPECT_EQ(ChannelFromFrequency(entry.dsConfigKHz()), row.channel);
        EXPECT_EQ(ClassifyBand(entry), row.band);
        EXPECT_EQ(entry.rssiDbm(), row.rssi);
        EXPECT_EQ(entry.privacy(), row.ap.flags & kPrivacy);
        EXPECT_EQ(entry.infrastructureMode(), row.infrastructure);
        EXPECT_EQ(DetectSecurityOfEntry(entry), row.security);
    }
}

TEST(NetworkManagerMappingTest, AnSsidTooLongOrAnUnknownFrequencyMakesNoEntry) {
    EXPECT_TRUE(BuildScanEntry(Ap(std::string(33, 'x'), 2437, 54000, 50, 0, 0, 0)).empty());
    EXPECT_TRUE(BuildScanEntry(Ap("Odd", 2487, 54000, 50, 0, 0, 0)).empty());
}

TEST(NetworkManagerMappingTest, FailureReasonsGiveTheResultAndTheText) {
    const std::tuple<uint32_t, int, const char*> rows[] = {
        {NM_DEVICE_STATE_REASON_NO_SECRETS, 2, "Authentication failed: no secrets"},
        {NM_DEVICE_STATE_REASON_SUPPLICANT_TIMEOUT, 2, "Authentication failed: the supplicant timed out"},
        {NM_DEVICE_STATE_REASON_SSID_NOT_FOUND, 1, "Connection failed: the network is not in range"},
        {NM_DEVICE_STATE_REASON_DHCP_FAILED, 1, "Connection failed: no address"},
        {NM_DEVICE_STATE_REASON_UNKNOWN, 1, "Connection failed: NetworkManager reason 1"},
    };
    for (const auto& [reason, result, text] : rows) {
        const Refusal r = RefusalOf(reason);
        EXPECT_EQ(r.result, result) << text;
        EXPECT_EQ(r.text, text);
    }
}

// How many secrets NetworkManager itself would keep (and write to a file).
size_t SecretsOwnedBySystem(NMConnection* c) {
    GVariant* secrets = nm_connection_to_dbus(c, NM_CONNECTION_SERIALIZE_WITH_SECRETS_SYSTEM_OWNED);
    if (secrets == nullptr) return 0;
    g_variant_ref_sink(secrets);
    size_t n = 0;
    GVariantIter it;
    g_variant_iter_init(&it, secrets);
    GVariant* setting = nullptr;
    const char* name = nullptr;
    while (g_variant_iter_next(&it, "{&s@a{sv}}", &name, &setting)) {
        n += g_variant_n_children(setting);
        g_variant_unref(setting);
    }
    g_variant_unref(secrets);
    return n;
}

abi::CollectedSecurity Security(uint32_t auth, uint32_t encryption) {
    abi::CollectedSecurity s;
    s.authMode = auth;
    s.wepStatus = encryption;
    return s;
}

TEST(NetworkManagerMappingTest, CollectedSecurityBecomesAConnectionNetworkManagerAccepts) {
    struct Row {
        const char* name;
        abi::CollectedSecurity security;
        bool wired;
        const char* keyMgmt;  // "" for an open network; nullptr when refused
    };
    auto psk = Security(ZARN9100_AUTH_WPA2_PSK, ZARN9100_ENCRYPTION_AES);
    psk.passphrase = "correct horse";
    auto shortPsk = psk;
    shortPsk.passphrase = "short";
    auto wep = Security(ZARN9100_AUTH_SHARED, ZARN9100_ENCRYPTION_WEP);
    wep.wepKeys[1] = {1, 2, 3, 4, 5};
    wep.txKeyIndex = 2;
    auto wepNoTx = wep;
    wepNoTx.txKeyIndex = 1;
    auto peap = Security(ZARN9100_AUTH_WPA2, ZARN9100_ENCRYPTION_AES);
    peap.method = abi::EapMethod::Peap;
    peap.login = "alice";
    peap.password = "wonderland";
    auto leap = Security(ZARN9100_AUTH_OPEN, ZARN9100_ENCRYPTION_WEP);
    leap.ccxNetworkEap = 1;
    leap.method = abi::EapMethod::Leap;
    leap.login = "bob";
    leap.password = "secret";
    auto wiredPeap = peap;
    auto noIdentity = Security(ZARN9100_AUTH_WPA2, ZARN9100_ENCRYPTION_AES);
    auto tlsWithoutFolder = peap;
    tlsWithoutFolder.method = abi::EapMethod::Tls;
    auto tkipMissing = Security(ZARN9100_AUTH_WPA_PSK, ZARN9100_ENCRYPTION_DISABLED);
    tkipMissing.passphrase = "correct horse";
    auto wiredKeys = psk;
    auto dynamicWep = Security(ZARN9100_AUTH_OPEN, ZARN9100_ENCRYPTION_WEP);
    dynamicWep.method = abi::EapMethod::Peap;
    dynamicWep.login = "alice";
    dynamicWep.password = "wonderland";
    auto latin1 = peap;
    latin1.password = "caf\xe9";
    const Row rows[] = {
        {"open", Security(ZARN9100_AUTH_OPEN, ZARN9100_ENCRYPTION_DISABLED), false, ""},
        {"WPA2-PSK", psk, false, "wpa-psk"},
        {"passphrase too short", shortPsk, false, nullptr},
        {"WPA without a cipher", tkipMissing, false, nullptr},
        {"WEP shared key", wep, false, "none"},
        {"WEP transmit key missing", wepNoTx, false, nullptr},
        {"WPA2 PEAP", peap, false, "wpa-eap"},
        {"network EAP LEAP", leap, false, "ieee8021x"},
        {"802.1x without identity", noIdentity, false, nullptr},
        {"TLS without a certificate folder", tlsWithoutFolder, false, nullptr},
        {"wired PEAP", wiredPeap, true, ""},
        {"wired port with a key", wiredKeys, true, nullptr},
        {"dynamic WEP", dynamicWep, false, "ieee8021x"},
        {"wired dynamic WEP", dynamicWep, true, ""},
        {"a Latin-1 password", latin1, false, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ConnectionRequest request;
        request.security = row.security;
        request.ssid = "Net";
        request.wired = row.wired;
        request.user = "alice";
        const BuiltConnection built = BuildConnection(request);
        if (row.keyMgmt == nullptr) {
            EXPECT_EQ(built.connection, nullptr);
            EXPECT_NE(built.problem, "");
            continue;
        }
        ASSERT_NE(built.connection, nullptr) << built.problem;
        NMSettingConnection* sc = nm_connection_get_setting_connection(built.connection.get());
        EXPECT_FALSE(nm_setting_connection_get_autoconnect(sc));
        // The user's own, and every secret left to the library's agent.
        const char* type = nullptr;
        const char* user = nullptr;
        ASSERT_EQ(nm_setting_connection_get_num_permissions(sc), 1u);
        ASSERT_TRUE(nm_setting_connection_get_permission(sc, 0, &type, &user, nullptr));
        EXPECT_STREQ(user, "alice");
        EXPECT_EQ(SecretsOwnedBySystem(built.connection.get()), 0u);
        NMSettingWirelessSecurity* ws = nm_connection_get_setting_wireless_security(built.connection.get());
        EXPECT_EQ(std::string(ws != nullptr ? nm_setting_wireless_security_get_key_mgmt(ws) : ""), row.keyMgmt);
        EXPECT_EQ(nm_connection_get_setting_802_1x(built.connection.get()) != nullptr,
                  row.security.eap() && row.security.method != abi::EapMethod::Leap);
    }
}

// A link's security as the status page reads it, from the settings of whichever connection is
// active: each connection the library can make reads back as the values it was made of.
TEST(NetworkManagerMappingTest, AConnectionsSecurityReadsBackInTheLibrarysValues) {
    struct Row {
        const char* name;
        abi::CollectedSecurity security;
        bool wired;
        std::optional<uint32_t> authMode, wepStatus;
    };
    auto psk = Security(ZARN9100_AUTH_WPA2_PSK, ZARN9100_ENCRYPTION_AES);
    psk.passphrase = "correct horse";
    auto wpaTkip = Security(ZARN9100_AUTH_WPA_PSK, ZARN9100_ENCRYPTION_TKIP);
    wpaTkip.passphrase = "correct horse";
    auto wep = Security(ZARN9100_AUTH_SHARED, ZARN9100_ENCRYPTION_WEP);
    wep.wepKeys[0] = {1, 2, 3, 4, 5};
    wep.txKeyIndex = 1;
    auto peap = Security(ZARN9100_AUTH_WPA2, ZARN9100_ENCRYPTION_AES);
    peap.method = abi::EapMethod::Peap;
    peap.login = "alice";
    peap.password = "wonderland";
    auto dynamicWep = Security(ZARN9100_AUTH_OPEN, ZARN9100_ENCRYPTION_WEP);
    dynamicWep.method = abi::EapMethod::Peap;
    dynamicWep.login = "alice";
    dynamicWep.password = "wonderland";
    const Row rows[] = {
        {"open", Security(ZARN9100_AUTH_OPEN, ZARN9100_ENCRYPTION_DISABLED), false, ZARN9100_AUTH_OPEN,
         ZARN9100_ENCRYPTION_DISABLED},
        {"WPA2-PSK", psk, false, ZARN9100_AUTH_WPA2_PSK, ZARN9100_ENCRYPTION_AES},
        {"WPA-PSK TKIP", wpaTkip, false, ZARN9100_AUTH_WPA_PSK, ZARN9100_ENCRYPTION_TKIP},
        {"WEP shared key", wep, false, ZARN9100_AUTH_SHARED, ZARN9100_ENCRYPTION_WEP},
        {"WPA2 PEAP", peap, false, ZARN9100_AUTH_WPA2, ZARN9100_ENCRYPTION_AES},
        {"dynamic WEP", dynamicWep, false, ZARN9100_AUTH_OPEN, ZARN9100_ENCRYPTION_WEP},
        {"wired PEAP", peap, true, std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ConnectionRequest request;
        request.security = row.security;
        request.ssid = "Net";
        request.wired = row.wired;
        const BuiltConnection built = BuildConnection(request);
        ASSERT_NE(built.connection, nullptr) << built.problem;
        const abi::LinkSecurity link = SecurityOfConnection(built.connection.get());
        EXPECT_EQ(link.authMode, row.authMode);
        EXPECT_EQ(link.wepStatus, row.wepStatus);
    }
}

}  // namespace
}  // namespace tembrel::nm
