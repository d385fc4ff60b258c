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

// The built-in Auto Link access points start out of range: brings the three in, at -50, -61 and
// -73 dBm (as "tembrelctl signal" would), and lets the card's next background scan hear them.
inline bool BringAutoLinkInRange() {
    void* lib = dlopen(SimulatedCardPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!lib) return false;
    auto control = reinterpret_cast<int (*)(const char*, char*, uint32_t)>(dlsym(lib, "TembrelSimControl"));
    bool ok = control != nullptr;
    for (const char* command : {R"(["signal","Orvix-AutoLink-New","-50"])", R"(["signal","Orvix-AutoLink-Set","-61"])",
                                R"(["signal","Orvix-AutoLink-Manual","-73"])"}) {
        char reply[256];
        if (ok) ok = control(command, reply, sizeof reply) == 0;
    }
    auto advance = reinterpret_cast<void (*)(uint32_t)>(dlsym(lib, "TembrelSimAdvance"));
    if (ok && advance) advance(10000);
    dlclose(lib);
    return ok && advance != nullptr;
}

}  // namespace tembrel::testing
