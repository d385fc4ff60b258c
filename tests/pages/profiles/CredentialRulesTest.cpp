// The credential dialogs' rules as rows: which dialog and title a protocol gets, what OK
// requires and writes, and the byte limit of every credential text.
#include "pages/profiles/logic/CredentialRules.h"

#include <gtest/gtest.h>

namespace tembrel {
namespace {

using Kind = CredentialDialogKind;

TEST(CredentialRulesTest, EachProtocolOpensItsDialogWithItsTitle) {
    const struct {
        uint32_t protocol;
        Kind kind;
        const char* caption;
    } rows[] = {
        {3, Kind::Leap, "WPA LEAP Radius Configuration"},
        {8, Kind::Leap, "CCX LEAP Radius Configuration"},
        {14, Kind::Leap, "WPA LEAP Radius Configuration"},  // a WPA2 LEAP profile keeps "WPA "
        {5, Kind::EapTls, "WPA EAP/TLS Radius Configuration"},
        {10, Kind::EapTls, "WPA2 EAP/TLS Radius Configuration"},
        {15, Kind::EapTls, "WPA EAP/TLS Radius Configuration"},
        {6, Kind::Peap, "WPA PEAP Radius Configuration"},
        {11, Kind::Peap, "WPA2 PEAP Radius Configuration"},
        {13, Kind::Peap, "CCX PEAP Radius Configuration"},
        {16, Kind::Peap, "WPA PEAP Radius Configuration"},
        {7, Kind::Ttls, "WPA EAP/TTLS Radius Configuration"},
        {12, Kind::Ttls, "WPA2 EAP/TTLS Radius Configuration"},
        {17, Kind::Ttls, "WPA EAP/TTLS Radius Configuration"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CredentialDialogFor(row.protocol), row.kind) << row.protocol;
        EXPECT_EQ(CredentialDialogCaption(row.kind, row.protocol), row.caption) << row.protocol;
    }
    for (uint32_t other : {0u, 1u, 2u, 4u, 9u, 18u, 100u, 103u, 0xFFFFFFFFu})
        EXPECT_EQ(CredentialDialogFor(other), Kind::None) << other;
}

Credentials Values(uint32_t protocol, const char* login, const char* password, const char* certificate,
                   const char* anonymous) {
    Credentials values;
    values.protocol = protocol;
    values.loginName = login;
    values.password = password;
    values.certificateName = certificate;
    values.anonymousName = anonymous;
    return values;
}

TEST(CredentialRulesTest, OkRequiresEachDialogsValuesButNeverTheDomain) {
    const char* ok = nullptr;
    const struct {
        Kind kind;
        Credentials values;
        const char* message;
    } rows[] = {
        {Kind::Leap, Values(3, "user", "secret", "", ""), ok},
        {Kind::Leap, Values(3, "", "secret", "", ""), kWpaPasswordMessage},
        {Kind::Leap, Values(3, "user", "", "", ""), kWpaPasswordMessage},
        {Kind::Leap, Values(8, "user", "", "", ""), kCcxPasswordMessage},
        {Kind::Leap, Values(14, "", "", "", ""), kWpaPasswordMessage},
        {Kind::Peap, Values(6, "user", "secret", "", ""), ok},
        {Kind::Peap, Values(11, "", "secret", "", ""), kWpaPasswordMessage},
        {Kind::Peap, Values(13, "user", "", "", ""), kCcxPasswordMessage},
        {Kind::Peap, Values(16, "user", "", "", ""), kWpaPasswordMessage},
        {Kind::EapTls, Values(5, "user", "", "Radius CA", ""), ok},
        {Kind::EapTls, Values(10, "user", "secret", "", ""), kCertificateMessage},
        {Kind::EapTls, Values(15, "", "", "Radius CA", ""), kCertificateMessage},
        {Kind::Ttls, Values(7, "user", "secret", "", "Anonymous"), ok},
        {Kind::Ttls, Values(12, "user", "secret", "", ""), kTtlsMessage},
        {Kind::Ttls, Values(17, "", "secret", "", "anon"), kTtlsMessage},
        {Kind::Ttls, Values(17, "user", "", "", "anon"), kTtlsMessage},
    };
    for (const auto& row : rows) {
        const auto message = MissingCredentialMessage(row.kind, row.values);
        if (row.message)
            EXPECT_EQ(message, std::string(row.message)) << row.values.protocol << " " << row.values.loginName;
        else
            EXPECT_FALSE(message.has_value()) << row.values.protocol;
    }
}

TEST(CredentialRulesTest, OkWritesOnlyTheDialogsOwnValues) {
    Credentials edited = Values(0, "new login", "new password", "New CA", "new anonymous");
    edited.domain = "new domain";
    edited.certificateHash.fill(0xAB);
    Credentials before = Values(0, "old login", "old password", "Old CA", "old anonymous");
    before.domain = "old domain";
    before.certificateHash.fill(0x11);

    const struct {
        Kind kind;
        bool password, domain, certificate, anonymous;
    } rows[] = {
        {Kind::Leap, true, true, false, false},
        {Kind::Peap, true, true, false, false},
        {Kind::EapTls, false, false, true, false},
        {Kind::Ttls, true, true, false, true},
    };
    for (const auto& row : rows) {
        Credentials owner = before;
        StoreCredentials(row.kind, edited, owner);
        EXPECT_EQ(owner.loginName, "new login");
        EXPECT_EQ(owner.password, row.password ? edited.password : before.password);
        EXPECT_EQ(owner.domain, row.domain ? edited.domain : before.domain);
        EXPECT_EQ(owner.certificateName, row.certificate ? edited.certificateName : before.certificateName);
        EXPECT_EQ(owner.certificateHash, row.certificate ? edited.certificateHash : before.certificateHash);
        EXPECT_EQ(owner.anonymousName, row.anonymous ? edited.anonymousName : before.anonymousName);
    }
}

TEST(CredentialRulesTest, TtlsShowsAnonymousForAnEmptyAnonymousNameOnly) {
    EXPECT_EQ(CredentialsOnOpen(Kind::Ttls, Values(7, "", "", "", "")).anonymousName, "Anonymous");
    EXPECT_EQ(CredentialsOnOpen(Kind::Ttls, Values(7, "", "", "", "guest")).anonymousName, "guest");
    for (Kind other : {Kind::Leap, Kind::Peap, Kind::EapTls})
        EXPECT_EQ(CredentialsOnOpen(other, Values(7, "", "", "", "")).anonymousName, "");
}

TEST(CredentialRulesTest, TextsAreLimitedTo39BytesOnACharacterBoundary) {
    const std::string ascii39(39, 'a');
    std::string umlauts;  // 20 x U+00FC: 40 bytes
    for (int i = 0; i < 20; ++i) umlauts += "\xC3\xBC";
    const std::string euro13 = [] {  // 13 x U+20AC: 39 bytes
        std::string text;
        for (int i = 0; i < 13; ++i) text += "\xE2\x82\xAC";
        return text;
    }();
    const struct {
        std::string text;
        std::string cut;
        bool fits;
    } rows[] = {
        {"", "", true},
        {ascii39, ascii39, true},
        {ascii39 + "b", ascii39, false},
        {umlauts, umlauts.substr(0, 38), false},  // 19 characters, not 39 and half of one
        {umlauts.substr(0, 38), umlauts.substr(0, 38), true},
        {euro13, euro13, true},
        {euro13 + "x", euro13, false},
        {"x" + euro13, "x" + euro13.substr(0, 36), false},
        {std::string("nul\0tail", 8), "nul", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CutCredential(row.text), row.cut) << row.text;
        EXPECT_EQ(FitsCredential(row.text), row.fits) << row.text;
        EXPECT_LE(CutCredential(row.text).size(), kCredentialMaxBytes);
    }
    // Values from a record that were longer than the field allows are shown cut.
    const Credentials shown = CredentialsOnOpen(Kind::Leap, Values(3, (ascii39 + "zz").c_str(), "", "", ""));
    EXPECT_EQ(shown.loginName, ascii39);
}

}  // namespace
}  // namespace tembrel
