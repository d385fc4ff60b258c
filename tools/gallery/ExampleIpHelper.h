#pragma once
// The IP stack the pictures show: whatever the card's MAC address, one interface with fixed
// example addresses (DHCP, 192.168.1.20/24 behind 192.168.1.1) and octet counters that grow
// with time, so that the Network Status page fills its TCP/IP box and its graphs on any machine.

#include "platform/IpHelper.h"

#include <chrono>

namespace tembrel::gallery {

class ExampleIpHelper final : public IpHelper {
public:
    std::optional<AdapterAddressInfo> findAdapter(const MacAddress& mac) const override;
    std::optional<InterfaceCounters> readCounters(uint32_t interfaceIndex) const override;

private:
    mutable MacAddress mac_{};  // the card's, as last asked for
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace tembrel::gallery
