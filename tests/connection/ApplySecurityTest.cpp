#include "tests/connection/ConnectorFixture.h"

#include <array>
#include <string>
#include <vector>

namespace tembrel::testing {
namespace {

const std::string kLeap = "WPACreateIdentityLEAP(\"user\", \"corp\", \"pw\")";
const std::string kTls = "WPACreateIdentityTLS(\"user\", 0102030405060708090a0b0c0d0e0f1011121314)";
const std::string kPeap = "WPACreateIdentityPEAP(\"user\", \"corp\", \"pw\")";
const std::string kTtls = "WPACreateIdentityTtls(\"user\", \"corp\", \"pw\", \"anon\")";

ProfilePtr SecurityProfile(uint32_t networkType, uint32_t authMode, int32_t encryption) {
    auto p = MakeProfile("Sec", "SecNet", networkType);
    p->authMode = authMode;
    p->encryption = encryption;
    SetText(p->loginName, "user");
    SetText(p->domain, "corp");
    SetText(p->password, "pw");
    SetText(p->anonymousName, "anon");
    SetText(p->passphrase, "secret-pass");
    for (uint8_t i = 0; i < 20; ++i) p->certificateHash[i] = static_cast<uint8_t>(i + 1);
    p->wep.txKeyIndex = 2;
    for (uint32_t k = 0; k < 4; ++k) {
        p->wep.keys[k].length = 5;
        for (uint32_t b = 0; b < 5; ++b) p->wep.keys[k].material[b] = static_cast<uint8_t>(0x10 * (k + 1) + b);
    }
    return p;
}

// One row of the infrastructure table: the auth value for encryption 0, 1, 2 and 3, the CCX
// value and the identity call.
struct AuthRow {
    uint32_t authMode;
    std::array<uint32_t, 4> authValueByEncryption;
    uint32_t ccx;
    std::string identity;  // empty = none
};

class InfrastructureSecurityTable : public ::testing::TestWithParam<AuthRow> {};

TEST_P(InfrastructureSecurityTable, CallsAuthThenCcxThenIdentityThenWpaInformation) {
    const AuthRow& row = GetParam();
    for (int32_t e = 0; e <= 3; ++e) {
        SCOPED_TRACE("encryption " + std::to_string(e));
        RecordingDriver driver;
        AdapterHandle handle;
        handle.exclusive([&](ZARN9100_HANDLE* h) { return *h = driver.adapterHandle(), 0; });
        std::atomic<uint32_t> radio{1};
        ProfileList list;
        ConnectionSnapshotHolder snap;
        ProfileConnector connector(ConnectionContext{driver, handle, radio, list, snap, nullptr});

        EXPECT_EQ(connector.ApplySecurity(*SecurityProfile(1, row.authMode, e)), 1);
        std::vector<std::string> expected{
            "SetAuthMode(h, " + std::to_string(row.authValueByEncryption[e]) + ")",
            "SetFswCCXNetworkEap(h, " + std::to_string(row.ccx) + ")"};
        if (!row.identity.empty()) expected.push_back(row.identity);
        expected.push_back("SetWPAInformation(h, 1, " + std::to_string(row.authMode) + ", " + std::to_string(e) +
                           ", \"secret-pass\", \"SecNet\")");
        const auto got = driver.callTexts();
        ASSERT_GE(got.size(), expected.size());
        EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + static_cast<long>(expected.size())), expected);
        // Static WEP keys only for WEP with open, shared-key or auto-switch authentication.
        const bool keys = e == 1 && (row.authMode == 0 || row.authMode == 1 || row.authMode == 4);
        EXPECT_EQ(driver.count("SetWepKey"), keys ? 5u : 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryAuthMode, InfrastructureSecurityTable,
    ::testing::Values(AuthRow{0, {0, 0, 0, 0}, 0, ""}, AuthRow{1, {1, 1, 1, 1}, 0, ""},
                      AuthRow{2, {4, 4, 4, 4}, 0, ""}, AuthRow{4, {2, 2, 2, 2}, 0, ""},
                      AuthRow{9, {7, 7, 7, 7}, 0, ""}, AuthRow{3, {0, 0, 3, 6}, 0, kLeap},
                      AuthRow{14, {0, 0, 3, 6}, 0, kLeap}, AuthRow{5, {3, 0, 3, 3}, 0, kTls},
                      AuthRow{15, {3, 0, 3, 3}, 0, kTls}, AuthRow{6, {3, 0, 3, 3}, 0, kPeap},
                      AuthRow{16, {3, 0, 3, 3}, 0, kPeap}, AuthRow{7, {3, 0, 3, 3}, 0, kTtls},
                      AuthRow{17, {3, 0, 3, 3}, 0, kTtls}, AuthRow{10, {6, 0, 6, 6}, 0, kTls},
                      AuthRow{11, {6, 0, 6, 6}, 0, kPeap}, AuthRow{12, {6, 0, 6, 6}, 0, kTtls},
                      AuthRow{8, {0, 0, 0, 0}, 1, kLeap}, AuthRow{13, {0, 0, 0, 0}, 1, kPeap},
                      AuthRow{18, {0, 0, 0, 0}, 0, ""}, AuthRow{100, {0, 0, 0, 0}, 0, ""},
                      AuthRow{101, {0, 0, 0, 0}, 0, ""}, AuthRow{0xFFFFFFFFu, {0, 0, 0, 0}, 0, ""}),
    [](const auto& info) { return "AuthMode" + std::to_string(info.param.authMode); });

class AdHocSecurity : public ConnectorTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(AdHocSecurity, PassesTheStoredAuthModeUnchangedWithoutIdentity) {
    connector.ApplySecurity(*SecurityProfile(0, GetParam(), 2));
    const std::string a = std::to_string(GetParam());
    EXPECT_EQ(calls(), (std::vector<std::string>{"SetAuthMode(h, " + a + ")", "SetFswCCXNetworkEap(h, 0)",
                                                 "SetWPAInformation(h, 0, " + a + ", 2, \"secret-pass\", \"SecNet\")",
                                                 "SetWepStatus(h, 4)"}));
}

INSTANTIATE_TEST_SUITE_P(Codes, AdHocSecurity, ::testing::Values(0u, 2u, 3u, 8u, 9u, 13u, 17u, 100u));

// Everything after SetWPAInformation, by encryption code (infrastructure, open authentication).
struct EncryptionCase {
    const char* name;
    uint32_t authMode;
    int32_t encryption;
    uint32_t txKeyIndex;
    std::vector<std::string> tail;
};

const std::string kKey1 = "1011121314";
const std::string kKey2 = "2021222324";
const std::string kKey3 = "3031323334";
const std::string kKey4 = "4041424344";

class EncryptionCases : public ConnectorTest, public ::testing::WithParamInterface<EncryptionCase> {};

TEST_P(EncryptionCases, SetStatusAndKeys) {
    const auto& c = GetParam();
    auto p = SecurityProfile(1, c.authMode, c.encryption);
    p->wep.txKeyIndex = c.txKeyIndex;
    connector.ApplySecurity(*p);
    auto got = calls();
    const auto wpa = std::find_if(got.begin(), got.end(), [](const std::string& s) { return s.rfind("SetWPAInformation", 0) == 0; });
    ASSERT_NE(wpa, got.end());
    EXPECT_EQ(std::vector<std::string>(wpa + 1, got.end()), c.tail);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, EncryptionCases,
    ::testing::Values(
        EncryptionCase{"Off", 0, 0, 2, {"SetWepStatus(h, 1)"}},
        EncryptionCase{"Tkip", 2, 2, 2, {"SetWepStatus(h, 4)"}},
        EncryptionCase{"Aes", 9, 3, 2, {"SetWepStatus(h, 6)"}},
        EncryptionCase{"UnknownCodeMakesNoCall", 0, 4, 2, {}},
        EncryptionCase{"NegativeCodeMakesNoCall", 0, -1, 2, {}},
        EncryptionCase{"WepOpenTransmitKey2", 0, 1, 2,
                       {"SetWepStatus(h, 0)", "SetWepKey(h, 1, " + kKey1 + ", 5, 0)", "SetWepKey(h, 2, " + kKey2 + ", 5, 1)",
                        "SetWepKey(h, 3, " + kKey3 + ", 5, 0)", "SetWepKey(h, 4, " + kKey4 + ", 5, 0)",
                        "SetWepKey(h, 2, " + kKey2 + ", 5, 1)"}},
        EncryptionCase{"WepSharedTransmitKey4", 1, 1, 4,
                       {"SetWepStatus(h, 0)", "SetWepKey(h, 1, " + kKey1 + ", 5, 0)", "SetWepKey(h, 2, " + kKey2 + ", 5, 0)",
                        "SetWepKey(h, 3, " + kKey3 + ", 5, 0)", "SetWepKey(h, 4, " + kKey4 + ", 5, 1)",
                        "SetWepKey(h, 4, " + kKey4 + ", 5, 1)"}},
        EncryptionCase{"WepAutoSwitchTransmitKey1", 4, 1, 1,
                       {"SetWepStatus(h, 0)", "SetWepKey(h, 1, " + kKey1 + ", 5, 1)", "SetWepKey(h, 2, " + kKey2 + ", 5, 0)",
                        "SetWepKey(h, 3, " + kKey3 + ", 5, 0)", "SetWepKey(h, 4, " + kKey4 + ", 5, 0)",
                        "SetWepKey(h, 1, " + kKey1 + ", 5, 1)"}},
        EncryptionCase{"WepWithoutTransmitKeyMakesNoFifthCall", 0, 1, 0,
                       {"SetWepStatus(h, 0)", "SetWepKey(h, 1, " + kKey1 + ", 5, 0)", "SetWepKey(h, 2, " + kKey2 + ", 5, 0)",
                        "SetWepKey(h, 3, " + kKey3 + ", 5, 0)", "SetWepKey(h, 4, " + kKey4 + ", 5, 0)"}},
        EncryptionCase{"WepTransmitKeyOutOfRange", 0, 1, 5,
                       {"SetWepStatus(h, 0)", "SetWepKey(h, 1, " + kKey1 + ", 5, 0)", "SetWepKey(h, 2, " + kKey2 + ", 5, 0)",
                        "SetWepKey(h, 3, " + kKey3 + ", 5, 0)", "SetWepKey(h, 4, " + kKey4 + ", 5, 0)"}},
        EncryptionCase{"WepWithPeapSetsNoKeys", 6, 1, 2, {"SetWepStatus(h, 0)"}},
        EncryptionCase{"WepWithWpaPskSetsNoKeys", 2, 1, 2, {"SetWepStatus(h, 0)"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConnectorTest, WepKeyLengthIsBoundedByTheKeyMaterial) {
    auto p = SecurityProfile(1, 0, 1);
    p->wep.txKeyIndex = 0;
    p->wep.keys[0].length = 13;
    p->wep.keys[1].length = 0;
    p->wep.keys[2].length = 0xFFFFFFFFu;  // damaged record
    connector.ApplySecurity(*p);
    const auto got = calls();
    ASSERT_EQ(got.size(), 8u);
    EXPECT_EQ(got[4], "SetWepKey(h, 1, 10111213140000000000000000, 13, 0)");
    EXPECT_EQ(got[5], "SetWepKey(h, 2, , 0, 0)");
    EXPECT_EQ(got[6], "SetWepKey(h, 3, 3031323334" + std::string(54, '0') + ", 32, 0)");
}

TEST_F(ConnectorTest, UnterminatedTextFieldsReachTheLibraryTerminated) {
    auto p = SecurityProfile(1, 6, 2);
    std::memset(p->loginName, 'L', sizeof p->loginName);
    std::memset(p->passphrase, 'P', sizeof p->passphrase);
    connector.ApplySecurity(*p);
    const auto got = calls();
    EXPECT_EQ(got[2], "WPACreateIdentityPEAP(\"" + std::string(40, 'L') + "\", \"corp\", \"pw\")");
    EXPECT_EQ(got[3], "SetWPAInformation(h, 1, 6, 2, \"" + std::string(128, 'P') + "\", \"SecNet\")");
}

}  // namespace
}  // namespace tembrel::testing
