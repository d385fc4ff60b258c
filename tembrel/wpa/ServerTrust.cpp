#include "ServerTrust.h"
#include "SupplicantEvent.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tembrel::wpa {

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxLines = 4096;
constexpr size_t kMaxPinFileBytes = 1 << 20;

struct FoundLine {
    size_t number = 0;  // 1-based; 0 when the network has no line
    std::string value;
};

// The line "VALUE NETWORK" for `ssid`.
FoundLine FindLine(std::istream& in, const std::string& ssid) {
    std::string line;
    const std::string name = NetworkLineName(ssid);
    for (size_t n = 1; n <= kMaxLines && std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t space = line.find(' ');
        if (space == std::string::npos || space == 0) continue;
        if (line.compare(space + 1, std::string::npos, name) == 0) return {n, line.substr(0, space)};
    }
    return {};
}

// The value of the line "VALUE NETWORK" for `ssid`, empty when there is none.
std::string LookUp(const fs::path& file, const std::string& ssid) {
    std::ifstream in(file);
    return FindLine(in, ssid).value;
}

// A hash as the pin file holds it, or as `openssl x509 -fingerprint -sha256` prints it
// ("3F:0C:..."), in lower case without colons; "" when it is none.
std::string NormalHash(const std::string& text) {
    std::string hash;
    for (char c : text) {
        if (c != ':') hash.push_back(char(std::tolower(static_cast<unsigned char>(c))));
    }
    return IsSha256Hex(hash) ? hash : std::string();
}

// The pin file's text; `problem` says why it must not be used. A missing file holds no pins.
std::string ReadPinFile(const std::string& path, std::string& problem) {
    // O_NOFOLLOW: a link could lead to pins someone else chose.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        const int e = errno;
        if (e == ENOENT) return {};
        problem = e == ELOOP ? "the pin file " + path + " is a symbolic link, so it is not used; replace it by the file itself"
                             : "the pin file " + path + " cannot be read (" + std::strerror(e) + ")";
        return {};
    }
    struct stat st {};
    std::string text;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        problem = "the pin file " + path + " is not a regular file, so it is not used";
    } else if (st.st_uid != ::geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        problem = "the pin file " + path + " can be changed by other users, so it is not used; make it yours "
                  "and writable by you only (chmod 600)";
    } else {
        char buffer[65536];
        ssize_t n = 0;
        while (text.size() < kMaxPinFileBytes && (n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, size_t(n));
        if (n < 0) problem = "the pin file " + path + " cannot be read (" + std::strerror(errno) + ")";
    }
    ::close(fd);
    return text;
}

}  // namespace

std::string NetworkLineName(const std::string& ssid) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : ssid) {
        if (c == '\\') out += "\\\\";
        else if (c >= 0x20 && c < 0x7f) out.push_back(char(c));
        else out += std::string("\\x") + digits[c >> 4] + digits[c & 15];
    }
    return out;
}

ServerTrustStore::ServerTrustStore(std::string certificateDir, std::string pinFile)
    : certificateDir_(std::move(certificateDir)), pinFile_(std::move(pinFile)) {}

ServerTrust ServerTrustStore::trustFor(const std::string& ssid) const {
    ServerTrust trust;
    std::error_code ec;
    const fs::path ca = fs::path(certificateDir_) / "ca.pem";
    if (!certificateDir_.empty() && fs::is_regular_file(ca, ec)) {
        trust.check = ServerCheck::Authority;
        trust.fields.emplace_back("ca_cert", "\"" + ca.string() + "\"");
        const std::string name = LookUp(fs::path(certificateDir_) / "server-names", ssid);
        if (!name.empty() && IsQuotableText(name)) {
            trust.check = ServerCheck::AuthorityAndName;
            trust.name = name;
            trust.fields.emplace_back("domain_match", "\"" + name + "\"");
        }
        return trust;
    }
    const PinLine pin = pinOf(ssid);
    trust.problem = pin.problem;
    if (!pin.hash.empty()) {
        trust.check = ServerCheck::Pinned;
        trust.pin = pin.hash;
        trust.fields.emplace_back("ca_cert", "\"hash://server/sha256/" + pin.hash + "\"");
    }
    return trust;
}

ServerTrustStore::PinLine ServerTrustStore::pinOf(const std::string& ssid) const {
    PinLine pin;
    if (pinFile_.empty()) return pin;
    std::istringstream in(ReadPinFile(pinFile_, pin.problem));
    if (!pin.problem.empty()) return pin;
    const FoundLine line = FindLine(in, ssid);
    if (line.number == 0) return pin;
    pin.hash = NormalHash(line.value);
    if (pin.hash.empty())
        pin.problem = "line " + std::to_string(line.number) + " of " + pinFile_ + ", the pin of " +
                      NetworkLineName(ssid) + ", is not a SHA-256 hash of 64 hex digits. Correct it, or delete "
                      "the line to pin the server's certificate at the next connection";
    return pin;
}

bool ServerTrustStore::pin(const std::string& ssid, const std::string& hash) const {
    const PinLine before = pinOf(ssid);
    if (pinFile_.empty() || !before.problem.empty()) return false;
    if (before.hash.empty()) {
        std::error_code ec;
        const fs::path file(pinFile_);
        if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
        // The pins say which servers are trusted: nobody else may read or change them.
        const int fd = ::open(pinFile_.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) return false;
        ::fchmod(fd, 0600);
        // A last line cut short (a full disk) must not swallow the new one.
        struct stat st {};
        char last = '\n';
        if (::fstat(fd, &st) != 0 || st.st_size == 0 || ::pread(fd, &last, 1, st.st_size - 1) != 1) last = '\n';
        const std::string line = (last == '\n' ? "" : "\n") + hash + " " + NetworkLineName(ssid) + "\n";
        const bool written = ::write(fd, line.data(), line.size()) == ssize_t(line.size());
        if (::close(fd) != 0 || !written) return false;
    }
    // Read back: only a pin the next connection will find counts as kept.
    const PinLine after = pinOf(ssid);
    return after.problem.empty() && after.hash == hash;
}

std::string ServerCheckText(const ServerTrust& trust) {
    switch (trust.check) {
    case ServerCheck::Authority: return "the server was checked by the authority in ca.pem";
    case ServerCheck::AuthorityAndName:
        return "the server was checked by the authority in ca.pem and by its name " + trust.name;
    case ServerCheck::FirstUse: return "the server's certificate was pinned on first use";
    case ServerCheck::Pinned: return "the server's certificate matched its pin";
    }
    return {};
}

std::string PinMismatchText(const std::string& ssid, const std::string& pinFile) {
    return "Authentication failed: the server's certificate changed since the first connection to " +
           NetworkLineName(ssid) + ". To accept the new certificate, delete the line ending in \"" +
           NetworkLineName(ssid) + "\" from " + pinFile;
}

}  // namespace tembrel::wpa
