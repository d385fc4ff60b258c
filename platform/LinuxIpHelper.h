#pragma once
// IpHelper over Linux: interfaces and counters from sysfs (/sys/class/net), IPv4 addresses and
// default routes from rtnetlink. DHCP is reported for an address without IFA_F_PERMANENT, i.e.
// one that carries a lease lifetime.

#include "platform/IpHelper.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace tembrel {

class LinuxIpHelper final : public IpHelper {
public:
    // Returns the messages of an IPv4 dump of the given request type, nullopt on failure.
    using DumpFunction = std::function<std::optional<std::vector<uint8_t>>(uint16_t requestType)>;

    LinuxIpHelper();  // the real /sys/class/net and a netlink socket
    LinuxIpHelper(std::filesystem::path sysClassNet, DumpFunction dump);

    std::optional<AdapterAddressInfo> findAdapter(const MacAddress& mac) const override;
    std::optional<InterfaceCounters> readCounters(uint32_t interfaceIndex) const override;

private:
    std::optional<std::filesystem::path> interfaceDirectory(uint32_t interfaceIndex) const;

    std::filesystem::path root_;
    DumpFunction dump_;
};

// "00:1a:2b:3c:4d:5e" (as sysfs writes it) to bytes; nullopt unless exactly six hex pairs.
std::optional<MacAddress> parseMacText(std::string_view text);

}  // namespace tembrel
