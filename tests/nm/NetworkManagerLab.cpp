#include "NetworkManagerLab.h"

#include "tests/support/PollUntil.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace tembrel::nm::testing {

namespace fs = std::filesystem;
using ::tembrel::testing::ChildProcess;
using ::tembrel::testing::FindProgram;
using ::tembrel::testing::FirstMissingProgram;
using ::tembrel::testing::ReadLog;
using ::tembrel::testing::RunToEnd;
using ::tembrel::testing::WiredLab;

namespace {

std::string MountEmpty(const char* folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (::mount("tmpfs", folder, "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") != 0)
        return std::string("mounting an empty ") + folder + " failed: " + std::strerror(errno);
    return {};
}

}  // namespace

std::string NetworkManagerLab::MissingProgram() {
    const std::string missing = FirstMissingProgram({"dbus-daemon", "NetworkManager", "nmcli"});
    return missing.empty() ? WiredLab::MissingProgram() : missing;
}

std::string NetworkManagerLab::EnterPrivateNetwork() {
    if (std::string refused = WiredLab::EnterPrivateNetwork(); !refused.empty()) return refused;
    if (::mount(nullptr, "/sys", nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0)
        return std::string("making sysfs read-only failed: ") + std::strerror(errno);
    for (const char* folder : {"/run/NetworkManager", "/var/lib/NetworkManager"}) {
        if (std::string refused = MountEmpty(folder); !refused.empty()) return refused;
    }
    return {};
}

NetworkManagerLab::NetworkManagerLab() {
    wired_ = std::make_unique<WiredLab>();
    if (!wired_->problem().empty()) {
        problem_ = wired_->problem();
        return;
    }
    if (!root_.made()) {
        problem_ = "no temporary folder";
        return;
    }
    fs::create_directories(root_ / "keyfiles");
    fs::create_directories(root_ / "conf.d");
    std::ofstream(root_ / "NetworkManager.conf") << "[main]\n"
                                                 << "auth-polkit=false\n"
                                                 << "plugins=keyfile\n"
                                                 << "no-auto-default=*\n"
                                                 << "[keyfile]\n"
                                                 << "path=" << (root_ / "keyfiles").string() << "\n"
                                                 << "unmanaged-devices=interface-name:" << WiredLab::kAuthenticatorPort
                                                 << "\n";
    // The test process's libnm, the supplicant and NetworkManager all take this bus for the system's.
    bus_ = std::make_unique<PrivateSystemBus>(root_.path());
    if (!bus_->problem().empty()) {
        problem_ = bus_->problem();
        return;
    }
    supplicant_ = std::make_unique<ChildProcess>(std::vector<std::string>{FindProgram("wpa_supplicant"), "-u"},
                                                 (root_ / "wpa_supplicant.log").string());
    manager_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{FindProgram("NetworkManager"), "--debug", "--log-level=INFO",
                                 "--config=" + (root_ / "NetworkManager.conf").string(),
                                 "--config-dir=" + (root_ / "conf.d").string(),
                                 "--system-config-dir=" + (root_ / "conf.d").string(),
                                 "--intern-config=" + (root_ / "intern.conf").string(),
                                 "--state-file=" + (root_ / "NetworkManager.state").string(),
                                 "--pid-file=" + (root_ / "NetworkManager.pid").string()},
        (root_ / "NetworkManager.log").string());
    if (!waitForPort()) problem_ = "NetworkManager did not take the port\n" + logs();
}

std::string NetworkManagerLab::nmcli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{FindProgram("nmcli")};
    argv.insert(argv.end(), args.begin(), args.end());
    const fs::path out = root_ / "nmcli.out";
    std::error_code ec;
    fs::remove(out, ec);
    if (RunToEnd(argv, out.string()) != 0) return {};
    std::string text = ReadLog(out);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

bool NetworkManagerLab::waitForPort() {
    return ::tembrel::testing::PollUntil(
        [&] {
            if (!manager_->running()) return true;
            const std::string state = deviceField("GENERAL.STATE");
            return !state.empty() && state.find("unmanaged") == std::string::npos &&
                   state.find("unavailable") == std::string::npos;
        },
        std::chrono::seconds(60)) &&
           manager_->running();
}

std::string NetworkManagerLab::deviceField(const std::string& field) {
    return nmcli({"-g", field, "device", "show", WiredLab::kPort});
}

size_t NetworkManagerLab::savedConnections() const {
    std::error_code ec;
    size_t n = 0;
    for (auto it = fs::directory_iterator(root_ / "keyfiles", ec); !ec && it != fs::directory_iterator(); ++it) ++n;
    return n;
}

bool NetworkManagerLab::removePort() {
    const fs::path log = root_ / "ip.log";
    return RunToEnd({FindProgram("ip"), "link", "delete", WiredLab::kAuthenticatorPort}, log.string()) == 0;
}

std::string NetworkManagerLab::logs() const {
    return "NetworkManager:\n" + ReadLog(root_ / "NetworkManager.log") + "wpa_supplicant (D-Bus):\n" +
           ReadLog(root_ / "wpa_supplicant.log") + (wired_ ? wired_->logs() : std::string());
}

}  // namespace tembrel::nm::testing
