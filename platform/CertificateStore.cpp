#include "CertificateStore.h"

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <optional>

namespace tembrel {

namespace {

struct X509Free {
    void operator()(X509* x) const { X509_free(x); }
};
struct BioFree {
    void operator()(BIO* b) const { BIO_free(b); }
};
struct GeneralNamesFree {
    void operator()(GENERAL_NAMES* n) const { GENERAL_NAMES_free(n); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;

// Directory entries looked at, so that a folder of many millions of files cannot stall the caller;
// only their names are read, and at most kMaxCertificateFiles of them kept.
constexpr std::size_t kMaxDirectoryEntries = 1u << 20;

struct FolderListing {
    std::vector<std::filesystem::path> files;  // the first kMaxCertificateFiles by name, in name order
    std::size_t leftOut = 0;                   // regular files beyond them
};

// The cap comes after the order: the files kept are the first by name, whatever order the folder
// lists them in. A max-heap by name holds the first ones seen so far.
FolderListing ListFiles(const std::filesystem::path& folder) {
    const auto byName = [](const std::filesystem::path& a, const std::filesystem::path& b) {
        return a.filename().native() < b.filename().native();
    };
    FolderListing listing;
    std::vector<std::filesystem::path>& files = listing.files;
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error), end;
    for (std::size_t seen = 0; !error && entry != end && seen < kMaxDirectoryEntries; entry.increment(error), ++seen) {
        std::error_code typeError;
        if (!entry->is_regular_file(typeError)) continue;
        if (files.size() < kMaxCertificateFiles) {
            files.push_back(entry->path());
            std::push_heap(files.begin(), files.end(), byName);
            continue;
        }
        ++listing.leftOut;
        if (byName(entry->path(), files.front())) {
            std::pop_heap(files.begin(), files.end(), byName);
            files.back() = entry->path();
            std::push_heap(files.begin(), files.end(), byName);
        }
    }
    std::sort_heap(files.begin(), files.end(), byName);
    return listing;
}

// Control characters would break the one-line list cells and the NUL-terminated profile field.
std::string DisplayText(std::string text) {
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
    }
    if (text.size() > kMaxDisplayNameBytes) {
        std::size_t cut = kMaxDisplayNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        text.resize(cut);
    }
    return text;
}

std::string Utf8(const ASN1_STRING* value) {
    if (!value) return {};
    unsigned char* utf8 = nullptr;
    const int length = ASN1_STRING_to_UTF8(&utf8, value);
    if (length < 0) return {};
    std::string text(reinterpret_cast<const char*>(utf8), static_cast<std::size_t>(length));
    OPENSSL_free(utf8);
    return text;
}

std::string NameEntry(const X509_NAME* name, int nid) {
    const int index = X509_NAME_get_index_by_NID(name, nid, -1);
    if (index < 0) return {};
    return Utf8(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index)));
}

std::string AltNameEmail(const X509* certificate, int extensionNid) {
    std::unique_ptr<GENERAL_NAMES, GeneralNamesFree> names(
        static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(certificate, extensionNid, nullptr, nullptr)));
    if (!names) return {};
    for (int i = 0; i < sk_GENERAL_NAME_num(names.get()); ++i) {
        const GENERAL_NAME* entry = sk_GENERAL_NAME_value(names.get(), i);
        if (entry->type == GEN_EMAIL) return Utf8(entry->d.rfc822Name);
    }
    return {};
}

// The common name, else the organisational unit, else the organisation, else an e-mail address.
std::string SimpleDisplayName(const X509* certificate, const X509_NAME* name, int altNameNid) {
    for (int nid : {NID_commonName, NID_organizationalUnitName, NID_organizationName, NID_pkcs9_emailAddress}) {
        std::string text = NameEntry(name, nid);
        if (!text.empty()) return DisplayText(std::move(text));
    }
    return DisplayText(AltNameEmail(certificate, altNameNid));
}

std::string ObjectText(const ASN1_OBJECT* object) {
    if (!object) return {};
    char text[256] = {};
    if (OBJ_obj2txt(text, sizeof text, object, 1) <= 0) return {};
    return text;
}

CertificateTime TimeOf(const ASN1_TIME* time) {
    std::tm fields{};
    if (!time || ASN1_TIME_to_tm(time, &fields) != 1) return {};
    return {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec};
}

// The integer's DER content octets (sign byte included), least significant first, as the
// certificate services of other systems hand a serial number out.
std::vector<uint8_t> SerialBytes(const ASN1_INTEGER* serial) {
    const int length = i2d_ASN1_INTEGER(serial, nullptr);
    if (length < 3) return {};
    std::vector<uint8_t> der(static_cast<std::size_t>(length));
    unsigned char* out = der.data();
    if (i2d_ASN1_INTEGER(serial, &out) != length) return {};
    std::size_t start = 2;
    if (der[1] & 0x80) start += der[1] & 0x7F;
    if (start >= der.size()) return {};
    std::vector<uint8_t> bytes(der.begin() + static_cast<std::ptrdiff_t>(start), der.end());
    std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

std::optional<Certificate> Describe(X509* x509) {
    Certificate certificate;
    const int length = i2d_X509(x509, nullptr);
    if (length <= 0) return std::nullopt;
    certificate.der.resize(static_cast<std::size_t>(length));
    unsigned char* out = certificate.der.data();
    if (i2d_X509(x509, &out) != length) return std::nullopt;
    unsigned int hashLength = 0;
    if (X509_digest(x509, EVP_sha1(), certificate.sha1.data(), &hashLength) != 1 ||
        hashLength != certificate.sha1.size())
        return std::nullopt;

    certificate.issuerName = SimpleDisplayName(x509, X509_get_issuer_name(x509), NID_issuer_alt_name);
    certificate.subjectName = SimpleDisplayName(x509, X509_get_subject_name(x509), NID_subject_alt_name);
    certificate.version = X509_get_version(x509);
    certificate.serialNumber = SerialBytes(X509_get0_serialNumber(x509));
    const ASN1_OBJECT* signature = nullptr;
    X509_ALGOR_get0(&signature, nullptr, nullptr, X509_get0_tbs_sigalg(x509));
    certificate.signatureAlgorithm = ObjectText(signature);
    ASN1_OBJECT* keyAlgorithm = nullptr;
    if (X509_PUBKEY_get0_param(&keyAlgorithm, nullptr, nullptr, nullptr, X509_get_X509_PUBKEY(x509)) == 1)
        certificate.publicKeyAlgorithm = ObjectText(keyAlgorithm);
    if (const ASN1_BIT_STRING* key = X509_get0_pubkey_bitstr(x509)) {
        const unsigned char* bytes = ASN1_STRING_get0_data(key);
        certificate.publicKey.assign(bytes, bytes + ASN1_STRING_length(key));
    }
    certificate.notBefore = TimeOf(X509_get0_notBefore(x509));
    certificate.notAfter = TimeOf(X509_get0_notAfter(x509));
    return certificate;
}

// Never asks for a pass phrase: the default callback would prompt on the terminal.
int NoPassPhrase(char*, int, int, void*) { return 0; }

void ParsePem(std::string_view bytes, std::size_t limit, std::vector<Certificate>& out) {
    std::unique_ptr<BIO, BioFree> bio(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
    if (!bio) return;
    while (out.size() < limit) {
        X509Ptr x509(PEM_read_bio_X509(bio.get(), nullptr, NoPassPhrase, nullptr));
        if (!x509) break;
        if (auto certificate = Describe(x509.get())) out.push_back(std::move(*certificate));
    }
}

void ParseDer(std::string_view bytes, std::vector<Certificate>& out) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    X509Ptr x509(d2i_X509(nullptr, &data, static_cast<long>(bytes.size())));
    if (!x509) return;
    if (auto certificate = Describe(x509.get())) out.push_back(std::move(*certificate));
}

// The file's bytes when it is a regular file of at most kMaxCertificateFileBytes.
std::optional<std::string> ReadBounded(const std::filesystem::path& path) {
    // Non-blocking, so that a FIFO put in the folder cannot hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::uintmax_t>(info.st_size) > kMaxCertificateFileBytes)
        return std::nullopt;
    // One byte more than allowed: a file that grew since fstat is noticed.
    std::string data(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t filled = 0;
    while (filled < data.size()) {
        const ssize_t got = ::read(fd, data.data() + filled, data.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
        if (filled > kMaxCertificateFileBytes) return std::nullopt;
    }
    data.resize(filled);
    return data;
}

class FolderCertificateStore final : public CertificateStore {
public:
    explicit FolderCertificateStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

    std::vector<Certificate> certificates() const override {
        std::vector<Certificate> result;
        for (const auto& path : ListFiles(folder_).files) {
            if (result.size() >= kMaxCertificates) break;
            if (const auto bytes = ReadBounded(path)) {
                std::vector<Certificate> found = ParseCertificateFile(*bytes, kMaxCertificates - result.size());
                for (auto& certificate : found) result.push_back(std::move(certificate));
            }
        }
        return result;
    }

    std::size_t filesLeftOut() const override { return ListFiles(folder_).leftOut; }

private:
    std::filesystem::path folder_;
};

}  // namespace

std::vector<Certificate> ParseCertificateFile(std::string_view bytes, std::size_t limit) {
    std::vector<Certificate> result;
    if (bytes.empty() || limit == 0 || bytes.size() > static_cast<std::size_t>(INT_MAX)) return result;
    if (bytes.find("-----BEGIN") != std::string_view::npos) ParsePem(bytes, limit, result);
    // Also a DER certificate whose names happen to hold the PEM marker.
    if (result.empty()) ParseDer(bytes, result);
    // The reasons a file was not taken are not shown anywhere; keep them off the thread's queue.
    ERR_clear_error();
    return result;
}

std::unique_ptr<CertificateStore> MakeFolderCertificateStore(std::filesystem::path folder) {
    return std::make_unique<FolderCertificateStore>(std::move(folder));
}

}  // namespace tembrel
