#pragma once
// Reading and editing the text of a Windows-style initialisation file, without touching disk.
//
// Syntax, as the Windows profile functions read it:
// - "[Section]" starts a section; a line starting with '[' but without ']' is ignored.
// - "key = value": key and value are trimmed of blanks; keys may contain spaces.
// - a line starting with ';' is a comment; any other line without '=' is ignored.
// - section and key names match ASCII case-insensitively; the first match wins.
// - lines end with "\n" or "\r\n"; edits keep the file's own line ending.

#include <optional>
#include <string>
#include <string_view>

namespace tembrel::ini {

// The value of section/key, trimmed and with one pair of surrounding quotes removed;
// nullopt when the section or key is absent.
std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key);

// The integer a value stands for: optional blanks, optional sign, then decimal digits; text
// after the leading digits is ignored ("12abc" is 12). No digits, or a number outside the
// range of int, gives nullopt (the caller's default). Unlike GetPrivateProfileInt, which
// would read "abc" as 0, a damaged value falls back to the default.
std::optional<int> ParseInteger(std::string_view value);

// True when section and key can be written without changing the file's structure: not
// empty, no line breaks, no NUL, no '=' in the key, no ']' in the section, no surrounding blanks.
bool IsWritableName(std::string_view section, std::string_view key);

// The text with section/key set to value. Every other line stays as it was: an existing key
// line is rewritten in place (keeping the key's spelling), a new key goes after the last
// non-blank line of the first matching section, a missing section is appended at the end.
// The names must pass IsWritableName.
std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value);

}  // namespace tembrel::ini
