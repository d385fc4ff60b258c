#include "ServerTrust.h"
#include "SupplicantEvent.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tembrel::wpa {

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxLines = 4096;

// The value of the line "VALUE NETWORK" for `ssid`, empty when there is none.
std::string LookUp(const fs::path& file, const std::string& ssid) {
    std::ifstream in(file);
    std::string line;
    const std::string name = NetworkLineName(ssid);
    for (size_t n = 0; n < kMaxLines && std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t space = line.find(' ');
        if (space == std::string::npos || space == 0) continue;
        if (line.compare(space + 1, std::string::npos, name) == 0) return line.substr(0, space);
    }
    return {};
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
    const std::string pin = pinFile_.empty() ? std::string() : LookUp(pinFile_, ssid);
    if (IsSha256Hex(pin)) {
        trust.check = ServerCheck::Pinned;
        trust.pin = pin;
        trust.fields.emplace_back("ca_cert", "\"hash://server/sha256/" + pin + "\"");
    }
    return trust;
}

bool ServerTrustStore::pin(const std::string& ssid, const std::string& hash) const {
    if (pinFile_.empty()) return false;
    if (!LookUp(pinFile_, ssid).empty()) return true;
    std::error_code ec;
    const fs::path file(pinFile_);
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
    // The pins say which servers are trusted: nobody else may read or change them.
    const int fd = ::open(pinFile_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    ::fchmod(fd, 0600);
    const std::string line = hash + " " + NetworkLineName(ssid) + "\n";
    const bool written = ::write(fd, line.data(), line.size()) == ssize_t(line.size());
    return ::close(fd) == 0 && written;
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
