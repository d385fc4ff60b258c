#pragma once
// Makes X.509 certificates with OpenSSL for the certificate store's tests and the gallery: an
// EC P-256 key per certificate, names and validity as asked, signed by that key.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tembrel::test {

// Name entries by their short OpenSSL names: {"CN", "Radius CA"}, {"O", "Orvix"},
// {"emailAddress", "ca@example.org"}. Values are UTF-8.
using NameEntries = std::vector<std::pair<std::string, std::string>>;

struct CertificateSpec {
    NameEntries issuer{{"CN", "Test Issuer"}};
    NameEntries subject{{"CN", "Test Subject"}};
    long version = 2;                      // as stored: 2 is a version-3 certificate
    std::vector<uint8_t> serial{0x01};     // big-endian magnitude
    std::string notBefore = "20070105000000Z";  // GeneralizedTime text, UTC
    std::string notAfter = "20080105235959Z";
    std::string subjectAltEmail;           // "" = no subjectAltName
};

// The certificate as PEM text and as DER bytes; empty when OpenSSL refused something.
std::string MakeCertificatePem(const CertificateSpec& spec);
std::vector<uint8_t> MakeCertificateDer(const CertificateSpec& spec);

}  // namespace tembrel::test
