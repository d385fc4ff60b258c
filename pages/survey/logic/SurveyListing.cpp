#include "pages/survey/logic/SurveyListing.h"

#include "survey/ChannelPlan.h"

#include <algorithm>
#include <cstdio>

namespace tembrel::survey {

std::string MacText(const MacAddress& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

namespace {

bool KindShown(bool adHoc, uint32_t band, const ShowFlags& show) {
    if (adHoc) return show.peerToPeer;
    return band == kBand80211g ? show.g : show.b;
}

bool PassesFilter(const ScanEntry& entry, uint32_t channel, const SurveyFilter& filter, const LinkCopy& link) {
    if (!filter.anyBssid) {
        const MacAddress mac = entry.macAddress();
        if (mac != filter.bssid && mac != link.bssid) return false;
    }
    if (!filter.anySsid) {
        const std::string_view ssid = entry.ssid();
        if (ssid == link.ssid) return true;
        if (ssid != filter.ssid) return false;
        return channel != 0 &&
               std::find(filter.channels.begin(), filter.channels.end(), channel) != filter.channels.end();
    }
    return true;
}

}  // namespace

std::vector<SurveyRow> BuildSurveyRows(std::span<const uint8_t> buffer, const ShowFlags& show,
                                       const SurveyFilter& filter, const LinkCopy& link) {
    std::vector<SurveyRow> rows;
    const ScanList list(buffer);
    for (auto it = list.begin(); it != list.end(); ++it) {
        const ScanEntry entry = *it;
        if (!entry.hasUsableSsid()) continue;
        const uint32_t band = ClassifyBand(entry);
        const bool adHoc = entry.infrastructureMode() == 0;
        if (!KindShown(adHoc, band, show)) continue;
        const uint32_t channel = ChannelFromFrequency(entry.dsConfigKHz());
        if (!PassesFilter(entry, channel, filter, link)) continue;
        if (channel == 0) continue;

        SurveyRow row;
        row.entryIndex = it.index();
        row.ssid = std::string(entry.ssid());
        row.macText = MacText(entry.macAddress());
        row.ssidText = row.ssid.empty() ? "<" + row.macText + ">" : row.ssid;
        row.security = entry.privacy() != 0 ? "Enable" : "Disable";
        row.channel = channel;
        row.signalPercent = SignalPercent(entry);
        row.networkType = adHoc ? "Ad-Hoc" : "Infrastructure";
        row.current = link.connected && entry.macAddress() == link.bssid && row.ssid == link.ssid &&
                      adHoc == link.adHoc && channel == link.channel;
        row.icon = (adHoc ? kIconAdHoc : band == kBand80211b ? kIconAccessPointB : kIconAccessPointGA) +
                   (row.current ? 1 : 0);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string SurveyNotice(int scanResult, bool listRead) {
    if (scanResult != 0)
        return "This card cannot scan for networks: it refused the scan (result " + std::to_string(scanResult) +
               "), so no networks are listed.";
    if (!listRead) return "The card did not hand over its list of networks; Refresh asks again.";
    return {};
}

}  // namespace tembrel::survey
