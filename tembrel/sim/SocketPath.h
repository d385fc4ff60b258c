#pragma once

#include <string>

namespace tembrel::sim {

// $TEMBREL_SIM_SOCKET, else $XDG_RUNTIME_DIR/tembrel-sim.sock, else /tmp/tembrel-sim-<uid>.sock.
// The value "none" turns the control listener off.
std::string ControlSocketPath();

}  // namespace tembrel::sim
