#include "RegionFile.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

namespace tembrel {

namespace {

constexpr uint8_t kReservedFromFile = 0xFF;  // both bytes of the reserved word
constexpr unsigned kLastRangeFirstChannel = 14;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal digits only, non-empty, at most 255 (a byte of the record).
std::optional<uint8_t> ParseByte(std::string_view text) {
    if (text.empty()) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + unsigned(c - '0');
        if (value > 255) return std::nullopt;
    }
    return uint8_t(value);
}

// A first channel: decimal digits, any size; a value above 14 ends the list.
std::optional<unsigned> ParseChannel(std::string_view text) {
    if (text.empty()) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        if (value <= 1000) value = value * 10 + unsigned(c - '0');
    }
    return value;
}

struct Range {
    unsigned first;
    uint8_t count;
};

// "first,count"; with more than one comma the number before the last comma is the first channel.
// An empty number is 0 (a count of 0 names the first channel alone; a first channel of 0 ends the
// list); a number that does not fit is still refused.
std::optional<Range> ParseRange(std::string_view field) {
    for (char c : field)
        if (!IsDigit(c) && c != ',') return std::nullopt;
    const size_t lastComma = field.rfind(',');
    if (lastComma == std::string_view::npos) return std::nullopt;
    const std::string_view before = field.substr(0, lastComma);
    const size_t previousComma = before.rfind(',');
    const std::string_view first = previousComma == std::string_view::npos ? before : before.substr(previousComma + 1);
    const std::string_view countText = field.substr(lastComma + 1);
    const auto channel = first.empty() ? std::optional<unsigned>(0) : ParseChannel(first);
    const auto count = countText.empty() ? std::optional<uint8_t>(0) : ParseByte(countText);
    if (!channel || !count) return std::nullopt;
    return Range{*channel, *count};
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t colon = line.find(':', start);
        if (colon == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, colon - start));
        start = colon + 1;
    }
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

}  // namespace

std::optional<RegionEntry> RegionFile::ParseLine(std::string_view line) {
    if (line.empty() || line.size() > kMaxLineLength || line.front() == '/') return std::nullopt;
    if (line.find('\0') != std::string_view::npos) return std::nullopt;  // not a text line
    const std::vector<std::string_view> fields = SplitFields(line);
    // Name, code and both powers, each followed by a colon; the rest are ranges.
    if (fields.size() < 5) return std::nullopt;
    RegionEntry entry;
    if (fields[0].empty() || fields[1].size() != 2) return std::nullopt;
    for (char c : fields[1])
        if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
    const auto power = ParseByte(fields[2]);
    const auto power11a = ParseByte(fields[3]);
    if (!power || !power11a) return std::nullopt;
    entry.name = std::string(fields[0]);
    _ZARN9100_REGION_CTRL& r = entry.record;
    r.countryCode[0] = Upper(fields[1][0]);
    r.countryCode[1] = Upper(fields[1][1]);
    r.environment = ' ';
    r.maxTxPower = *power;
    r.maxTxPower11a = *power11a;
    std::memset(&r.reserved, kReservedFromFile, sizeof r.reserved);

    size_t stored = 0;
    bool ended = false;
    for (size_t i = 4; i < fields.size(); ++i) {
        // A line that ends with a colon has no range after it.
        if (i + 1 == fields.size() && fields[i].empty()) break;
        const auto range = ParseRange(fields[i]);
        if (!range) return std::nullopt;
        if (ended || stored == kMaxRanges) continue;
        if (range->first == 0 || range->first > kLastRangeFirstChannel) {
            // Stored with first channel 0, which ends the list.
            r.channelRanges[stored][0] = 0;
            r.channelRanges[stored][1] = range->count;
            ++stored;
            ended = true;
            continue;
        }
        r.channelRanges[stored][0] = uint8_t(range->first);
        r.channelRanges[stored][1] = range->count;
        ++stored;
    }
    return entry;
}

std::vector<RegionEntry> RegionFile::ParseText(std::string_view text) {
    std::vector<RegionEntry> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (auto entry = ParseLine(text.substr(start, end - start))) entries.push_back(std::move(*entry));
        start = end + 1;
    }
    return entries;
}

std::optional<std::vector<RegionEntry>> RegionFile::Load(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
    const uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxFileBytes) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(size, '\0');
    in.read(text.data(), std::streamsize(size));
    text.resize(size_t(in.gcount()));
    if (in.bad()) return std::nullopt;
    return ParseText(text);
}

_ZARN9100_REGION_CTRL RegionModeRecord(uint8_t mode) {
    _ZARN9100_REGION_CTRL record{};
    record.mode = mode;
    return record;
}

_ZARN9100_REGION_CTRL StrictRegionRecord(const RegionEntry& entry) {
    _ZARN9100_REGION_CTRL record = entry.record;
    record.mode = kRegionStrict;
    return record;
}

bool SameCountry(const _ZARN9100_REGION_CTRL& a, const _ZARN9100_REGION_CTRL& b) {
    return a.countryCode[0] == b.countryCode[0] && a.countryCode[1] == b.countryCode[1];
}

std::string RegionInformationText(const _ZARN9100_REGION_CTRL& record) {
    std::string text;
    char line[96];
    // Exactly the three characters at offsets 1 to 3, up to the first NUL among them.
    const char code[3] = {record.countryCode[0], record.countryCode[1], record.environment};
    std::snprintf(line, sizeof line, "Country Code/Region Code: %.3s\r\n\r\n", std::string(code, 3).c_str());
    text += line;
    if (record.maxTxPower == 0)
        text += "Maximum Transmit Power: Auto\r\n";
    else {
        std::snprintf(line, sizeof line, "Maximum Transmit Power: %d dBm\r\n", record.maxTxPower);
        text += line;
    }
    if (record.channelRanges11a[0][0] != 0) {
        if (record.maxTxPower11a == 0)
            text += "Maximum Transmit Power (802.11a): Auto\r\n\r\nSupport Channels:\r\n";
        else {
            std::snprintf(line, sizeof line, "Maximum Transmit Power (802.11a): %d dBm\r\n\r\nSupport Channels:\r\n",
                          record.maxTxPower11a);
            text += line;
        }
    } else {
        text += "\r\nSupport Channels:\r\n";
    }
    for (const auto& range : record.channelRanges) {
        if (range[0] == 0) break;
        if (range[1] <= 1)
            std::snprintf(line, sizeof line, "\tChannel %d\r\n", range[0]);
        else
            std::snprintf(line, sizeof line, "\tChannel %d to Channel %d\r\n", range[0], range[0] + range[1] - 1);
        text += line;
    }
    for (const auto& range : record.channelRanges11a) {
        if (range[0] == 0) break;
        for (int i = 0; i < range[1]; ++i) {
            std::snprintf(line, sizeof line, "\tChannel %d\r\n", range[0] + 4 * i);
            text += line;
        }
    }
    return text;
}

}  // namespace tembrel
