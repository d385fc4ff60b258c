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

std::string MountEmpty(const fs::path& folder) {
    if (::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") != 0)
        return "mounting an empty " + folder.string() + " failed: " + std::strerror(errno);
    return {};
}

// An empty `folder` seen only in this mount namespace. A folder the host lacks is never made
// there: its parent is covered by an empty one first, and the folder made inside that.
std::string MountPrivateFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return MountEmpty(folder);
    if (std::string refused = MountEmpty(folder.parent_path()); !refused.empty()) return refused;
    fs::create_directory(folder, ec);
    return ec ? "making " + folder.string() + " failed: " + ec.message() : std::string();
}

}  // namespace

std::string NetworkManagerLab::MissingProgram() {
    const std::string missing = FirstMissingProgram({"dbus-daemon", "NetworkManager", "nmcli", "setpriv"});
    return missing.empty() ? WiredLab::MissingProgram() : missing;
}

std::string NetworkManagerLab::EnterPrivateNetwork() {
    if (std::string refused = WiredLab::EnterPrivateNetwork(); !refused.empty()) return refused;
    if (::mount(nullptr, "/sys", nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0)
        return std::string("making sysfs read-only failed: ") + std::strerror(errno);
    // NetworkManager's runtime and state folders are built into it; the host's stay untouched.
    for (const char* folder : {"/run/NetworkManager", "/var/lib/NetworkManager"}) {
        if (std::string refused = MountPrivateFolder(folder); !refused.empty()) return refused;
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
    // Other users reach the bus's socket in here (the tests ask NetworkManager as one).
    std::error_code ec;
    fs::permissions(root_.path(), fs::perms::others_exec | fs::perms::group_exec, fs::perm_options::add, ec);
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
    problem_ = startDaemons();
}

std::string NetworkManagerLab::startDaemons() {
    // The test process's libnm, the supplicant and NetworkManager all take this bus for the system's.
    bus_ = std::make_unique<PrivateSystemBus>(root_.path());
    if (!bus_->problem().empty()) return bus_->problem();
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
    return waitForPort() ? std::string() : "NetworkManager did not take the port\n" + logs();
}

std::string NetworkManagerLab::restartBus() {
    manager_.reset();
    supplicant_.reset();
    bus_.reset();
    std::error_code ec;
    fs::remove(root_ / "system_bus", ec);
    return startDaemons();
}

std::string NetworkManagerLab::nmcli(const std::vector<std::string>& args, std::optional<uid_t> uid) {
    std::vector<std::string> argv;
    if (uid) {
        const std::string id = std::to_string(*uid);
        argv = {FindProgram("setpriv"), "--reuid=" + id, "--regid=" + id, "--clear-groups"};
    }
    argv.push_back(FindProgram("nmcli"));
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

std::vector<std::string> NetworkManagerLab::filesHolding(const std::string& text) const {
    std::vector<std::string> found;
    for (const fs::path& folder : {fs::path("/run/NetworkManager"), fs::path("/etc/NetworkManager"),
                                   fs::path("/var/lib/NetworkManager"), root_.path()}) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (!it->is_regular_file(ec) || it->path().extension() == ".log") continue;
            if (ReadLog(it->path()).find(text) != std::string::npos) found.push_back(it->path().string());
        }
    }
    return found;
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
