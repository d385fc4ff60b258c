#include "pages/survey/logic/FilterSettings.h"

#include "profiles/ProfileText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tembrel::survey {

namespace {

uint32_t ClampChannel(uint32_t channel) { return std::clamp(channel, kFirstFilterChannel, kLastFilterChannel); }

int HexValue(char c) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper >= '0' && upper <= '9') return upper - '0';
    if (upper >= 'A' && upper <= 'F') return upper - 'A' + 10;
    return -1;
}

std::vector<uint32_t> ChannelsFromTo(uint32_t first, uint32_t last) {
    std::vector<uint32_t> out;
    for (uint32_t c = first; c <= last; ++c) out.push_back(c);
    return out;
}

}  // namespace

FilterForm FormFromFilter(const SurveyFilter& filter) {
    FilterForm form;
    form.anySsid = filter.anySsid;
    form.anyBssid = filter.anyBssid;
    form.ssid = filter.ssid.substr(0, CutLength(filter.ssid, kFilterSsidMaxBytes));
    for (std::size_t i = 0; i < form.bssid.size(); ++i) {
        char text[3];
        std::snprintf(text, sizeof text, "%02X", filter.bssid[i]);
        form.bssid[i] = text;
    }
    const auto& channels = filter.channels;
    if (filter.allChannels)
        form.mode = ChannelMode::All;
    else
        form.mode = channels[1] != 0 ? ChannelMode::Range : ChannelMode::Single;
    form.single = channels[0] != 0 ? ClampChannel(channels[0]) : 1;
    if (channels[0] != 0 && channels[1] != 0) {
        std::size_t last = 0;
        while (last + 1 < channels.size() && channels[last + 1] != 0) ++last;
        form.rangeStart = ClampChannel(channels[0]);
        form.rangeEnd = std::max(form.rangeStart, ClampChannel(channels[last]));
    } else {
        // No range held: the end box falls back to its first entry.
        form.rangeStart = 1;
        form.rangeEnd = 1;
    }
    // A specific SSID and a specific BSSID exclude each other; the BSSID choice wins at set-up.
    if (!form.anyBssid) form.anySsid = true;
    return form;
}

std::vector<uint32_t> RangeStartChoices(uint32_t end) {
    return ChannelsFromTo(kFirstFilterChannel, ClampChannel(end));
}

std::vector<uint32_t> RangeEndChoices(uint32_t start) {
    return ChannelsFromTo(ClampChannel(start), kLastFilterChannel);
}

uint8_t ParseBssidByte(std::string_view text) {
    if (text.empty()) return 0;
    const int high = HexValue(text[0]);
    uint8_t value = static_cast<uint8_t>((high < 0 ? 0 : high) << 4);
    if (text.size() > 1) {
        const int low = HexValue(text[1]);
        if (low >= 0) value = static_cast<uint8_t>(value + low);
    }
    return value;
}

std::string CleanBssidText(std::string_view typed) {
    std::string out;
    for (char c : typed) {
        if (out.size() == 2) break;
        if (HexValue(c) >= 0) out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    return out;
}

std::optional<SurveyFilter> FilterFromForm(const FilterForm& form) {
    if (!form.anySsid && form.ssid.empty()) return std::nullopt;
    SurveyFilter filter;
    filter.anySsid = form.anySsid;
    filter.anyBssid = form.anyBssid;
    filter.ssid = form.ssid.substr(0, CutLength(form.ssid, kFilterSsidMaxBytes));
    for (std::size_t i = 0; i < form.bssid.size(); ++i) filter.bssid[i] = ParseBssidByte(form.bssid[i]);
    filter.channels = {};
    switch (form.mode) {
    case ChannelMode::Single:
        filter.allChannels = false;
        filter.channels[0] = static_cast<uint8_t>(ClampChannel(form.single));
        break;
    case ChannelMode::Range: {
        filter.allChannels = false;
        const uint32_t start = ClampChannel(form.rangeStart);
        const uint32_t end = std::max(start, ClampChannel(form.rangeEnd));
        for (uint32_t c = start, i = 0; c <= end && i < filter.channels.size(); ++c, ++i)
            filter.channels[i] = static_cast<uint8_t>(c);
        break;
    }
    case ChannelMode::All:
        filter.allChannels = true;
        filter.channels = AllChannels();
        break;
    }
    return filter;
}

}  // namespace tembrel::survey
