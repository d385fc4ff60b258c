#pragma once
// A system bus of the test's own: dbus-daemon listening in a folder of the test's, with
// DBUS_SYSTEM_BUS_ADDRESS pointing at it for this process (its libnm) and the programs it
// starts afterwards. The daemon ends with the object.

#include "tests/support/ChildProcess.h"

#include <filesystem>
#include <memory>
#include <string>

namespace tembrel::nm::testing {

class PrivateSystemBus {
public:
    // Writes the bus's configuration and log into `folder`; problem() says why it did not start.
    explicit PrivateSystemBus(const std::filesystem::path& folder);
    const std::string& problem() const { return problem_; }
    bool running() { return daemon_->running(); }
    std::string address() const { return "unix:path=" + socket_; }

private:
    std::string socket_;
    std::string problem_;
    std::unique_ptr<::tembrel::testing::ChildProcess> daemon_;
};

}  // namespace tembrel::nm::testing
