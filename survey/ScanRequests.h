#pragma once
// Asking the card for a scan and reading the list back.

#include "adapter/DriverLibrary.h"
#include "survey/ScanEntry.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tembrel {

using ScanChannels = std::array<uint8_t, 14>;  // channel numbers, unused bytes 0

// The site survey's filter items, written by the Advanced filter dialog.
struct SurveyFilter {
    bool anySsid = true;
    bool anyBssid = true;
    bool allChannels = true;
    std::string ssid;        // at most 32 bytes are used
    MacAddress bssid{};
    ScanChannels channels{};
};

// Channels 1, 2, ..., 14.
ScanChannels AllChannels();

// Zero-filled request; an SSID longer than 32 bytes is cut to 32.
_ZARN9100_SSID_SCAN MakeSsidScanRequest(std::string_view ssid, const ScanChannels& channels);
_ZARN9100_BSSID_SCAN MakeBssidScanRequest(const MacAddress& bssid, const ScanChannels& channels);

// Refresh's scan request: reads the network mode and writes it back, then Scan when the filter
// is open in every respect, BssidScan for any SSID (FF-FF-FF-FF-FF-FF for any BSSID), else the
// two-argument SsidScan with the filter's SSID. Returns the scan call's result (0: the card
// took the request), so that a card that cannot scan at all can be named as such.
int RequestSurveyScan(DriverLibrary& driver, ZARN9100_HANDLE handle, const SurveyFilter& filter);

// Zero-fills the buffer and calls QueryScanList; true when the buffer may be read (result 0).
bool ReadScanList(DriverLibrary& driver, ZARN9100_HANDLE handle, ScanBuffer& buffer);

// Zero-fills the buffer and calls QueryScanListLength; true when the result is not negative and
// the reported length is not 0.
bool ReadScanListWithLength(DriverLibrary& driver, ZARN9100_HANDLE handle, ScanBuffer& buffer);

}  // namespace tembrel
