#include "NetworkManagerLab.h"

#include "tests/support/PollUntil.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tembrel::nm::testing {

namespace fs = std::filesystem;
using wpa::testing::ChildProcess;
using wpa::testing::FindProgram;
using wpa::testing::RunToEnd;
using wpa::testing::WiredLab;

namespace {

const char* const kPrograms[] = {"dbus-daemon", "NetworkManager", "nmcli"};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string MountEmpty(const char* folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (::mount("tmpfs", folder, "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") != 0)
        return std::string("mounting an empty ") + folder + " failed: " + std::strerror(errno);
    return {};
}

}  // namespace

std::string NetworkManagerLab::MissingProgram() {
    for (const char* name : kPrograms) {
        if (FindProgram(name).empty()) return name;
    }
    return WiredLab::MissingProgram();
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
    char pattern[] = "/tmp/tembrel_nm_XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        problem_ = "no temporary folder";
        return;
    }
    root_ = pattern;
    fs::create_directories(root_ / "keyfiles");
    fs::create_directories(root_ / "conf.d");
    const std::string socket = (root_ / "system_bus").string();
    std::ofstream(root_ / "bus.conf")
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig><type>system</type><listen>unix:path="
        << socket
        << "</listen><auth>EXTERNAL</auth>\n"
           "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
           "<allow receive_type=\"*\"/></policy></busconfig>\n";
    std::ofstream(root_ / "NetworkManager.conf") << "[main]\n"
                                                 << "auth-polkit=false\n"
                                                 << "plugins=keyfile\n"
                                                 << "no-auto-default=*\n"
                                                 << "[keyfile]\n"
                                                 << "path=" << (root_ / "keyfiles").string() << "\n"
                                                 << "unmanaged-devices=interface-name:" << WiredLab::kAuthenticatorPort
                                                 << "\n";
    bus_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{FindProgram("dbus-daemon"), "--config-file=" + (root_ / "bus.conf").string(),
                                 "--nofork", "--nopidfile"},
        (root_ / "dbus.log").string());
    if (!::tembrel::testing::PollUntil([&] { return fs::exists(socket) || !bus_->running(); }) || !bus_->running()) {
        problem_ = "dbus-daemon did not start: " + ReadText(root_ / "dbus.log");
        return;
    }
    // The test process's libnm, the supplicant and NetworkManager all take this bus for the system's.
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + socket).c_str(), 1);
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

NetworkManagerLab::~NetworkManagerLab() {
    manager_.reset();
    supplicant_.reset();
    bus_.reset();
    wired_.reset();
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
}

std::string NetworkManagerLab::nmcli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{FindProgram("nmcli")};
    argv.insert(argv.end(), args.begin(), args.end());
    const fs::path out = root_ / "nmcli.out";
    std::error_code ec;
    fs::remove(out, ec);
    if (RunToEnd(argv, out.string()) != 0) return {};
    std::string text = ReadText(out);
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
    return "NetworkManager:\n" + ReadText(root_ / "NetworkManager.log") + "wpa_supplicant (D-Bus):\n" +
           ReadText(root_ / "wpa_supplicant.log") + (wired_ ? wired_->logs() : std::string());
}

}  // namespace tembrel::nm::testing
