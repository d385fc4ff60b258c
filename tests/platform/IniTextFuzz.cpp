// Fuzz target: the settings file reader and editor. The input is "section\0key\0value\0text";
// without NUL bytes it is all text, looked up as [Advanced] AutoLink.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/IniText.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// What the reader gives back for a value written as `value`: trimmed, one pair of quotes removed.
std::string AsRead(std::string_view value) {
    while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
    while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tembrel::ini;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view parts[3] = {"Advanced", "AutoLink", "1"};
    for (auto& part : parts) {
        const size_t nul = input.find('\0');
        if (nul == std::string_view::npos) break;
        part = input.substr(0, nul);
        input.remove_prefix(nul + 1);
    }
    const auto [section, key, rawValue] = parts;
    const std::string_view text = input;

    if (const auto found = FindValue(text, section, key)) (void)ParseInteger(*found);
    if (const auto number = ParseInteger(rawValue)) Check(ParseInteger(std::to_string(*number)) == number);

    if (!IsWritableName(section, key)) return 0;
    // The settings writer only ever writes one-line values.
    std::string value;
    for (const char c : rawValue)
        if (c != '\n' && c != '\r') value.push_back(c);
    const std::string edited = SetValue(text, section, key, value);
    const auto readBack = FindValue(edited, section, key);
    Check(readBack.has_value());
    Check(*readBack == AsRead(value));
    // Writing the same value again changes nothing.
    Check(SetValue(edited, section, key, value) == edited);
    return 0;
}
