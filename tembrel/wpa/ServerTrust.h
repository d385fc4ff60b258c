#pragma once
// How the authentication server of an 802.1x network proves itself (TLS, PEAP, TTLS). Profiles
// name no authority, so the library decides from files of its own:
// - ca.pem in the certificate folder: the server's chain must lead to it; a line
//   "NAME NETWORK" in server-names beside it adds a match of the server's name.
// - otherwise trust on first use: the first successful connection to a network name pins the
//   server certificate's SHA-256 hash as a line "HASH NETWORK" in the pin file (mode 0600); a
//   later server must show that certificate. Deleting the line accepts a new one. A line that
//   cannot be read as a hash (upper case and colons are read), or a pin file that is a symbolic
//   link or that others may change, refuses the login: it must never mean "trust any server".
// NETWORK is the network name with '\' as "\\" and bytes outside printable ASCII as "\xHH".

#include "NetworkConfig.h"

#include <string>
#include <vector>

namespace tembrel::wpa {

enum class ServerCheck { Authority, AuthorityAndName, FirstUse, Pinned };

struct ServerTrust {
    ServerCheck check = ServerCheck::FirstUse;
    std::vector<NetworkField> fields;  // ca_cert, domain_match
    std::string pin;                   // Pinned: the hash the server must show
    std::string name;                  // AuthorityAndName: the name it must carry
    std::string problem;               // why no server can be trusted: the login is refused
};

class ServerTrustStore {
public:
    ServerTrustStore(std::string certificateDir, std::string pinFile);

    ServerTrust trustFor(const std::string& ssid) const;
    // Keeps `hash` as the pin of `ssid` unless it has one; true only when the file, read back,
    // holds `hash` for `ssid`.
    bool pin(const std::string& ssid, const std::string& hash) const;
    const std::string& pinFile() const { return pinFile_; }

private:
    struct PinLine {
        std::string hash;     // lower-case hex, "" when the network has no line
        std::string problem;  // the file or the line cannot be trusted
    };
    PinLine pinOf(const std::string& ssid) const;

    std::string certificateDir_;
    std::string pinFile_;
};

// The network name as written in the trust files.
std::string NetworkLineName(const std::string& ssid);
// "...; the server was checked by its authority" and the like, for the success text.
std::string ServerCheckText(const ServerTrust& trust);
// The refusal text when a pinned network's server showed another certificate.
std::string PinMismatchText(const std::string& ssid, const std::string& pinFile);

}  // namespace tembrel::wpa
