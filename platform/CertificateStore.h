#pragma once
// The user's personal certificates (the store "MY"): a folder of PEM and DER files.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tembrel {

struct Certificate {
    std::vector<uint8_t> der;  // the certificate as stored
    std::string issuerName;    // simple display name of the issuer
    std::string subjectName;   // simple display name of the subject
};

class CertificateStore {
public:
    virtual ~CertificateStore() = default;
    // The store's certificates in enumeration order.
    virtual std::vector<Certificate> certificates() const = 0;
};

// The store kept in `folder` (the "certificates" folder beside the settings file).
std::unique_ptr<CertificateStore> MakeFolderCertificateStore(std::filesystem::path folder);

}  // namespace tembrel
