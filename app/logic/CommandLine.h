#pragma once
// The program's command-line options.

#include <optional>
#include <string>
#include <vector>

namespace tembrel {

struct CommandLine {
    std::string driverPath;               // --driver PATH
    std::string configDir;                // --config-dir DIR
    std::optional<int> osFamily;          // --os-family N (0..3)
    std::optional<bool> autostart;        // --autostart on|off
    std::optional<std::string> report;    // --report [FILE]: "" = the default file
    std::string since = "7d";             // --since PERIOD (with --report)
    bool openReport = false;              // --open (with --report)
    bool help = false;                    // --help
    bool version = false;                 // --version
};

struct CommandLineResult {
    CommandLine options;
    std::string error;  // non-empty: a message for standard error, exit status 2
};

// args excludes the program name. Qt's own options (-platform, -style ...) are removed by
// QApplication before this sees them.
CommandLineResult ParseCommandLine(const std::vector<std::string>& args);

// Whether the program's own option `name` ("--driver") takes the next argument as its value.
bool OptionTakesValue(const std::string& name);

std::string CommandLineHelp(const std::string& programName);

}  // namespace tembrel
