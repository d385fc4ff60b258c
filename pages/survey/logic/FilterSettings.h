#pragma once
// The Advanced Filter dialog's values and rules, without the dialog: what it shows for a filter,
// the channel lists of its combo boxes, and the filter its OK stores.

#include "survey/ScanRequests.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembrel::survey {

inline constexpr uint32_t kFirstFilterChannel = 1;
inline constexpr uint32_t kLastFilterChannel = 14;
inline constexpr std::size_t kFilterSsidMaxBytes = 32;

enum class ChannelMode { All, Single, Range };

struct FilterForm {
    bool anySsid = true;
    bool anyBssid = true;
    std::string ssid;
    std::array<std::string, 6> bssid;  // two hexadecimal digits each
    ChannelMode mode = ChannelMode::All;
    uint32_t single = 1;
    uint32_t rangeStart = 1;
    uint32_t rangeEnd = kLastFilterChannel;
};

// What the dialog shows for the page's filter. Channel numbers outside 1 to 14 are brought into
// that range, and the range's start never lies above its end.
FilterForm FormFromFilter(const SurveyFilter& filter);

// The start box lists 1 to min(end, 14); the end box lists start to 14.
std::vector<uint32_t> RangeStartChoices(uint32_t end);
std::vector<uint32_t> RangeEndChoices(uint32_t start);

// One BSSID byte from its edit: the first character the high four bits (0 for anything but a
// hexadecimal digit), the second, when hexadecimal, the low four bits. "0A" = 0x0A, "A" = 0xA0.
uint8_t ParseBssidByte(std::string_view text);
// What a BSSID edit keeps of typed text: hexadecimal digits only, upper-cased, at most two.
std::string CleanBssidText(std::string_view typed);

// The filter OK stores, or nothing when a specific SSID was chosen but not given ("Please enter a
// valid SSID!"). At most 14 channels, all within 1 to 14.
std::optional<SurveyFilter> FilterFromForm(const FilterForm& form);

}  // namespace tembrel::survey
