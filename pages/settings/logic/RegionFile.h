#pragma once
// Region.cfg: the countries and channels for strict 802.11d operation, and the region control
// records the Region page exchanges with the card.
//
// One country a line: name:CC:power:power11a:first,count:first,count:...
// A line ends at CR, LF or the end of the file; empty lines and lines starting with "/" are
// skipped; a malformed line is dropped without a message.

#include <Tembrel.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembrel {

inline constexpr std::string_view kRegionFileName = "Region.cfg";

// The region control modes.
inline constexpr uint8_t kRegionDisabled = 1;  // the card's own default
inline constexpr uint8_t kRegionFlexible = 2;  // from the access points' beacons
inline constexpr uint8_t kRegionStrict = 3;    // the country of the record

struct RegionEntry {
    std::string name;               // the list entry's text
    _ZARN9100_REGION_CTRL record{};  // mode 0; the page sets 3 when it sends it
};

class RegionFile {
public:
    // The longest line kept (the line buffer is 1,024 bytes with its terminator); a longer line
    // is dropped whole rather than cut into something else.
    static constexpr size_t kMaxLineLength = 1023;
    // A larger file is not read at all (treated as unreadable).
    static constexpr uintmax_t kMaxFileBytes = 1 << 20;
    static constexpr size_t kMaxRanges = 16;

    // One line without its line end. nullopt for a comment, an empty or a malformed line.
    static std::optional<RegionEntry> ParseLine(std::string_view line);
    // Every accepted line of a file's text, in file order.
    static std::vector<RegionEntry> ParseText(std::string_view text);
    // nullopt when the file cannot be opened (missing, unreadable, a folder, too large).
    static std::optional<std::vector<RegionEntry>> Load(const std::filesystem::path& file);
};

// A zero-filled record carrying only the mode (Disabled and Flexible).
_ZARN9100_REGION_CTRL RegionModeRecord(uint8_t mode);
// The file's record for a country, sent with mode 3.
_ZARN9100_REGION_CTRL StrictRegionRecord(const RegionEntry& entry);
// Both letters of the country codes are equal.
bool SameCountry(const _ZARN9100_REGION_CTRL& a, const _ZARN9100_REGION_CTRL& b);

// The page's information text for a record (lines end in "\r\n").
std::string RegionInformationText(const _ZARN9100_REGION_CTRL& record);

}  // namespace tembrel
