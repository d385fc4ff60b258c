// The profile pages' values and rules without windows: security lists, what survives a store,
// and the wizard's checks in order.
#include "pages/profiles/logic/ProfileEditor.h"

#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tembrel {
namespace {

std::vector<int64_t> Values(const std::vector<Choice>& choices) {
    std::vector<int64_t> out;
    for (const Choice& c : choices) out.push_back(c.value);
    return out;
}

PROFILE_RECORD Record(uint32_t authMode, int32_t encryption, uint32_t networkType = 1) {
    PROFILE_RECORD r = MakeDefaultProfile();
    SetProfileName(r, "Test");
    r.authMode = authMode;
    r.encryption = encryption;
    r.networkType = networkType;
    return r;
}

struct SplitRow {
    uint32_t authMode;
    AuthenticationSplit split;
};

TEST(SecurityRules, AuthModesSplitIntoGroupAndProtocol) {
    const SplitRow rows[] = {
        {0, {0, 0}},     {1, {1, 0}},     {2, {2, 0}},     {4, {4, 0}},     {9, {9, 0}},
        {3, {100, 3}},   {5, {100, 5}},   {6, {100, 6}},   {7, {100, 7}},   {10, {101, 10}},
        {11, {101, 11}}, {12, {101, 12}}, {14, {101, 14}}, {8, {102, 8}},   {13, {102, 13}},
        {15, {103, 15}}, {16, {103, 16}}, {17, {103, 17}}, {100, {100, 0}}, {101, {101, 0}},
    };
    for (const SplitRow& row : rows) EXPECT_EQ(SplitAuthMode(row.authMode), row.split) << row.authMode;
}

struct EncryptionRow {
    uint32_t authentication, protocol;
    std::vector<int64_t> offered;
    int32_t fallback;
};

TEST(SecurityRules, EncryptionListPerAuthentication) {
    const EncryptionRow rows[] = {
        {0, 0, {0, 1}, 0},   {4, 0, {0, 1}, 0},     {102, 8, {0, 1}, 1},  {1, 0, {1}, 1},   {103, 15, {1}, 1},
        {2, 0, {2, 3}, 2},   {9, 0, {2, 3}, 2},     {100, 5, {2, 3}, 2},  {100, 3, {2}, 2}, {101, 14, {3}, 3},
        {101, 10, {2, 3}, 2},
    };
    for (const EncryptionRow& row : rows) {
        EXPECT_EQ(Values(EncryptionChoices(row.authentication, row.protocol)), row.offered) << row.authentication;
        EXPECT_EQ(DefaultEncryption(row.authentication, row.protocol), row.fallback) << row.authentication;
    }
    EXPECT_EQ(Values(AuthenticationChoices(true)), (std::vector<int64_t>{0, 1, 4}));
    EXPECT_EQ(Values(AuthenticationChoices(false)), (std::vector<int64_t>{0, 1, 4, 103, 2, 9, 100, 101, 102}));
    EXPECT_EQ(Values(ProtocolChoices(101)), (std::vector<int64_t>{10, 11, 14}));
}

struct CredentialRow {
    uint32_t protocol;
    Credentials values;
    const char* message;  // "" = passes
};

TEST(SecurityRules, CredentialsRequiredPerProtocol) {
    const Credentials none;
    Credentials login;
    login.loginName = "alice";
    Credentials password = login;
    password.password = "wonderland";
    Credentials certificate = login;
    certificate.certificateName = "Orvix CA";
    Credentials ttls = password;
    ttls.anonymousName = "Anonymous";
    const CredentialRow rows[] = {
        {5, login, "Illegal login name or certificate for WPA authentication!"},
        {10, certificate, ""},
        {15, password, "Illegal login name or certificate for WPA authentication!"},
        {6, login, "Illegal login name or password for WPA authentication!"},
        {14, password, ""},
        {3, none, "Illegal login name or password for WPA authentication!"},
        {8, login, "Illegal login name or password for CCX authentication!"},
        {13, password, ""},
        {7, password, "Illegal anonymous name, login name, or password for WPA authentication!"},
        {17, ttls, ""},
    };
    for (const CredentialRow& row : rows)
        EXPECT_EQ(CheckCredentials(row.protocol, row.values).value_or(""), row.message) << row.protocol;
}

TEST(SecurityPageModel, LeapOffersOnlyTheCipherItCanUse) {
    SecurityPageModel model;
    model.chooseAuthentication(kGroupWpa);
    EXPECT_EQ(model.protocol(), 5u);
    model.chooseProtocol(3);
    EXPECT_EQ(Values(model.encryptionChoices()), (std::vector<int64_t>{2}));
    model.chooseAuthentication(kGroupWpa2);
    model.chooseProtocol(14);
    EXPECT_EQ(Values(model.encryptionChoices()), (std::vector<int64_t>{3}));
    EXPECT_EQ(model.encryption(), 3);
}

TEST(SecurityPageModel, ProtocolIsSettledBeforeTheEncryptionList) {
    // A WPA EAP/TLS AES profile shown after a LEAP one keeps AES.
    SecurityPageModel model;
    model.load(Record(3, 2));
    EXPECT_EQ(Values(model.encryptionChoices()), (std::vector<int64_t>{2}));
    model.load(Record(5, 3));
    EXPECT_EQ(Values(model.encryptionChoices()), (std::vector<int64_t>{2, 3}));
    PROFILE_RECORD out = MakeEmptyProfile();
    model.store(out);
    EXPECT_EQ(out.authMode, 5u);
    EXPECT_EQ(out.encryption, 3);
}

TEST(SecurityPageModel, ProtocolsTheListLacksAreKeptUnlessChanged) {
    SecurityPageModel model;
    model.load(Record(7, 2));  // WPA with tunnelled TLS: not offered by the list
    EXPECT_EQ(model.authentication(), kGroupWpa);
    EXPECT_FALSE(Offers(model.protocolChoices(), 7));
    PROFILE_RECORD out = MakeEmptyProfile();
    model.store(out);
    EXPECT_EQ(out.authMode, 7u);
    model.chooseProtocol(6);
    model.store(out);
    EXPECT_EQ(out.authMode, 6u);
    // A group without protocol (from the site survey) takes the list's first entry.
    model.load(Record(kGroupWpa2, 3));
    EXPECT_EQ(model.protocol(), 10u);
    EXPECT_EQ(model.authMode(), 10u);
}

TEST(SecurityPageModel, ChangingToAGroupEmptiesPassphraseAndCredentials) {
    PROFILE_RECORD r = Record(kAuthWpaPsk, 2);
    WritePassphrase(r, "orvix-passphrase");
    SetText(r.loginName, "alice");
    r.certificateHash[0] = 7;
    SecurityPageModel model;
    model.load(r);
    EXPECT_EQ(model.passphrase(), "orvix-passphrase");
    model.chooseAuthentication(kGroupWpa);
    EXPECT_EQ(model.passphrase(), "");
    EXPECT_EQ(model.credentials().loginName, "");
    EXPECT_EQ(model.credentials().certificateHash[0], 0);
    EXPECT_EQ(model.credentials().protocol, 5u);
}

TEST(SecurityPageModel, UnterminatedTextFieldsAreReadWithinTheirFields) {
    PROFILE_RECORD r = Record(kGroupWpa, 2);
    r.authMode = 6;
    std::memset(r.loginName, 'l', sizeof r.loginName);  // no terminator: runs into the password
    std::memset(r.password, 'p', sizeof r.password);
    SecurityPageModel model;
    model.load(r);
    EXPECT_EQ(model.credentials().loginName, std::string(40, 'l'));
    EXPECT_EQ(model.credentials().password, std::string(40, 'p'));
    PROFILE_RECORD out = MakeEmptyProfile();
    model.store(out);
    EXPECT_EQ(std::string(GetText(out.loginName)), std::string(39, 'l'));
    EXPECT_EQ(out.loginName[39], '\0');
    EXPECT_EQ(std::string(GetText(out.password)), std::string(39, 'p'));
}

TEST(SecurityPageModel, SwitchingToAdHocFallsBackToOpenSystem) {
    SecurityPageModel model;
    model.load(Record(kAuthWpaPsk, 2));
    model.setAdHoc(true, true);
    EXPECT_EQ(model.authentication(), kAuthOpenSystem);
    EXPECT_EQ(model.encryption(), kCipherNone);
    model.load(Record(kAuthSharedKey, 1));
    model.setAdHoc(true, true);
    EXPECT_EQ(model.authentication(), kAuthSharedKey);
}

TEST(SecurityPageModel, Checks) {
    SecurityPageModel model;
    model.chooseAuthentication(kAuthSharedKey);
    EXPECT_EQ(model.check(), kSelectTxKeyMessage);
    model.wepKeys().keys[0].length = 5;
    model.selectTransmitKey(1);
    EXPECT_FALSE(model.check().has_value());

    model.chooseAuthentication(kAuthWpa2Psk);
    model.setPassphrase("1234567");
    model.setConfirmation("1234567");
    EXPECT_EQ(model.check(), kPassphraseLengthMessage);
    EXPECT_EQ(model.passphrase(), "") << "a refused passphrase empties both fields";
    model.setPassphrase("12345678");
    model.setConfirmation("12345679");
    EXPECT_EQ(model.check(), kPassphraseMismatchMessage);
    model.setPassphrase("12345678");
    model.setConfirmation("12345678");
    EXPECT_FALSE(model.check().has_value());

    model.chooseAuthentication(kGroupWpa2);  // EAP/TLS without certificate
    model.credentials().loginName = "alice";
    EXPECT_EQ(model.check(), "Illegal login name or certificate for WPA authentication!");
}

TEST(NetworkPageModel, ValuesTheListsCannotShowSurviveAStore) {
    PROFILE_RECORD r = Record(0, 0);
    r.wirelessMode = 0;        // 802.11g, set by the site survey
    r.adHocWirelessMode = 2;   // 802.11a
    r.adHocChannel = 36;
    NetworkPageModel model;
    model.load(r);
    EXPECT_FALSE(Offers(NetworkPageModel::WirelessModeChoices(), model.wirelessMode()));
    PROFILE_RECORD out = MakeEmptyProfile();
    model.store(out);
    EXPECT_EQ(out.wirelessMode, 0u);
    EXPECT_EQ(out.adHocWirelessMode, 2);
    EXPECT_EQ(out.adHocChannel, 36);
    model.chooseNetworkType(0);
    EXPECT_EQ(model.adHocBand(), 0) << "Ad-Hoc starts on 802.11g";
    EXPECT_EQ(model.channel(), 0) << "and Auto Select";
    model.chooseNetworkType(1);
    EXPECT_EQ(model.wirelessMode(), 255u);
}

TEST(NetworkPageModel, NamesAreCheckedAgainstTheOtherRecords) {
    ProfileSequence list{NewDefaultProfile(), NewProfileCopy(Record(0, 0))};  // "<Default>", "Test"
    NetworkPageModel model;
    EXPECT_EQ(model.checkName(list, nullptr), kIllegalNameMessage);
    model.setName("Test");
    EXPECT_EQ(model.checkName(list, nullptr), kNameExistsMessage);
    EXPECT_FALSE(model.checkName(list, list[1].get()).has_value()) << "a record is not compared with itself";
    model.setName("test");
    EXPECT_FALSE(model.checkName(list, nullptr).has_value()) << "case-sensitive";
    model.setName(std::string(45, 'n'));
    EXPECT_EQ(model.name().size(), 39u);
}

TEST(ProtocolPageModel, ChecksAndStores) {
    ProtocolPageModel model;
    EXPECT_TRUE(model.keep());
    model.setFragText("garbage");
    EXPECT_FALSE(model.check().has_value()) << "kept settings are not checked";
    model.setKeep(false);
    EXPECT_EQ(model.check(), kNotAnIntegerMessage) << "a non-integer threshold fails";
    model.setFragText("255");
    EXPECT_EQ(model.check(), "The minimum value of fragmentation threshold is 256");
    model.setFragText("3000");
    model.setRtsText("3000");
    EXPECT_EQ(model.check(), "The maximum value of RTS/CTS threshold is 2347");
    model.setFragText("1000");
    model.setRtsText("500");
    model.chooseTxRate(108);
    ASSERT_FALSE(model.check().has_value());
    PROFILE_RECORD out = MakeEmptyProfile();
    model.store(out, false);
    EXPECT_EQ(out.keepAdapterSettings, 0u);
    EXPECT_EQ(out.fragThreshold, 1000u);
    EXPECT_EQ(out.rtsThreshold, 500u);
    EXPECT_EQ(out.txRate, 108u);
    EXPECT_EQ(out.preamble, 1u);

    model.setBand(1, true);
    EXPECT_EQ(model.txRate(), 255u) << "54 Mbps is not an 802.11b rate";
    model.chooseTxRate(11);
    model.setBand(255, true);
    model.setBand(1, true);
    EXPECT_EQ(model.txRate(), 11u);
    model.setAdHoc(true);
    model.choosePowerSave(1);
    EXPECT_EQ(model.powerSave(), 0u) << "ad hoc forces continuous access";

    model.setKeep(true);
    PROFILE_RECORD created = MakeEmptyProfile();
    model.store(created, true);
    EXPECT_EQ(created.fragThreshold, 2346u);
    EXPECT_EQ(created.rtsThreshold, 2347u);

    // A profile created with the box set holds zeros the lists do not offer; clearing the box
    // in the pane must not store them.
    created.preamble = 0;
    created.txRate = 0;
    created.powerSaveMode = 7;
    ProtocolPageModel pane;
    pane.load(created);
    pane.setKeep(false);
    pane.setRtsText("1000");
    PROFILE_RECORD stored = created;
    pane.store(stored, false);
    EXPECT_EQ(stored.preamble, 1u);
    EXPECT_EQ(stored.txRate, 255u);
    EXPECT_EQ(stored.powerSaveMode, 0u);
}

TEST(ProfileEditor, ChecksRunInPageOrderAndConfigureModeHasOnlySecurity) {
    ProfileEditor create(WizardMode::Create);
    create.security().chooseAuthentication(kAuthWpaPsk);
    create.protocol().setKeep(false);
    create.protocol().setFragText("x");
    const ProfileSequence none;
    auto problem = create.validate(none, nullptr);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->page, WizardPage::Network);
    create.network().setName("Home");
    problem = create.validate(none, nullptr);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->page, WizardPage::Security);

    ProfileEditor configure(WizardMode::Configure);
    EXPECT_FALSE(configure.has(WizardPage::Network));
    PROFILE_RECORD r = Record(kAuthWpa2Psk, 3);
    SetProfileName(r, "Keep me");
    r.fragThreshold = 999;
    configure.load(r);
    configure.security().setPassphrase("correct horse battery");
    configure.security().setConfirmation("correct horse battery");
    ASSERT_FALSE(configure.validate(none, nullptr));
    configure.store(r);
    EXPECT_EQ(ProfileName(r), "Keep me");
    EXPECT_EQ(r.fragThreshold, 999u);
    EXPECT_EQ(ReadPassphrase(r), "correct horse battery");
}

TEST(ProfileEditor, SummaryLines) {
    ProfileEditor editor(WizardMode::Create);
    editor.network().setName("Home");
    editor.network().setSsid("Home-WPA2");
    editor.security().chooseAuthentication(kGroupWpa2);
    editor.security().chooseProtocol(11);
    EXPECT_EQ(editor.summary(),
              "Profile Name = Home\r\nNetwork SSID = Home-WPA2\r\nNetwork Type = Infrastructure\r\n"
              "Channel = Auto Select\r\nSecurity = TKIP\r\nAuthentication = WPA2\r\nPower Mode = Continuous Access\r\n"
              "Radio Preamble = Auto\r\nTransmit Data Rate = Auto\r\nFragmentation Threshold = 2346\r\n"
              "RTS Threshold = 2347\r\n");
}

}  // namespace
}  // namespace tembrel
