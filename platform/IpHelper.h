#pragma once
// What the pages need from the operating system's IP stack: the card's interface found by its
// MAC address, that interface's IPv4 settings, and its octet counters. Linux implementation in
// LinuxIpHelper.h; tests use FakeIpHelper.h.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tembrel {

using MacAddress = std::array<uint8_t, 6>;

// Interface type of an Ethernet-framed interface (wired or wireless), as interface tables report it.
inline constexpr uint32_t kInterfaceTypeEthernet = 6;

// The card's adapter record. IPv4 values have the first dotted octet in the most significant
// byte; 0 means "none" (no address configured, no default route).
struct AdapterAddressInfo {
    std::string interfaceName;
    uint32_t interfaceIndex = 0;
    MacAddress mac{};
    bool dhcpEnabled = false;  // the first address is not permanent (it has a lease lifetime)
    uint32_t ipAddress = 0;
    uint32_t subnetMask = 0;
    uint32_t defaultGateway = 0;
};

// One interface row. The octet totals are the low 32 bits of the system's 64-bit counters, so
// callers take differences in unsigned 32-bit arithmetic and get the right value across a wrap.
struct InterfaceCounters {
    uint32_t type = 0;                // kInterfaceTypeEthernet for Ethernet-framed interfaces
    uint32_t physicalAddressLength = 0;
    MacAddress physicalAddress{};
    uint32_t inOctets = 0;
    uint32_t outOctets = 0;
};

class IpHelper {
public:
    virtual ~IpHelper() = default;
    // The interface whose 6-byte hardware address equals mac; nullopt when there is none.
    virtual std::optional<AdapterAddressInfo> findAdapter(const MacAddress& mac) const = 0;
    // The row of the interface with this index; nullopt when it is gone or unreadable.
    virtual std::optional<InterfaceCounters> readCounters(uint32_t interfaceIndex) const = 0;
};

// The operating system's implementation.
std::unique_ptr<IpHelper> makeSystemIpHelper();

// "192.168.1.20" for 0xC0A80114.
std::string dottedQuad(uint32_t address);

}  // namespace tembrel
