#pragma once
// A real NetworkManager for tests, inside the network and mount namespace of the test process
// (WiredLab::EnterPrivateNetwork): a system bus of its own (dbus-daemon with a private socket,
// DBUS_SYSTEM_BUS_ADDRESS pointing at it), a wpa_supplicant on that bus, and NetworkManager with
// its own configuration, keyfile folder and state file, managing WiredLab's port of a veth pair
// whose other end (hostapd's) it leaves alone. NetworkManager has no wireless device here: the
// kernel of these machines has no 802.11 stack, so the port is an Ethernet one.

#include "PrivateSystemBus.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/WiredLab.h"

#include <filesystem>
#include <memory>
#include <string>

namespace tembrel::nm::testing {

class NetworkManagerLab {
public:
    // The programs the lab needs beyond WiredLab's, or the first one missing.
    static std::string MissingProgram();
    // WiredLab::EnterPrivateNetwork, then sysfs read-only (NetworkManager then takes the
    // namespace for a container and waits for no udev) and empty runtime and state folders of
    // NetworkManager over the host's. "" on success, else why not.
    static std::string EnterPrivateNetwork();

    // Makes the veth pair and certificates (WiredLab), starts the bus, the supplicant and
    // NetworkManager and waits until it manages the port; problem() says what failed.
    NetworkManagerLab();
    NetworkManagerLab(const NetworkManagerLab&) = delete;
    NetworkManagerLab& operator=(const NetworkManagerLab&) = delete;
    const std::string& problem() const { return problem_; }

    ::tembrel::testing::WiredLab& wired() { return *wired_; }
    // What nmcli says (`nmcli -g FIELD device show PORT`), "" when it cannot say.
    std::string deviceField(const std::string& field);
    // The files in NetworkManager's keyfile folder (connections it saved).
    size_t savedConnections() const;
    // Deletes the veth pair: the port disappears.
    bool removePort();
    std::string logs() const;

private:
    bool waitForPort();
    std::string nmcli(const std::vector<std::string>& args);

    ::tembrel::testing::TempFolder root_{"tembrel_nm_"};
    std::string problem_;
    std::unique_ptr<::tembrel::testing::WiredLab> wired_;
    std::unique_ptr<PrivateSystemBus> bus_;
    std::unique_ptr<::tembrel::testing::ChildProcess> supplicant_;
    std::unique_ptr<::tembrel::testing::ChildProcess> manager_;
};

}  // namespace tembrel::nm::testing
