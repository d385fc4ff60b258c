#pragma once
// A wired 802.1x port for tests, inside a network and mount namespace of the test process's own:
// a veth pair, hostapd on one end (wired driver, its own EAP server with certificates made here
// with OpenSSL) and wpa_supplicant on the other (wired driver), each in a temporary folder.
// Nothing here touches the host's network: every step after EnterPrivateNetwork runs in the
// namespace, which goes away with the process.

#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace tembrel::testing {

class WiredLab {
public:
    static constexpr const char* kPort = "tembrel-port";           // the supplicant's end
    static constexpr const char* kAuthenticatorPort = "tembrel-auth";
    // The EAP server's user: PEAP and TTLS with MSCHAPv2, or TLS with a certificate of its CA.
    static constexpr const char* kLogin = "alice";
    static constexpr const char* kPassword = "wonderland";

    // The programs the lab needs, or the first one missing (e.g. "hostapd").
    static std::string MissingProgram();
    // Moves this process (its calling thread and every thread or child started later) into a
    // new network and mount namespace, with a sysfs of that network on /sys. Call on the main
    // thread before any other thread exists. "" on success, else why it cannot.
    static std::string EnterPrivateNetwork();

    // Makes the folder, the certificates and the configurations, and the veth pair with both
    // ends up; problem() says what failed.
    WiredLab();
    WiredLab(const WiredLab&) = delete;
    WiredLab& operator=(const WiredLab&) = delete;
    const std::string& problem() const { return problem_; }

    // wpa_supplicant on kPort, waited for until it answers on its control socket.
    bool startSupplicant();
    // Ends the supplicant with `signal` (after SIGKILL its socket file stays behind).
    void endSupplicant(int signal);
    // A command to the supplicant from a socket in the lab's folder; "" without an answer.
    std::string askSupplicant(const std::string& command);
    // The server certificates the authenticator can show: issued by the lab's CA, or (Foreign)
    // by nobody the library trusts.
    enum class Server { Usual, NamedLikeAnEvent, Rogue, Foreign };
    // The usual server's SHA-256 fingerprint as `openssl x509 -fingerprint -sha256` prints it.
    const std::string& serverFingerprint() const { return serverFingerprint_; }
    // A fresh hostapd (any previous one stopped), waited for until it serves the port.
    bool startAuthenticator(Server server = Server::Usual);
    void stopAuthenticator();
    // The authenticator's end of the cable: down, the port loses its link.
    bool setAuthenticatorLink(bool up);

    std::string controlDir() const { return (root_ / "ctrl").string(); }
    std::string certificateDir() const { return (root_ / "certs").string(); }
    // ca.pem in the certificate folder (the library then checks the server by it), or none.
    bool setAuthorityInstalled(bool installed);
    std::string pinFile() const { return (root_ / "certs" / "servers.pin").string(); }
    // SHA-1 thumbprints of the client certificates installed in certificateDir(): one issued
    // by the authenticator's CA, one self-signed that the authenticator refuses.
    const std::array<uint8_t, 20>& clientThumbprint() const { return client_; }
    const std::array<uint8_t, 20>& rogueThumbprint() const { return rogue_; }
    // The programs' output, for a failure message.
    std::string logs() const;

private:
    bool run(const std::vector<std::string>& argv);
    bool makeCertificates();
    bool fingerprintServer();
    // Signs `name`.pem with the CA (or itself) and installs it under its thumbprint when asked.
    bool makeCertificate(const std::string& name, const std::string& subject, bool selfSigned,
                         std::array<uint8_t, 20>* installAs);
    void writeConfigurations(Server server);

    ::tembrel::testing::TempFolder root_{"tembrel_wired_"};
    std::string problem_;
    int serial_ = 1;  // of the certificates the CA issues
    std::array<uint8_t, 20> client_{};
    std::array<uint8_t, 20> rogue_{};
    std::string serverFingerprint_;
    std::unique_ptr<ChildProcess> supplicant_;
    std::unique_ptr<ChildProcess> authenticator_;  // ends first
};

}  // namespace tembrel::testing
