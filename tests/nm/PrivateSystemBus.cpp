#include "PrivateSystemBus.h"

#include "tests/support/PollUntil.h"

#include <cstdlib>
#include <fstream>

namespace tembrel::nm::testing {

namespace fs = std::filesystem;
using ::tembrel::testing::ChildProcess;

PrivateSystemBus::PrivateSystemBus(const fs::path& folder) : socket_((folder / "system_bus").string()) {
    std::ofstream(folder / "bus.conf")
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig><type>system</type><listen>unix:path="
        << socket_
        << "</listen><auth>EXTERNAL</auth>\n"
           "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
           "<allow receive_type=\"*\"/></policy></busconfig>\n";
    const std::string log = (folder / "dbus.log").string();
    daemon_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{::tembrel::testing::FindProgram("dbus-daemon"),
                                 "--config-file=" + (folder / "bus.conf").string(), "--nofork", "--nopidfile"},
        log);
    if (!::tembrel::testing::PollUntil([&] { return fs::exists(socket_) || !running(); }) || !running()) {
        problem_ = "dbus-daemon did not start: " + ::tembrel::testing::ReadLog(log);
        return;
    }
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address().c_str(), 1);
}

}  // namespace tembrel::nm::testing
