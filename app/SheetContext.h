#pragma once
// What the application object hands the main window: the services it uses for its whole life.

#include <string>

namespace tembrel {

class DriverLibrary;
class Settings;
class DialogService;
class IpHelper;

struct SheetContext {
    DriverLibrary& library;
    Settings& settings;
    DialogService& dialogs;
    int osFamily = 1;
    std::string profileStorePath;  // Data.cfg
    std::string settingsPath;      // Tembrel.ini
    // The system's interfaces and counters; null: the Linux implementation. Tests pass a double
    // (the sheet takes ownership).
    IpHelper* ipHelper = nullptr;
};

}  // namespace tembrel
