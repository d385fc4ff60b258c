#include "pages/profiles/logic/CertificateChoice.h"

#include "pages/profiles/logic/CredentialRules.h"

#include <array>
#include <cstdio>

namespace tembrel {

namespace {

// A key larger than this is shown cut: no real key comes near it.
constexpr std::size_t kMaxShownKeyBytes = 4096;

}  // namespace

std::string FormatCertificateDate(const CertificateTime& time) {
    static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (time.month < 1 || time.month > 12) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%s %d, %d", kMonths[static_cast<std::size_t>(time.month - 1)], time.day,
                  time.year);
    return text;
}

std::string FormatCertificateVersion(long version) {
    char text[32];
    std::snprintf(text, sizeof text, "V%ld", version);
    return text;
}

std::string FormatCertificateBytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (uint8_t byte : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X ", byte);
        text += hex;
    }
    return text;
}

std::string FormatObjectIdentifier(std::string_view oid) {
    static constexpr std::string_view kPrefix = "szOID_";
    std::string text(oid);
    for (std::size_t at = text.find(kPrefix); at != std::string::npos; at = text.find(kPrefix, at))
        text.erase(at, kPrefix.size());
    return text;
}

CertificateListRow ListRowOf(const Certificate& certificate) {
    return {certificate.issuerName, certificate.subjectName, FormatCertificateDate(certificate.notAfter),
            certificate.sha1};
}

std::vector<CertificateField> ViewRowsOf(const Certificate& certificate) {
    std::string key;
    if (certificate.publicKey.size() > kMaxShownKeyBytes) {
        key = FormatCertificateBytes(std::vector<uint8_t>(certificate.publicKey.begin(),
                                                          certificate.publicKey.begin() + kMaxShownKeyBytes)) +
              "...";
    } else {
        key = FormatCertificateBytes(certificate.publicKey);
    }
    return {
        {"Version", FormatCertificateVersion(certificate.version)},
        {"Serial Number", FormatCertificateBytes(certificate.serialNumber)},
        {"Signature Algorithm", FormatObjectIdentifier(certificate.signatureAlgorithm)},
        {"Issuer", certificate.issuerName},
        {"Not Before", FormatCertificateDate(certificate.notBefore)},
        {"Not After", FormatCertificateDate(certificate.notAfter)},
        {"Subject", certificate.subjectName},
        {"Subject Public Key", key},
        {"PublicKey Algorithm", certificate.publicKeyAlgorithm},
    };
}

std::string CertificateNameOf(std::string_view issuerName) { return CutCredential(issuerName); }

std::optional<Certificate> FindCertificate(const std::vector<Certificate>& certificates, std::string_view name,
                                           const CertificateHash& hash) {
    if (name.empty()) return std::nullopt;
    const std::string wanted = CertificateNameOf(name);
    for (const Certificate& certificate : certificates)
        if (certificate.sha1 == hash && CertificateNameOf(certificate.issuerName) == wanted) return certificate;
    return std::nullopt;
}

}  // namespace tembrel
