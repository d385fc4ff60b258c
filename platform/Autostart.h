#pragma once
// Starting the utility with the desktop session: the user's XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/<application id>.desktop, else ~/.config/autostart/...), written
// or removed by "Tembrel --autostart on|off".

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tembrel {

// The desktop-entry id: the installed .desktop file, the icon and the Wayland app id all carry it.
inline constexpr std::string_view kApplicationId = "com.orvix.Tembrel";

// The autostart entry's path; empty when no configuration folder is known.
std::filesystem::path AutostartEntryPath(const std::string& xdgConfigHome, const std::string& home);

// One argument as the Exec key of a desktop entry writes it: quoted when it holds a reserved
// character, with the string escapes applied and '%' doubled. Empty when the argument cannot be
// written there (not UTF-8, or a control character).
std::string DesktopExecArgument(std::string_view argument);

// The entry's text; the command is the program and its arguments. Empty when one of them cannot
// be written into an Exec key.
std::string AutostartEntryText(const std::vector<std::string>& command);

struct AutostartResult {
    bool ok = false;
    std::string message;  // what happened, or why it failed
};

// Writes the entry (atomically, creating the autostart folder) or removes it; removing an
// entry that is not there succeeds.
AutostartResult EnableAutostart(const std::filesystem::path& entry, const std::vector<std::string>& command);
AutostartResult DisableAutostart(const std::filesystem::path& entry);

}  // namespace tembrel
