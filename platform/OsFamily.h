#pragma once
// The operating-system family code that selects platform-specific branches of the program.
// Linux takes the branches of "other Windows 5.x" (no Zero-Config handling, no monitor-mode
// timer); the --os-family option selects another family so that those branches run too.

#include <charconv>
#include <optional>
#include <string_view>

namespace tembrel {

enum class OsFamily : int {
    WindowsXp = 0,
    OtherWindows5 = 1,
    WindowsNt4 = 2,
    Windows9x = 3,
};

inline constexpr OsFamily kHostOsFamily = OsFamily::OtherWindows5;

constexpr int OsFamilyCode(OsFamily family) { return static_cast<int>(family); }

// The family named by the text of --os-family: a single decimal digit 0 to 3.
inline std::optional<OsFamily> ParseOsFamily(std::string_view text) {
    int code = -1;
    const auto [ptr, error] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (error != std::errc{} || ptr != text.data() + text.size() || code < 0 || code > 3) {
        return std::nullopt;
    }
    return static_cast<OsFamily>(code);
}

// The family the program runs as: the override when given, else the host's.
constexpr OsFamily CurrentOsFamily(std::optional<OsFamily> override) {
    return override.value_or(kHostOsFamily);
}

}  // namespace tembrel
