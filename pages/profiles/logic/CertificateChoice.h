#pragma once
// What the certificate list and viewer show of a personal certificate, and how the EAP/TLS
// dialog finds the certificate it names again.

#include "platform/CertificateStore.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembrel {

// "Jan 5, 2008": three-letter month, day, year, of the UTC time. "" for a month out of range.
std::string FormatCertificateDate(const CertificateTime& time);
// "V2" for a version-3 certificate: the version field as stored.
std::string FormatCertificateVersion(long version);
// Each byte as "%02X " in the order given (the serial number least significant byte first).
std::string FormatCertificateBytes(const std::vector<uint8_t>& bytes);
// An object identifier's text with every "szOID_" removed.
std::string FormatObjectIdentifier(std::string_view oid);

// One row of the certificate list: "Issuer", "Subject", "Valid Before", and the hash it keeps.
struct CertificateListRow {
    std::string issuer;
    std::string subject;
    std::string validBefore;
    CertificateHash hash{};
};
CertificateListRow ListRowOf(const Certificate& certificate);

// The nine label / value rows of the certificate viewer.
struct CertificateField {
    std::string label;
    std::string value;
};
std::vector<CertificateField> ViewRowsOf(const Certificate& certificate);

// The certificate name a profile keeps for a chosen certificate: its issuer's simple display
// name cut to the 39 bytes of the profile field.
std::string CertificateNameOf(std::string_view issuerName);

// The first certificate whose hash is `hash` and whose issuer, cut as CertificateNameOf cuts it,
// equals `name` cut the same way; nothing for an empty name or when none matches (the name a
// profile keeps is stale once the certificate with its hash has another issuer).
std::optional<Certificate> FindCertificate(const std::vector<Certificate>& certificates, std::string_view name,
                                           const CertificateHash& hash);

}  // namespace tembrel
