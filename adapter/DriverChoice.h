#pragma once
// Which driver library the program loads when the command line names none: $TEMBREL_LIBRARY;
// else NetworkManager's library when NetworkManager runs and manages a wireless device (the
// library itself is asked: it has a card); else wpa_supplicant's library when a control socket
// of a wireless interface exists; else the simulated card. The reason goes with the choice.

#include "DriverLoader.h"

#include <functional>
#include <string>

namespace tembrel {

// Where the choice looks; tests point the folders elsewhere.
struct DriverLookup {
    std::string executablePath;
    std::string sysfs = "/sys";
    std::string networkManagerRunDir = "/run/NetworkManager";
    std::string wpaControlDir = "/run/wpa_supplicant";  // $TEMBREL_WPA_CTRL_DIR
    std::string networkManagerInterface;               // $TEMBREL_NM_INTERFACE
    std::string wpaInterface;                          // $TEMBREL_WPA_INTERFACE
    std::function<DriverLoadResult(const std::string& path)> load = LoadDriverLibrary;
    // The folders and interfaces of this machine, as the environment sets them.
    static DriverLookup FromEnvironment(const std::string& executablePath);
};

struct DriverChoice {
    DriverLoadResult loaded;
    std::string reason;  // one line: which library and why
};

DriverChoice ChooseDriverLibrary(const std::string& optionPath, const char* environmentPath, const DriverLookup& lookup);

}  // namespace tembrel
