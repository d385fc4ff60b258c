#include "tests/support/WiredLab.h"

#include "tests/support/PollUntil.h"
#include "tembrel/common/AbiText.h"

#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace tembrel::testing {

namespace fs = std::filesystem;

namespace {

// "sha1 Fingerprint=0A:1B:..." (the label's case varies with the OpenSSL version).
bool ParseFingerprint(const std::string& text, std::array<uint8_t, 20>& out) {
    const size_t at = text.find('=');
    if (at == std::string::npos) return false;
    size_t n = 0;
    for (size_t i = at + 1; i + 1 < text.size() && n < out.size(); i += 3) {
        const std::string pair = text.substr(i, 2);
        char* end = nullptr;
        const unsigned long v = std::strtoul(pair.c_str(), &end, 16);
        if (end != pair.c_str() + 2) return false;
        out[n++] = static_cast<uint8_t>(v);
    }
    return n == out.size();
}

}  // namespace

std::string WiredLab::MissingProgram() { return FirstMissingProgram({"hostapd", "wpa_supplicant", "ip", "openssl"}); }

std::string WiredLab::EnterPrivateNetwork() {
    if (::unshare(CLONE_NEWNET | CLONE_NEWNS) != 0)
        return std::string("unshare(CLONE_NEWNET | CLONE_NEWNS) failed: ") + std::strerror(errno);
    // Private first: the sysfs mounted next must never show up in the host's mount table.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("making the mounts private failed: ") + std::strerror(errno);
    // sysfs shows the network of the namespace that mounted it.
    if (::mount("sysfs", "/sys", "sysfs", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0)
        return std::string("mounting sysfs for the namespace failed: ") + std::strerror(errno);
    return {};
}

WiredLab::WiredLab() {
    if (!root_.made()) {
        problem_ = "no temporary folder";
        return;
    }
    fs::create_directories(root_ / "ctrl");
    fs::create_directories(root_ / "certs");
    if (!makeCertificates()) {
        problem_ = "openssl could not make the certificates: " + ReadLog(root_ / "openssl.log");
        return;
    }
    writeConfigurations(Server::Usual);
    if (!run({FindProgram("ip"), "link", "add", kAuthenticatorPort, "type", "veth", "peer", "name", kPort}) ||
        !run({FindProgram("ip"), "link", "set", kPort, "up"}) || !setAuthenticatorLink(true))
        problem_ = "the veth pair could not be made: " + ReadLog(root_ / "ip.log");
}

bool WiredLab::run(const std::vector<std::string>& argv) {
    const std::string log = (root_ / (fs::path(argv[0]).filename().string() + ".log")).string();
    return RunToEnd(argv, log) == 0;
}

bool WiredLab::makeCertificate(const std::string& name, const std::string& subject, bool selfSigned,
                               std::array<uint8_t, 20>* installAs) {
    const std::string openssl = FindProgram("openssl");
    const std::string base = (root_ / name).string();
    const std::vector<std::string> key = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                                          "-keyout", base + ".key", "-subj", subject};
    std::vector<std::string> request = {openssl, "req"};
    if (selfSigned) {
        request.insert(request.end(), {"-x509", "-days", "2", "-out", base + ".pem"});
        request.insert(request.end(), key.begin(), key.end());
        if (!run(request)) return false;
    } else {
        request.insert(request.end(), {"-out", base + ".csr"});
        request.insert(request.end(), key.begin(), key.end());
        if (!run(request)) return false;
        if (!run({openssl, "x509", "-req", "-in", base + ".csr", "-CA", (root_ / "ca.pem").string(), "-CAkey",
                  (root_ / "ca.key").string(), "-set_serial", std::to_string(++serial_), "-days", "2", "-out",
                  base + ".pem"}))
            return false;
    }
    if (installAs == nullptr) return true;
    const std::string fingerprint = (root_ / (name + ".sha1")).string();
    if (RunToEnd({openssl, "x509", "-in", base + ".pem", "-noout", "-fingerprint", "-sha1"}, fingerprint) != 0 ||
        !ParseFingerprint(ReadLog(fingerprint), *installAs))
        return false;
    // Where the library looks for the certificate a profile names by its thumbprint.
    const fs::path target = root_ / "certs" / abi::HexText(installAs->data(), installAs->size());
    std::error_code ec;
    fs::copy_file(base + ".pem", target.string() + ".pem", ec);
    if (!ec) fs::copy_file(base + ".key", target.string() + ".key", ec);
    return !ec;
}

bool WiredLab::makeCertificates() {
    std::error_code ec;
    // The CA in the library's certificate folder: the supplicant checks the server against it.
    return makeCertificate("ca", "/CN=Tembrel Test CA", true, nullptr) &&
           fs::copy_file(root_ / "ca.pem", root_ / "certs" / "ca.pem", ec) &&
           makeCertificate("server", "/CN=authenticator.test", false, nullptr) &&
           makeCertificate("event-server", "/CN=CTRL-EVENT-CONNECTED", false, nullptr) &&
           makeCertificate("rogue-server", "/CN=authenticator.test", false, nullptr) &&
           makeCertificate("foreign-server", "/CN=authenticator.test", true, nullptr) && fingerprintServer() &&
           makeCertificate("client", std::string("/CN=") + kLogin, false, &client_) &&
           makeCertificate("rogue", std::string("/CN=") + kLogin, true, &rogue_);
}

bool WiredLab::setAuthorityInstalled(bool installed) {
    std::error_code ec;
    const fs::path installedCa = root_ / "certs" / "ca.pem";
    if (!installed) return fs::remove(installedCa, ec) || !fs::exists(installedCa);
    return fs::copy_file(root_ / "ca.pem", installedCa, fs::copy_options::overwrite_existing, ec);
}

bool WiredLab::fingerprintServer() {
    const std::string out = (root_ / "server.sha256").string();
    if (RunToEnd({FindProgram("openssl"), "x509", "-in", (root_ / "server.pem").string(), "-noout", "-fingerprint",
                  "-sha256"}, out) != 0)
        return false;
    const std::string text = ReadLog(out);
    const size_t at = text.find('=');
    serverFingerprint_ = at == std::string::npos ? "" : text.substr(at + 1, text.find_first_of("\r\n", at) - at - 1);
    return serverFingerprint_.size() == 95;  // 32 pairs and 31 colons
}

void WiredLab::writeConfigurations(Server server) {
    const char* const names[] = {"server", "event-server", "rogue-server", "foreign-server"};
    const std::string name = names[static_cast<int>(server)];
    std::ofstream(root_ / "eap_user") << "* PEAP,TTLS,TLS\n"
                                      << '"' << kLogin << "\" MSCHAPV2,TTLS-MSCHAPV2 \"" << kPassword << "\" [2]\n";
    std::ofstream(root_ / "hostapd.conf") << "interface=" << kAuthenticatorPort << "\n"
                                          << "driver=wired\n"
                                          << "ieee8021x=1\n"
                                          << "eap_server=1\n"
                                          << "use_pae_group_addr=1\n"
                                          << "eap_user_file=" << (root_ / "eap_user").string() << "\n"
                                          << "ca_cert=" << (root_ / "ca.pem").string() << "\n"
                                          << "server_cert=" << (root_ / (name + ".pem")).string() << "\n"
                                          << "private_key=" << (root_ / (name + ".key")).string() << "\n"
                                          << "logger_stdout=-1\n"
                                          << "logger_stdout_level=2\n";
    // No ap_scan here: the library sets it for a wired port.
    std::ofstream(root_ / "wpa_supplicant.conf") << "ctrl_interface=" << controlDir() << "\n"
                                                 << "update_config=0\n";
}

bool WiredLab::startSupplicant() {
    supplicant_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{FindProgram("wpa_supplicant"), "-D", "wired", "-i", kPort, "-c",
                                 (root_ / "wpa_supplicant.conf").string()},
        (root_ / "wpa_supplicant.log").string());
    // Answering, not only its socket file: a killed supplicant leaves that behind.
    return ::tembrel::testing::PollUntil([&] { return askSupplicant("PING") == "PONG\n" || !supplicant_->running(); }) &&
           supplicant_->running();
}

void WiredLab::endSupplicant(int signal) {
    if (supplicant_) supplicant_->endWith(signal);
}

std::string WiredLab::askSupplicant(const std::string& command) {
    const std::string local = (root_ / "ask").string();
    const std::string server = (fs::path(controlDir()) / kPort).string();
    sockaddr_un from{}, to{};
    from.sun_family = to.sun_family = AF_UNIX;
    if (local.size() >= sizeof from.sun_path || server.size() >= sizeof to.sun_path) return {};
    std::memcpy(from.sun_path, local.c_str(), local.size() + 1);
    std::memcpy(to.sun_path, server.c_str(), server.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    ::unlink(local.c_str());
    std::string reply;
    pollfd ready{fd, POLLIN, 0};
    char buffer[4096];
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&from), sizeof from) == 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
        ::send(fd, command.data(), command.size(), MSG_NOSIGNAL) == ssize_t(command.size()) &&
        ::poll(&ready, 1, 3000) == 1) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) reply.assign(buffer, size_t(n));
    }
    ::close(fd);
    ::unlink(local.c_str());
    return reply;
}

bool WiredLab::startAuthenticator(Server server) {
    stopAuthenticator();
    writeConfigurations(server);
    const fs::path log = root_ / "hostapd.log";
    const std::string before = ReadLog(log);
    authenticator_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{FindProgram("hostapd"), (root_ / "hostapd.conf").string()}, log.string());
    const auto enabled = [&] { return ReadLog(log).find("AP-ENABLED", before.size()) != std::string::npos; };
    return ::tembrel::testing::PollUntil([&] { return enabled() || !authenticator_->running(); }) && enabled();
}

void WiredLab::stopAuthenticator() { authenticator_.reset(); }

bool WiredLab::setAuthenticatorLink(bool up) {
    return run({FindProgram("ip"), "link", "set", kAuthenticatorPort, up ? "up" : "down"});
}

std::string WiredLab::logs() const {
    return "hostapd:\n" + ReadLog(root_ / "hostapd.log") + "wpa_supplicant:\n" + ReadLog(root_ / "wpa_supplicant.log");
}

}  // namespace tembrel::testing
