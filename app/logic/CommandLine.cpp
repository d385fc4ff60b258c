#include "CommandLine.h"

#include "history/ReportCommand.h"
#include "platform/OsFamily.h"

namespace tembrel {

namespace {
// "--name VALUE" or "--name=VALUE".
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value,
               std::string& error) {
    const std::string& a = args[i];
    if (a == name) {
        if (i + 1 >= args.size()) {
            error = "option " + name + " needs a value";
            return true;
        }
        value = args[++i];
        return true;
    }
    if (a.rfind(name + "=", 0) == 0) {
        value = a.substr(name.size() + 1);
        return true;
    }
    return false;
}
}  // namespace

CommandLineResult ParseCommandLine(const std::vector<std::string>& args) {
    CommandLineResult r;
    bool sinceGiven = false;
    for (size_t i = 0; i < args.size() && r.error.empty(); ++i) {
        std::string value;
        if (args[i] == "--help" || args[i] == "-h") {
            r.options.help = true;
        } else if (args[i] == "--version") {
            r.options.version = true;
        } else if (TakeValue(args, i, "--driver", value, r.error)) {
            if (r.error.empty() && value.empty()) r.error = "option --driver needs a path";
            r.options.driverPath = value;
        } else if (TakeValue(args, i, "--config-dir", value, r.error)) {
            if (r.error.empty() && value.empty()) r.error = "option --config-dir needs a folder";
            r.options.configDir = value;
        } else if (TakeValue(args, i, "--os-family", value, r.error)) {
            if (!r.error.empty()) break;
            if (const auto family = ParseOsFamily(value))
                r.options.osFamily = OsFamilyCode(*family);
            else
                r.error = "option --os-family takes 0, 1, 2 or 3, not \"" + value + "\"";
        } else if (TakeValue(args, i, "--autostart", value, r.error)) {
            if (!r.error.empty()) break;
            if (value == "on" || value == "off")
                r.options.autostart = value == "on";
            else
                r.error = "option --autostart takes on or off, not \"" + value + "\"";
        } else if (args[i] == "--report") {
            // The file is optional: the next argument when it is not an option.
            r.options.report = i + 1 < args.size() && !args[i + 1].starts_with("-") ? args[++i] : std::string();
        } else if (args[i].starts_with("--report=")) {
            r.options.report = args[i].substr(std::string_view("--report=").size());
        } else if (TakeValue(args, i, "--since", value, r.error)) {
            if (!r.error.empty()) break;
            if (!ParseReportPeriod(value))
                r.error = "option --since takes a number and m, h, d or w (7d), not \"" + value + "\"";
            r.options.since = value;
            sinceGiven = true;
        } else if (args[i] == "--open") {
            r.options.openReport = true;
        } else {
            r.error = "unknown option \"" + args[i] + "\" (try --help)";
        }
    }
    if (r.error.empty() && !r.options.report && (sinceGiven || r.options.openReport))
        r.error = std::string(sinceGiven ? "--since" : "--open") + " goes with --report";
    return r;
}

bool OptionTakesValue(const std::string& name) {
    return name == "--driver" || name == "--config-dir" || name == "--os-family" || name == "--autostart" ||
           name == "--since";
}

std::string CommandLineHelp(const std::string& programName) {
    return "Usage: " + programName + " [options]\n"
           "Configures and watches the Orvix LX-7700 wireless-LAN card.\n"
           "\n"
           "Options:\n"
           "  --driver PATH      driver library to load (default: $TEMBREL_LIBRARY, else\n"
           "                     NetworkManager's when it manages a wireless card, else\n"
           "                     wpa_supplicant's when it has a control socket, else\n"
           "                     lib" + programName + ".so, the simulated card)\n"
           "  --config-dir DIR   keep Data.cfg, Tembrel.ini and the other data files in DIR\n"
           "                     (default: beside the program, else the user's config folder)\n"
           "  --os-family N      behave as operating-system family N: 0 with the wireless\n"
           "                     configuration service, 1 (Linux, the default), 2, 3 (dynamic\n"
           "                     hardware registry)\n"
           "  --autostart on|off start the utility with the desktop session, or no longer:\n"
           "                     writes or removes the user's XDG autostart entry, then exits\n"
           "  --report [FILE]    write the Wi-Fi report of the connection history as one\n"
           "                     HTML page (default: wifi-report.html in the history\n"
           "                     folder), print its path and exit\n"
           "  --since PERIOD     the report's period: 30m, 12h, 7d (the default), 2w\n"
           "  --open             open the report in the desktop's browser\n"
           "  --version          show the version and exit\n"
           "  -h, --help         show this help and exit\n";
}

}  // namespace tembrel
