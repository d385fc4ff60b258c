// What the certificate list and viewer show, and how a profile's certificate name and hash find
// their certificate again.
#include "pages/profiles/logic/CertificateChoice.h"

#include <gtest/gtest.h>

namespace tembrel {
namespace {

CertificateHash HashOf(uint8_t fill) {
    CertificateHash hash{};
    hash.fill(fill);
    return hash;
}

Certificate Issued(std::string issuer, uint8_t hashFill, std::string subject = "alice") {
    Certificate certificate;
    certificate.issuerName = std::move(issuer);
    certificate.subjectName = std::move(subject);
    certificate.sha1 = HashOf(hashFill);
    return certificate;
}

TEST(CertificateChoiceTest, Formats) {
    const struct {
        CertificateTime time;
        const char* text;
    } dates[] = {
        {{2008, 1, 5, 23, 59, 59}, "Jan 5, 2008"},
        {{1999, 12, 31, 0, 0, 0}, "Dec 31, 1999"},
        {{2051, 3, 1, 12, 0, 0}, "Mar 1, 2051"},
        {{2008, 0, 5, 0, 0, 0}, ""},
        {{2008, 13, 5, 0, 0, 0}, ""},
    };
    for (const auto& row : dates) EXPECT_EQ(FormatCertificateDate(row.time), row.text);

    EXPECT_EQ(FormatCertificateVersion(0), "V0");
    EXPECT_EQ(FormatCertificateVersion(2), "V2");
    EXPECT_EQ(FormatCertificateBytes({0x34, 0x12, 0x00}), "34 12 00 ");
    EXPECT_EQ(FormatCertificateBytes({}), "");
    EXPECT_EQ(FormatObjectIdentifier("szOID_RSA_SHA1RSA"), "RSA_SHA1RSA");
    EXPECT_EQ(FormatObjectIdentifier("1.2.840.113549.1.1.11"), "1.2.840.113549.1.1.11");
    EXPECT_EQ(FormatObjectIdentifier("szOID_szOID_X"), "X");
}

TEST(CertificateChoiceTest, ListRowAndViewerRows) {
    Certificate certificate = Issued("Radius CA", 0x5A);
    certificate.version = 2;
    certificate.serialNumber = {0x34, 0x12};
    certificate.signatureAlgorithm = "1.2.840.10045.4.3.2";
    certificate.publicKeyAlgorithm = "1.2.840.10045.2.1";
    certificate.publicKey = {0x04, 0xAB};
    certificate.notBefore = {2007, 1, 5, 0, 0, 0};
    certificate.notAfter = {2008, 1, 5, 23, 59, 59};

    const CertificateListRow row = ListRowOf(certificate);
    EXPECT_EQ(row.issuer, "Radius CA");
    EXPECT_EQ(row.subject, "alice");
    EXPECT_EQ(row.validBefore, "Jan 5, 2008");
    EXPECT_EQ(row.hash, HashOf(0x5A));

    const std::vector<CertificateField> expected = {
        {"Version", "V2"},
        {"Serial Number", "34 12 "},
        {"Signature Algorithm", "1.2.840.10045.4.3.2"},
        {"Issuer", "Radius CA"},
        {"Not Before", "Jan 5, 2007"},
        {"Not After", "Jan 5, 2008"},
        {"Subject", "alice"},
        {"Subject Public Key", "04 AB "},
        {"PublicKey Algorithm", "1.2.840.10045.2.1"},
    };
    const auto rows = ViewRowsOf(certificate);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].label, expected[i].label);
        EXPECT_EQ(rows[i].value, expected[i].value) << expected[i].label;
    }

    certificate.publicKey.assign(5000, 0x01);
    const std::string key = ViewRowsOf(certificate)[7].value;
    EXPECT_EQ(key.size(), 4096u * 3 + 3);
    EXPECT_EQ(key.substr(key.size() - 3), "...");
}

TEST(CertificateChoiceTest, TheIssuerIsCutTo39BytesAndFoundAgainByTheCutName) {
    const std::string longIssuer = "Orvix Wireless Certification Authority for Radius Clients";  // 58 bytes
    std::string umlautIssuer;
    for (int i = 0; i < 25; ++i) umlautIssuer += "\xC3\xBC";
    EXPECT_EQ(CertificateNameOf(longIssuer), longIssuer.substr(0, 39));
    EXPECT_EQ(CertificateNameOf(umlautIssuer), umlautIssuer.substr(0, 38));
    EXPECT_EQ(CertificateNameOf("Radius CA"), "Radius CA");

    const std::vector<Certificate> store = {
        Issued("Radius CA", 0x01, "first"),
        Issued(longIssuer, 0x02),
        Issued(umlautIssuer, 0x03),
        Issued("Radius CA", 0x01, "second with the same hash"),
        Issued("Renamed CA", 0x04),
    };
    const struct {
        const char* what;
        std::string name;
        uint8_t hash;
        const char* subject;  // nullptr: nothing found
    } rows[] = {
        {"exact", "Radius CA", 0x01, "first"},
        {"the first of equal ones", "Radius CA", 0x01, "first"},
        {"name as the profile keeps it", longIssuer.substr(0, 39), 0x02, "alice"},
        {"name as the list shows it", longIssuer, 0x02, "alice"},
        {"non-ASCII name as kept", umlautIssuer.substr(0, 38), 0x03, "alice"},
        {"stale name", "Radius CA", 0x04, nullptr},
        {"unknown hash", "Radius CA", 0x09, nullptr},
        {"empty name", "", 0x01, nullptr},
        {"name cut elsewhere", longIssuer.substr(0, 30), 0x02, nullptr},
        {"case matters", "radius ca", 0x01, nullptr},
    };
    for (const auto& row : rows) {
        const auto found = FindCertificate(store, row.name, HashOf(row.hash));
        if (row.subject) {
            ASSERT_TRUE(found.has_value()) << row.what;
            EXPECT_EQ(found->subjectName, row.subject) << row.what;
        } else {
            EXPECT_FALSE(found.has_value()) << row.what;
        }
    }
}

}  // namespace
}  // namespace tembrel
