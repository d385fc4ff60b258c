#pragma once
// The collected security calls and the SSID as one NetworkManager connection, made in memory
// for one activation: it never autoconnects, belongs to one user (connection.permissions), and
// every secret in it is agent-owned, so NetworkManager writes none of them to a file and asks
// the library's own agent (SecretAgent) for them.

#include "GObjectPtr.h"
#include "tembrel/common/CollectedSecurity.h"

#include <NetworkManager.h>

#include <string>

namespace tembrel::nm {

struct ConnectionRequest {
    abi::CollectedSecurity security;
    std::string ssid;  // any bytes, at most 32; on a wired port it only names the connection
    bool hidden = false;
    std::string interfaceName;
    bool wired = false;      // an Ethernet port authenticated with 802.1x (or not at all)
    bool addresses = true;   // false: IPv4 and IPv6 stay off (another program looks after them)
    std::string certificateDir;  // <sha1>.pem and <sha1>.key for TLS
    std::string trustedCa;       // the authority the server must chain to; empty: not checked
    std::string user;            // the only user who sees the connection; empty: everyone
};

struct BuiltConnection {
    GObjectPtr<NMConnection> connection;
    std::string problem;  // why no connection could be made; never holds a secret
};

// The account name of the user running the process, "" when it has none.
std::string CurrentUserName();

BuiltConnection BuildConnection(const ConnectionRequest& request);

// The way back, for a link whoever made it: the security of `connection` in the values of
// SetAuthMode and SetWepStatus. A wired port's leaves both unsettled (it has no cipher).
abi::LinkSecurity SecurityOfConnection(NMConnection* connection);

}  // namespace tembrel::nm
