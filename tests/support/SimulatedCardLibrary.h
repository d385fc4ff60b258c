#pragma once
// The simulated card library for end-to-end tests: loaded once per test program from
// $TEMBREL_BIN_DIR with the manual clock (no drift: signal levels stay as configured) and no
// control socket, and reset to its built-in environment before each test.

#include "adapter/DriverLoader.h"

#include <dlfcn.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace tembrel::testing {

inline std::string SimulatedCardPath() {
    const char* dir = std::getenv("TEMBREL_BIN_DIR");
    return std::string(dir ? dir : ".") + "/libTembrel.so";
}

// The loaded library (check .loaded); stays loaded for the whole run (RTLD_NODELETE).
inline DriverLoadResult& SimulatedCardLibrary() {
    static std::unique_ptr<DriverLoadResult> loaded = [] {
        setenv("TEMBREL_SIM_CLOCK", "manual", 1);
        setenv("TEMBREL_SIM_SOCKET", "none", 1);
        unsetenv("TEMBREL_SIM_ENVIRONMENT");
        return std::make_unique<DriverLoadResult>(LoadDriverLibrary(SimulatedCardPath()));
    }();
    return *loaded;
}

// Puts the card back to its built-in environment through the library's own test control.
inline bool ResetSimulatedCard() {
    void* lib = dlopen(SimulatedCardPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!lib) return false;
    auto reset = reinterpret_cast<void (*)()>(dlsym(lib, "TembrelSimReset"));
    if (reset) reset();
    dlclose(lib);
    return reset != nullptr;
}

}  // namespace tembrel::testing
