#pragma once
// IpHelper over Linux: interfaces and counters from sysfs (/sys/class/net), IPv4 addresses and
// default routes from rtnetlink. DHCP is reported for an address without IFA_F_PERMANENT, i.e.
// one that carries a lease lifetime.
//
// The pages ask every second. What was found for a MAC address (or that nothing was), and where
// an interface's counters live, is kept until the change probe reports that links, addresses or
// routes changed; only the octet counters are read on every call.

#include "platform/IpHelper.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace tembrel {

class LinuxIpHelper final : public IpHelper {
public:
    // Returns the messages of an IPv4 dump of the given request type, nullopt on failure.
    using DumpFunction = std::function<std::optional<std::vector<uint8_t>>(uint16_t requestType)>;
    // True when links, addresses or routes may have changed since its previous call.
    using ChangeProbe = std::function<bool()>;

    LinuxIpHelper();  // the real /sys/class/net, netlink dumps and rtnetlink notifications
    // Without a probe nothing is kept: every call reads afresh.
    LinuxIpHelper(std::filesystem::path sysClassNet, DumpFunction dump, ChangeProbe changed = {});

    std::optional<AdapterAddressInfo> findAdapter(const MacAddress& mac) const override;
    std::optional<InterfaceCounters> readCounters(uint32_t interfaceIndex) const override;

private:
    struct FoundAdapter {
        MacAddress mac{};
        std::optional<AdapterAddressInfo> info;  // none: no interface has that address
    };
    // A sysfs attribute kept open: it is read again from its start, without a path walk.
    class OpenAttribute {
    public:
        explicit OpenAttribute(const std::filesystem::path& file);
        OpenAttribute(const OpenAttribute&) = delete;
        OpenAttribute& operator=(const OpenAttribute&) = delete;
        ~OpenAttribute();
        std::optional<uint64_t> read() const;

    private:
        int fd_ = -1;
    };
    struct CounterRow {
        uint32_t interfaceIndex = 0;
        InterfaceCounters identity;  // type and address; the octets are read on each call
        std::unique_ptr<OpenAttribute> rx;
        std::unique_ptr<OpenAttribute> tx;
    };

    // Drops what was kept when the probe reports a change (or there is no probe). Lock held.
    void forgetOnChange() const;
    // The lookups themselves; the bool tells whether the answer is complete enough to keep.
    std::pair<std::optional<AdapterAddressInfo>, bool> lookUpAdapter(const MacAddress& mac) const;
    std::optional<CounterRow> lookUpRow(uint32_t interfaceIndex) const;

    std::filesystem::path root_;
    DumpFunction dump_;
    ChangeProbe changed_;
    mutable std::mutex mutex_;
    mutable std::optional<FoundAdapter> adapter_;
    mutable std::optional<CounterRow> row_;
};

// "00:1a:2b:3c:4d:5e" (as sysfs writes it) to bytes; nullopt unless exactly six hex pairs.
std::optional<MacAddress> parseMacText(std::string_view text);

}  // namespace tembrel
