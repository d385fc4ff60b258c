#pragma once
// The user's personal certificates (the store "MY"): a folder of PEM and DER files.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tembrel {

using CertificateHash = std::array<uint8_t, 20>;  // SHA-1 of the certificate's DER encoding

struct CertificateTime {  // UTC, as stored; never converted to local time
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

struct Certificate {
    std::vector<uint8_t> der;   // the certificate as stored
    CertificateHash sha1{};     // the thumbprint
    std::string issuerName;     // simple display name of the issuer (UTF-8, at most kMaxDisplayNameBytes)
    std::string subjectName;    // simple display name of the subject
    long version = 0;           // the version field as stored: 0 for a version-1 certificate, 2 for version 3
    std::vector<uint8_t> serialNumber;  // content bytes of the DER integer, least significant byte first
    std::string signatureAlgorithm;     // object identifier, dotted ("1.2.840.113549.1.1.11")
    std::string publicKeyAlgorithm;     // object identifier, dotted ("1.2.840.10045.2.1")
    std::vector<uint8_t> publicKey;     // the subjectPublicKey bit string's bytes
    CertificateTime notBefore;
    CertificateTime notAfter;
};

class CertificateStore {
public:
    virtual ~CertificateStore() = default;
    // The store's certificates in enumeration order, read afresh on each call.
    virtual std::vector<Certificate> certificates() const = 0;
    // Files of the store that certificates() leaves out because of its limits, counted afresh.
    virtual std::size_t filesLeftOut() const { return 0; }
};

// Limits of the folder store: larger files, and files or certificates beyond the counts, are
// left out, so that a stray large file cannot stall the window that lists the certificates.
inline constexpr std::uintmax_t kMaxCertificateFileBytes = 1024 * 1024;
inline constexpr std::size_t kMaxCertificateFiles = 256;
inline constexpr std::size_t kMaxCertificates = 512;
// Longest simple display name kept (bytes, cut on a character boundary).
inline constexpr std::size_t kMaxDisplayNameBytes = 399;

// The certificates in one file's bytes: every certificate of a PEM file (other PEM blocks, such
// as keys, are passed over; a damaged certificate ends the file), or the one certificate of a
// DER file. At most `limit` certificates; nothing for bytes that hold no certificate.
std::vector<Certificate> ParseCertificateFile(std::string_view bytes, std::size_t limit = kMaxCertificates);

// The store kept in `folder` (the "certificates" folder in the data folder): the files directly
// in it, in file-name order (byte order); unreadable, oversized and unparsable files are skipped.
// Of more than kMaxCertificateFiles files, the first ones by name are read (filesLeftOut counts
// the others).
std::unique_ptr<CertificateStore> MakeFolderCertificateStore(std::filesystem::path folder);

}  // namespace tembrel
