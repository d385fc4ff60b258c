#include "survey/ScanRequests.h"

#include <algorithm>
#include <cstring>

namespace tembrel {

ScanChannels AllChannels() {
    ScanChannels c{};
    for (size_t i = 0; i < c.size(); ++i) c[i] = static_cast<uint8_t>(i + 1);
    return c;
}

_ZARN9100_SSID_SCAN MakeSsidScanRequest(std::string_view ssid, const ScanChannels& channels) {
    _ZARN9100_SSID_SCAN request;
    std::memset(&request, 0, sizeof request);
    const size_t length = std::min(ssid.size(), sizeof request.Ssid);
    request.SsidLength = static_cast<uint32_t>(length);
    std::memcpy(request.Ssid, ssid.data(), length);
    std::memcpy(request.Channels, channels.data(), sizeof request.Channels);
    return request;
}

_ZARN9100_BSSID_SCAN MakeBssidScanRequest(const MacAddress& bssid, const ScanChannels& channels) {
    _ZARN9100_BSSID_SCAN request;
    std::memset(&request, 0, sizeof request);
    std::memcpy(request.Bssid, bssid.data(), sizeof request.Bssid);
    std::memcpy(request.Channels, channels.data(), sizeof request.Channels);
    return request;
}

int RequestSurveyScan(DriverLibrary& driver, ZARN9100_HANDLE handle, const SurveyFilter& filter) {
    uint32_t mode = 0;
    driver.QueryNetworkMode(handle, &mode);
    driver.SetNetworkMode(handle, mode);
    if (filter.anySsid && filter.anyBssid && filter.allChannels) {
        return driver.Scan(handle);
    }
    if (filter.anySsid) {
        constexpr MacAddress kAnyBssid{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        const auto request = MakeBssidScanRequest(filter.anyBssid ? kAnyBssid : filter.bssid, filter.channels);
        return driver.BssidScan(handle, &request);
    }
    const auto request = MakeSsidScanRequest(filter.ssid, filter.channels);
    return driver.SsidScan(handle, &request, ZARN9100_SSID_SCAN_ANY_TYPE);
}

bool ReadScanList(DriverLibrary& driver, ZARN9100_HANDLE handle, ScanBuffer& buffer) {
    buffer.fill(0);
    return driver.QueryScanList(handle, buffer.data(), static_cast<uint32_t>(buffer.size())) == 0;
}

bool ReadScanListWithLength(DriverLibrary& driver, ZARN9100_HANDLE handle, ScanBuffer& buffer) {
    buffer.fill(0);
    uint32_t length = 0;
    const int result = driver.QueryScanListLength(handle, buffer.data(), static_cast<uint32_t>(buffer.size()), &length);
    return result >= 0 && length != 0;
}

}  // namespace tembrel
