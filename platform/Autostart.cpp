#include "Autostart.h"

#include "platform/Paths.h"

#include <QUtf8StringView>

#include <cstdint>
#include <span>
#include <system_error>

#include "profiles/AtomicFile.h"

namespace tembrel {

namespace fs = std::filesystem;

namespace {

// Characters that make an Exec argument need quotes (the desktop entry format's rules for the Exec key).
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
// Characters escaped with a backslash inside a quoted argument.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

bool Writable(std::string_view text) {
    if (!QUtf8StringView(text.data(), static_cast<qsizetype>(text.size())).isValidUtf8()) return false;
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

}  // namespace

fs::path AutostartEntryPath(const std::string& xdgConfigHome, const std::string& home) {
    const fs::path config = UserConfigHome(xdgConfigHome, home);
    if (config.empty()) return {};
    return config / "autostart" / (std::string(kApplicationId) + ".desktop");
}

std::string DesktopExecArgument(std::string_view argument) {
    if (!Writable(argument)) return {};
    const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
    // The quoting rule first, then the string escape of every backslash: a reader undoes them
    // in the opposite order.
    std::string quoted;
    if (quote) quoted += '"';
    for (char c : argument) {
        if (quote && kEscapedInQuotes.find(c) != std::string_view::npos) quoted += '\\';
        quoted += c;
    }
    if (quote) quoted += '"';
    std::string written;
    for (char c : quoted) {
        if (c == '\\') written += '\\';
        if (c == '%') written += '%';  // a lone '%' would start a field code
        written += c;
    }
    return written;
}

std::string AutostartEntryText(const std::vector<std::string>& command) {
    if (command.empty() || !Writable(command.front())) return {};
    // TryExec is a plain string: only its backslashes are escaped.
    std::string tryExec;
    for (char c : command.front()) {
        if (c == '\\') tryExec += '\\';
        tryExec += c;
    }
    std::string exec;
    for (const std::string& argument : command) {
        const std::string written = DesktopExecArgument(argument);
        if (written.empty()) return {};
        if (!exec.empty()) exec += ' ';
        exec += written;
    }
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Orvix LX-7700 Utility\n"
           "Comment=Configure and watch the wireless-LAN card from the notification area\n"
           "Exec=" + exec + "\n"
           // The session skips the entry once the program is gone (the package removed).
           "TryExec=" + tryExec + "\n"
           "Icon=" + std::string(kApplicationId) + "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

AutostartResult EnableAutostart(const fs::path& entry, const std::vector<std::string>& command) {
    if (entry.empty()) return {false, "no folder for the autostart entry: neither XDG_CONFIG_HOME nor HOME is set"};
    const std::string text = AutostartEntryText(command);
    if (text.empty())
        return {false, "the program's path cannot be written into a desktop entry (not UTF-8, or a control character)"};
    std::error_code error;
    fs::create_directories(entry.parent_path(), error);
    if (error) return {false, "cannot create " + entry.parent_path().string() + ": " + error.message()};
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    if (const StoreResult written = WriteFileAtomically(entry, std::span(bytes, text.size())); !written)
        return {false, "cannot write " + entry.string() + ": " + written.reason};
    return {true, "the utility now starts with the desktop session (" + entry.string() + ")"};
}

AutostartResult DisableAutostart(const fs::path& entry) {
    if (entry.empty()) return {false, "no folder for the autostart entry: neither XDG_CONFIG_HOME nor HOME is set"};
    std::error_code error;
    const bool removed = fs::remove(entry, error);
    if (error) return {false, "cannot remove " + entry.string() + ": " + error.message()};
    return {true, removed ? "the utility no longer starts with the desktop session (" + entry.string() + " removed)"
                          : "the utility was not set to start with the desktop session"};
}

}  // namespace tembrel
