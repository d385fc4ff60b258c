#include "SocketPath.h"

#include <unistd.h>

#include <cstdlib>

namespace tembrel::sim {

std::string ControlSocketPath() {
    if (const char* p = std::getenv("TEMBREL_SIM_SOCKET"); p != nullptr && *p != '\0') return p;
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir != nullptr && *dir != '\0')
        return std::string(dir) + "/tembrel-sim.sock";
    return "/tmp/tembrel-sim-" + std::to_string(getuid()) + ".sock";
}

}  // namespace tembrel::sim
