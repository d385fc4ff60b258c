// The wpa_supplicant network each collected configuration makes.

#include "NetworkConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tembrel::wpa {
namespace {

std::string Joined(const NetworkPlan& plan) {
    std::string out;
    for (const auto& [name, value] : plan.fields) out += name + "=" + value + ";";
    return out;
}

CollectedSecurity Wep(uint32_t auth) {
    CollectedSecurity s;
    s.authMode = auth;
    s.wepStatus = ZARN9100_ENCRYPTION_WEP;
    s.wepKeys[0] = {0x12, 0x34, 0x56, 0x78, 0x90};
    s.wepKeys[2] = std::vector<uint8_t>(13, 0xab);
    s.txKeyIndex = 3;
    return s;
}

CollectedSecurity Wpa(uint32_t auth, uint32_t cipher, std::string passphrase) {
    CollectedSecurity s;
    s.authMode = auth;
    s.wepStatus = cipher;
    s.passphrase = std::move(passphrase);
    return s;
}

CollectedSecurity Eap(uint32_t auth, EapMethod method) {
    CollectedSecurity s = Wpa(auth, ZARN9100_ENCRYPTION_AES, "");
    s.method = method;
    s.login = "alice";
    s.password = "wonderland";
    return s;
}

struct PlanRow {
    const char* name;
    CollectedSecurity security;
    bool hidden;
    std::string expected;  // the fields after ssid
};

TEST(NetworkPlanTest, EachConfigurationMakesItsNetwork) {
    CollectedSecurity ttls = Eap(ZARN9100_AUTH_WPA, EapMethod::Ttls);
    ttls.wepStatus = ZARN9100_ENCRYPTION_TKIP;
    ttls.anonymous = "anon";
    CollectedSecurity leap = Eap(ZARN9100_AUTH_OPEN, EapMethod::Leap);
    leap.ccxNetworkEap = 1;
    leap.domain = "CORP";
    CollectedSecurity tls = Eap(ZARN9100_AUTH_WPA2, EapMethod::Tls);
    tls.certificateHash = "00112233445566778899aabbccddeeff00112233";
    CollectedSecurity adHoc;
    adHoc.networkMode = 0;
    adHoc.channel = 11;
    // Ad hoc takes the profile's value: 4 is Auto Switch there, not WPA-PSK.
    CollectedSecurity adHocAuto = Wep(4);
    adHocAuto.networkMode = 0;
    adHocAuto.channel = 1;
    // 802.1x with WEP status: the server hands out the keys; keys set all the same stay out.
    CollectedSecurity dynamicWep = Wep(ZARN9100_AUTH_OPEN);
    dynamicWep.method = EapMethod::Peap;
    dynamicWep.login = "alice";
    dynamicWep.password = "wonderland";
    const PlanRow rows[] = {
        {"open", CollectedSecurity{}, false, "key_mgmt=NONE;auth_alg=OPEN;"},
        {"open hidden", CollectedSecurity{}, true, "scan_ssid=1;key_mgmt=NONE;auth_alg=OPEN;"},
        {"WEP shared", Wep(ZARN9100_AUTH_SHARED), false,
         "key_mgmt=NONE;wep_key0=1234567890;wep_key2=ababababababababababababab;wep_tx_keyidx=2;auth_alg=SHARED;"},
        {"WEP auto", Wep(ZARN9100_AUTH_AUTO_SWITCH), false,
         "key_mgmt=NONE;wep_key0=1234567890;wep_key2=ababababababababababababab;wep_tx_keyidx=2;auth_alg=OPEN SHARED;"},
        {"WPA-PSK", Wpa(ZARN9100_AUTH_WPA_PSK, ZARN9100_ENCRYPTION_TKIP, "orvix-passphrase"), false,
         "proto=WPA;key_mgmt=WPA-PSK;pairwise=TKIP;group=CCMP TKIP;psk=\"orvix-passphrase\";"},
        {"WPA2-PSK hex", Wpa(ZARN9100_AUTH_WPA2_PSK, ZARN9100_ENCRYPTION_AES, std::string(64, 'a')), false,
         "proto=RSN;key_mgmt=WPA-PSK;pairwise=CCMP;group=CCMP TKIP;psk=" + std::string(64, 'a') + ";"},
        {"WPA2 PEAP", Eap(ZARN9100_AUTH_WPA2, EapMethod::Peap), false,
         "proto=RSN;key_mgmt=WPA-EAP;pairwise=CCMP;group=CCMP TKIP;eap=PEAP;identity=\"alice\";"
         "password=\"wonderland\";phase2=\"auth=MSCHAPV2\";"},
        {"WPA TTLS", ttls, false,
         "proto=WPA;key_mgmt=WPA-EAP;pairwise=TKIP;group=CCMP TKIP;eap=TTLS;identity=\"alice\";"
         "password=\"wonderland\";anonymous_identity=\"anon\";phase2=\"auth=MSCHAPV2\";"},
        {"LEAP network EAP", leap, false, "key_mgmt=IEEE8021X;eap=LEAP;identity=\"CORP\\alice\";password=\"wonderland\";"},
        {"WPA2 TLS", tls, false,
         "proto=RSN;key_mgmt=WPA-EAP;pairwise=CCMP;group=CCMP TKIP;eap=TLS;identity=\"alice\";"
         "client_cert=\"/certs/00112233445566778899aabbccddeeff00112233.pem\";"
         "private_key=\"/certs/00112233445566778899aabbccddeeff00112233.key\";"},
        {"ad hoc", adHoc, false, "mode=1;frequency=2462;key_mgmt=NONE;auth_alg=OPEN;"},
        {"ad hoc Auto Switch", adHocAuto, false,
         "mode=1;frequency=2412;key_mgmt=NONE;wep_key0=1234567890;wep_key2=ababababababababababababab;"
         "wep_tx_keyidx=2;auth_alg=OPEN SHARED;"},
        {"802.1x dynamic WEP", dynamicWep, false,
         "key_mgmt=IEEE8021X;eap=PEAP;identity=\"alice\";password=\"wonderland\";phase2=\"auth=MSCHAPV2\";"},
    };
    for (const PlanRow& row : rows) {
        const NetworkPlan plan = PlanNetwork(row.security, "Net", row.hidden, "/certs");
        EXPECT_EQ(plan.problem, "") << row.name;
        EXPECT_EQ(Joined(plan), std::string("ssid=4e6574;") + row.expected) << row.name;
    }
}

// The server check goes with every method that proves the server by a certificate; LEAP has none.
TEST(NetworkPlanTest, TheServerCheckGoesWithTlsBasedMethods) {
    const std::vector<NetworkField> check = {{"ca_cert", "\"/certs/ca.pem\""}};
    CollectedSecurity tls = Eap(ZARN9100_AUTH_WPA2, EapMethod::Tls);
    tls.certificateHash = "00112233445566778899aabbccddeeff00112233";
    CollectedSecurity leap = Eap(ZARN9100_AUTH_OPEN, EapMethod::Leap);
    leap.ccxNetworkEap = 1;
    const std::pair<CollectedSecurity, Port> checked[] = {{Eap(ZARN9100_AUTH_WPA2, EapMethod::Peap), Port::Wireless},
                                                        {Eap(ZARN9100_AUTH_WPA, EapMethod::Ttls), Port::Wireless},
                                                        {tls, Port::Wireless},
                                                        {tls, Port::Wired}};
    for (const auto& [security, port] : checked) {
        const NetworkPlan plan = PlanNetwork(security, "Net", false, "/certs", port, check);
        EXPECT_EQ(plan.problem, "");
        ASSERT_FALSE(plan.fields.empty());
        EXPECT_EQ(plan.fields.back(), (NetworkField{"ca_cert", "\"/certs/ca.pem\""})) << EapMethodName(security.method);
    }
    const NetworkPlan leapPlan = PlanNetwork(leap, "Net", false, "/certs", Port::Wireless, check);
    for (const NetworkField& field : leapPlan.fields) EXPECT_NE(field.first, "ca_cert");
}

TEST(NetworkPlanTest, ConfigurationsNoNetworkCanJoinAreRefused) {
    CollectedSecurity noTxKey = Wep(ZARN9100_AUTH_OPEN);
    noTxKey.txKeyIndex = 0;
    CollectedSecurity noIdentity = Eap(ZARN9100_AUTH_WPA2, EapMethod::None);
    const std::pair<const char*, CollectedSecurity> rows[] = {
        {"short passphrase", Wpa(ZARN9100_AUTH_WPA2_PSK, ZARN9100_ENCRYPTION_AES, "short")},
        {"passphrase with a newline", Wpa(ZARN9100_AUTH_WPA2_PSK, ZARN9100_ENCRYPTION_AES, "pass\nphrase")},
        {"WPA with WEP", Wpa(ZARN9100_AUTH_WPA_PSK, ZARN9100_ENCRYPTION_WEP, "orvix-passphrase")},
        {"WEP without transmit key", noTxKey},
        {"802.1x without identity", noIdentity},
        {"TLS without certificate folder", Eap(ZARN9100_AUTH_WPA2, EapMethod::Tls)},
    };
    for (const auto& [name, security] : rows) EXPECT_NE(PlanNetwork(security, "Net", false, "").problem, "") << name;
}

TEST(NetworkPlanTest, AWiredPortTakes8021xOrNoAuthentication) {
    CollectedSecurity ttls = Eap(ZARN9100_AUTH_WPA, EapMethod::Ttls);
    ttls.wepStatus = ZARN9100_ENCRYPTION_TKIP;
    ttls.anonymous = "anon";
    CollectedSecurity tls = Eap(ZARN9100_AUTH_WPA2, EapMethod::Tls);
    tls.certificateHash = "00112233445566778899aabbccddeeff00112233";
    CollectedSecurity networkEap = Eap(ZARN9100_AUTH_OPEN, EapMethod::Peap);
    networkEap.ccxNetworkEap = 1;
    const PlanRow rows[] = {
        {"open", CollectedSecurity{}, true, "key_mgmt=NONE;"},
        {"WPA2 PEAP", Eap(ZARN9100_AUTH_WPA2, EapMethod::Peap), false,
         "key_mgmt=IEEE8021X;eapol_flags=0;eap=PEAP;identity=\"alice\";password=\"wonderland\";"
         "phase2=\"auth=MSCHAPV2\";"},
        {"WPA TTLS", ttls, false,
         "key_mgmt=IEEE8021X;eapol_flags=0;eap=TTLS;identity=\"alice\";password=\"wonderland\";"
         "anonymous_identity=\"anon\";phase2=\"auth=MSCHAPV2\";"},
        {"WPA2 TLS", tls, false,
         "key_mgmt=IEEE8021X;eapol_flags=0;eap=TLS;identity=\"alice\";"
         "client_cert=\"/certs/00112233445566778899aabbccddeeff00112233.pem\";"
         "private_key=\"/certs/00112233445566778899aabbccddeeff00112233.key\";"},
        {"network EAP", networkEap, false,
         "key_mgmt=IEEE8021X;eapol_flags=0;eap=PEAP;identity=\"alice\";password=\"wonderland\";"
         "phase2=\"auth=MSCHAPV2\";"},
    };
    for (const PlanRow& row : rows) {
        const NetworkPlan plan = PlanNetwork(row.security, "Net", row.hidden, "/certs", Port::Wired);
        EXPECT_EQ(plan.problem, "") << row.name;
        EXPECT_EQ(Joined(plan), std::string("ssid=4e6574;") + row.expected) << row.name;
    }

    CollectedSecurity adHoc;
    adHoc.networkMode = 0;
    const std::pair<const char*, CollectedSecurity> refused[] = {
        {"WPA2-PSK", Wpa(ZARN9100_AUTH_WPA2_PSK, ZARN9100_ENCRYPTION_AES, "orvix-passphrase")},
        {"WEP", Wep(ZARN9100_AUTH_OPEN)},
        {"shared key", Wep(ZARN9100_AUTH_SHARED)},
        {"ad hoc", adHoc},
        {"802.1x without identity", Eap(ZARN9100_AUTH_WPA2, EapMethod::None)},
    };
    for (const auto& [name, security] : refused)
        EXPECT_NE(PlanNetwork(security, "Net", false, "/certs", Port::Wired).problem, "") << name;
}

TEST(NetworkPlanTest, KeysAndPasswordsAreSecretFields) {
    for (const char* name : {"psk", "password", "wep_key0", "wep_key3"}) EXPECT_TRUE(IsSecretField(name)) << name;
    for (const char* name : {"ssid", "identity", "key_mgmt", "wep_tx_keyidx"}) EXPECT_FALSE(IsSecretField(name)) << name;
}

TEST(NetworkPlanTest, QuotableTextRejectsControlsAndLongTexts) {
    EXPECT_TRUE(IsQuotableText("alice wonder-land"));
    EXPECT_TRUE(IsQuotableText("a\"b"));
    EXPECT_FALSE(IsQuotableText("a\nb"));
    EXPECT_FALSE(IsQuotableText(std::string(256, 'x')));
}

}  // namespace
}  // namespace tembrel::wpa
