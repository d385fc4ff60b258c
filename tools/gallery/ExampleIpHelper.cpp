#include "ExampleIpHelper.h"

#include <cmath>

namespace tembrel::gallery {

namespace {

constexpr uint32_t kInterfaceIndex = 3;

}  // namespace

std::optional<AdapterAddressInfo> ExampleIpHelper::findAdapter(const MacAddress& mac) const {
    mac_ = mac;
    AdapterAddressInfo info;
    info.interfaceName = "wlan0";
    info.interfaceIndex = kInterfaceIndex;
    info.mac = mac;
    info.dhcpEnabled = true;
    info.ipAddress = 0xC0A80114;       // 192.168.1.20
    info.subnetMask = 0xFFFFFF00;      // 255.255.255.0
    info.defaultGateway = 0xC0A80101;  // 192.168.1.1
    return info;
}

std::optional<InterfaceCounters> ExampleIpHelper::readCounters(uint32_t interfaceIndex) const {
    if (interfaceIndex != kInterfaceIndex) return std::nullopt;
    // About 60 kB/s in and a tenth of it out, swelling and ebbing over some seconds.
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
    const double in = ms * 60.0 + 100000.0 * std::sin(ms / 2000.0);
    InterfaceCounters row;
    row.type = kInterfaceTypeEthernet;
    row.physicalAddressLength = 6;
    row.physicalAddress = mac_;
    row.inOctets = static_cast<uint32_t>(std::llround(in + 100000.0));
    row.outOctets = static_cast<uint32_t>(std::llround((in + 100000.0) / 10.0));
    return row;
}

}  // namespace tembrel::gallery
