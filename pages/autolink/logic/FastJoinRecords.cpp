#include "pages/autolink/logic/FastJoinRecords.h"

#include <algorithm>
#include <cstring>

namespace tembrel {

_QELT_FASTJOIN_SEC_INFO MakeFastJoinSecurityInfo(uint32_t apTag, std::string_view pin, const CardIpSettings& ip) {
    _QELT_FASTJOIN_SEC_INFO info;
    std::memset(&info, 0, sizeof info);
    info.Length = static_cast<uint8_t>(sizeof info);
    info.ApTag = static_cast<uint8_t>(apTag & 0xFF);
    std::memcpy(info.Pin, pin.data(), std::min(pin.size(), sizeof info.Pin - 1));
    std::memcpy(info.FixedBlock, kFastJoinFixedBlock.data(), sizeof info.FixedBlock);
    info.AddressMode = ip.dhcp ? kFastJoinAddressDhcp : kFastJoinAddressStatic;
    for (int i = 0; i < 4; ++i) info.IpAddress[i] = static_cast<uint8_t>(ip.ipAddress >> (24 - 8 * i));
    return info;
}

_QELT_FASTJOIN_SETUP_REQ MakeFastJoinSetupRequest(uint32_t apTag) {
    _QELT_FASTJOIN_SETUP_REQ request;
    std::memset(&request, 0, sizeof request);
    request.Length = static_cast<uint8_t>(sizeof request);
    request.ApTag = static_cast<uint8_t>(apTag & 0xFF);
    request.Field1 = 1;
    request.Field2 = 1;
    request.Field3 = 0;
    return request;
}

std::optional<std::string> FastJoinSsid(const _QELT_FASTJOIN_SSID_INFO& info) {
    if (info.SsidLength == 0 || info.SsidLength > sizeof info.Ssid) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(info.Ssid), info.SsidLength);
}

}  // namespace tembrel
