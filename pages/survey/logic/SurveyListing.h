#pragma once
// The Site Survey page's list: which scanned networks are shown, in scan order, and what each
// row says. Plain data in, rows out; the page only draws them.

#include "survey/ScanEntry.h"
#include "survey/ScanRequests.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tembrel::survey {

// The "Networks Filter" check boxes.
struct ShowFlags {
    bool peerToPeer = true;
    bool b = true;  // 802.11b access points, and 802.11a ones with them
    bool g = true;
    bool a = false;  // kept from its (disabled) box; takes no part in the listing
};

// What the page copies of the connection snapshot at each rebuild.
struct LinkCopy {
    bool connected = false;
    std::string ssid;
    MacAddress bssid{};
    bool adHoc = false;
    uint32_t channel = 0;
};

// Row icons, in the order of the page's image list; the "current" variant is one more.
enum RowIcon : int {
    kIconAdHoc = 0,
    kIconAdHocCurrent = 1,
    kIconAccessPointB = 2,
    kIconAccessPointBCurrent = 3,
    kIconAccessPointGA = 4,
    kIconAccessPointGACurrent = 5,
};

struct SurveyRow {
    uint32_t entryIndex = 0;  // the entry's index in the scan buffer
    std::string ssid;         // empty for a network that hides its SSID
    std::string ssidText;     // column 0: the SSID, or "<MAC>" when it is empty
    std::string macText;      // "%02X-%02X-%02X-%02X-%02X-%02X"
    std::string security;     // "Enable" / "Disable"
    uint32_t channel = 0;
    int signalPercent = 0;
    std::string networkType;  // "Ad-Hoc" / "Infrastructure"
    int icon = kIconAdHoc;
    bool current = false;
};

std::string MacText(const MacAddress& mac);

// The rows for a scan buffer: entries with an SSID longer than 32 bytes, entries the show flags
// or the filter exclude, and entries on no known channel are left out.
std::vector<SurveyRow> BuildSurveyRows(std::span<const uint8_t> buffer, const ShowFlags& show,
                                       const SurveyFilter& filter, const LinkCopy& link);

// The page's line under the list, or "" when the list speaks for itself (an empty list from a
// card that took the scan means nothing is in range). A card that refused the last scan request
// (a wired port, for one) cannot look for networks, and a list the card would not hand over is
// no proof that nothing is in range: both are said, not shown as an empty list.
std::string SurveyNotice(int scanResult, bool listRead);

}  // namespace tembrel::survey
