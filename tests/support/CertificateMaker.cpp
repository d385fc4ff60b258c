#include "tests/support/CertificateMaker.h"

#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace tembrel::test {

namespace {

struct Free {
    void operator()(X509* p) const { X509_free(p); }
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
    void operator()(BIGNUM* p) const { BN_free(p); }
    void operator()(ASN1_INTEGER* p) const { ASN1_INTEGER_free(p); }
    void operator()(X509_EXTENSION* p) const { X509_EXTENSION_free(p); }
    void operator()(BIO* p) const { BIO_free(p); }
};
template <typename T>
using Owned = std::unique_ptr<T, Free>;

bool SetName(X509_NAME* name, const NameEntries& entries) {
    for (const auto& [field, value] : entries) {
        // A plain UTF8String: OpenSSL would refuse names longer than the standard's upper bounds,
        // and the tests need such names.
        if (X509_NAME_add_entry_by_txt(name, field.c_str(), V_ASN1_UTF8STRING,
                                       reinterpret_cast<const unsigned char*>(value.data()),
                                       static_cast<int>(value.size()), -1, 0) != 1)
            return false;
    }
    return true;
}

Owned<X509> Make(const CertificateSpec& spec) {
    Owned<EVP_PKEY> key(EVP_EC_gen("P-256"));
    Owned<X509> x509(X509_new());
    if (!key || !x509) return nullptr;
    Owned<BIGNUM> number(BN_bin2bn(spec.serial.data(), static_cast<int>(spec.serial.size()), nullptr));
    Owned<ASN1_INTEGER> serial(number ? BN_to_ASN1_INTEGER(number.get(), nullptr) : nullptr);
    if (!serial || X509_set_version(x509.get(), spec.version) != 1 ||
        X509_set_serialNumber(x509.get(), serial.get()) != 1 ||
        ASN1_TIME_set_string_X509(X509_getm_notBefore(x509.get()), spec.notBefore.c_str()) != 1 ||
        ASN1_TIME_set_string_X509(X509_getm_notAfter(x509.get()), spec.notAfter.c_str()) != 1 ||
        !SetName(X509_get_issuer_name(x509.get()), spec.issuer) ||
        !SetName(X509_get_subject_name(x509.get()), spec.subject) || X509_set_pubkey(x509.get(), key.get()) != 1)
        return nullptr;
    if (!spec.subjectAltEmail.empty()) {
        const std::string value = "email:" + spec.subjectAltEmail;
        Owned<X509_EXTENSION> extension(X509V3_EXT_conf_nid(nullptr, nullptr, NID_subject_alt_name, value.c_str()));
        if (!extension || X509_add_ext(x509.get(), extension.get(), -1) != 1) return nullptr;
    }
    if (X509_sign(x509.get(), key.get(), EVP_sha256()) <= 0) return nullptr;
    return x509;
}

}  // namespace

std::string MakeCertificatePem(const CertificateSpec& spec) {
    const Owned<X509> x509 = Make(spec);
    Owned<BIO> bio(BIO_new(BIO_s_mem()));
    if (!x509 || !bio || PEM_write_bio_X509(bio.get(), x509.get()) != 1) return {};
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return length > 0 ? std::string(data, static_cast<std::size_t>(length)) : std::string();
}

std::vector<uint8_t> MakeCertificateDer(const CertificateSpec& spec) {
    const Owned<X509> x509 = Make(spec);
    if (!x509) return {};
    const int length = i2d_X509(x509.get(), nullptr);
    if (length <= 0) return {};
    std::vector<uint8_t> der(static_cast<std::size_t>(length));
    unsigned char* out = der.data();
    if (i2d_X509(x509.get(), &out) != length) return {};
    return der;
}

}  // namespace tembrel::test
