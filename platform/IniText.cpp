#include "IniText.h"

#include <charconv>
#include <limits>
#include <vector>

namespace tembrel::ini {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

struct Line {
    size_t begin = 0;  // first character
    size_t end = 0;    // one past the last character, line ending excluded
    size_t next = 0;   // start of the following line
    bool terminated = false;
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        Line line;
        line.begin = pos;
        const size_t newline = text.find('\n', pos);
        if (newline == std::string_view::npos) {
            line.end = text.size();
            line.next = text.size();
        } else {
            line.end = newline;
            line.next = newline + 1;
            line.terminated = true;
        }
        if (line.end > line.begin && text[line.end - 1] == '\r') --line.end;
        lines.push_back(line);
        pos = line.next;
    }
    return lines;
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section or key name
    std::string_view value;  // key lines only
};

ParsedLine Parse(std::string_view content) {
    const std::string_view line = Trim(content);
    if (line.empty() || line.front() == ';') return {};
    if (line.front() == '[') {
        const size_t close = line.find(']');
        if (close == std::string_view::npos) return {};
        return {LineKind::Section, Trim(line.substr(1, close - 1)), {}};
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return {};
    return {LineKind::Key, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::string_view LineEnding(std::string_view text) {
    const size_t newline = text.find('\n');
    if (newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r') return "\r\n";
    return "\n";
}

}  // namespace

std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
    bool inSection = false;
    for (const Line& line : SplitLines(text)) {
        const ParsedLine parsed = Parse(text.substr(line.begin, line.end - line.begin));
        if (parsed.kind == LineKind::Section) {
            inSection = SameName(parsed.name, section);
        } else if (parsed.kind == LineKind::Key && inSection && SameName(parsed.name, key)) {
            return std::string(Unquote(parsed.value));
        }
    }
    return std::nullopt;
}

std::optional<int> ParseInteger(std::string_view value) {
    value = Trim(value);
    bool negative = false;
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    size_t digits = 0;
    while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9') ++digits;
    if (digits == 0) return std::nullopt;
    // Parse the magnitude wider than int so that INT_MIN itself round-trips.
    long long magnitude = 0;
    const auto [ptr, error] = std::from_chars(value.data(), value.data() + digits, magnitude);
    if (error != std::errc{} || ptr != value.data() + digits) return std::nullopt;
    const long long number = negative ? -magnitude : magnitude;
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

bool IsWritableName(std::string_view section, std::string_view key) {
    auto clean = [](std::string_view name) {
        if (name.empty() || Trim(name).size() != name.size()) return false;
        return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
    };
    return clean(section) && clean(key) && section.find(']') == std::string_view::npos &&
           key.find('=') == std::string_view::npos && key.front() != '[' && key.front() != ';';
}

std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value) {
    const std::vector<Line> lines = SplitLines(text);
    const std::string_view eol = LineEnding(text);

    // A new key goes after the last non-blank line of the first matching section.
    enum class FirstSection { NotSeen, Inside, Passed } first = FirstSection::NotSeen;
    std::optional<size_t> insertAfter;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        const std::string_view content = text.substr(line.begin, line.end - line.begin);
        const ParsedLine parsed = Parse(content);
        if (parsed.kind == LineKind::Section) {
            if (first == FirstSection::Inside) first = FirstSection::Passed;
            inSection = SameName(parsed.name, section);
            if (inSection && first == FirstSection::NotSeen) {
                first = FirstSection::Inside;
                insertAfter = i;
            }
            continue;
        }
        if (parsed.kind == LineKind::Key && inSection && SameName(parsed.name, key)) {
            std::string result(text.substr(0, line.begin));
            result.append(parsed.name).append("=").append(value);
            result.append(text.substr(line.end));
            return result;
        }
        if (first == FirstSection::Inside && !Trim(content).empty()) insertAfter = i;
    }

    std::string newLine;
    newLine.append(key).append("=").append(value);
    if (insertAfter) {
        const Line& anchor = lines[*insertAfter];
        std::string result(text.substr(0, anchor.next));
        if (!anchor.terminated) result.append(eol);
        result.append(newLine).append(eol);
        result.append(text.substr(anchor.next));
        return result;
    }

    std::string result(text);
    if (!result.empty() && result.back() != '\n') result.append(eol);
    if (!lines.empty() && !Trim(text.substr(lines.back().begin, lines.back().end - lines.back().begin)).empty()) {
        result.append(eol);  // a blank line between the last section and the new one
    }
    result.append("[").append(section).append("]").append(eol);
    result.append(newLine).append(eol);
    return result;
}

}  // namespace tembrel::ini
