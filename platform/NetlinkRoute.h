#pragma once
// IPv4 addresses and default routes read over rtnetlink. The parsers take the raw bytes of a dump
// so that malformed replies can be tested without a socket.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tembrel::netlink {

struct Ipv4Address {
    uint32_t interfaceIndex = 0;
    uint32_t address = 0;     // first dotted octet in the most significant byte
    uint8_t prefixLength = 0;
    bool permanent = false;   // IFA_F_PERMANENT: configured by hand, no lease lifetime
};

struct Ipv4DefaultRoute {
    uint32_t interfaceIndex = 0;
    uint32_t gateway = 0;
    uint32_t priority = 0;    // route metric, lower wins
};

// Every IPv4 address message in a dump, in the order the kernel sent them. Truncated or foreign
// messages are skipped; a truncated header ends the walk.
std::vector<Ipv4Address> parseAddresses(std::span<const uint8_t> dump);
// Every IPv4 default route (destination prefix 0, main table, with a gateway and an output interface).
std::vector<Ipv4DefaultRoute> parseDefaultRoutes(std::span<const uint8_t> dump);

// The netmask of a prefix length (0 to 32; longer counts as 32).
uint32_t maskFromPrefix(uint8_t prefixLength);

// The first address of the interface, and its default gateway with the lowest metric.
std::optional<Ipv4Address> firstAddressOf(const std::vector<Ipv4Address>& addresses, uint32_t interfaceIndex);
std::optional<uint32_t> gatewayOf(const std::vector<Ipv4DefaultRoute>& routes, uint32_t interfaceIndex);

// Runs one IPv4 dump request (RTM_GETADDR or RTM_GETROUTE) on a fresh NETLINK_ROUTE socket and
// returns its messages, each padded to netlink alignment. nullopt on any socket error or timeout.
std::optional<std::vector<uint8_t>> dumpIpv4(uint16_t requestType);

// Tells whether links, IPv4 addresses or IPv4 routes may have changed since it was last asked,
// from the kernel's rtnetlink notifications (a socket in those multicast groups, read without
// blocking). The kernel queues a notification when it makes the change, so a change made before
// a call is seen by that call. Answers yes when it cannot know: no socket, a read error, or
// notifications lost to a full socket buffer.
class ChangeWatch {
public:
    ChangeWatch();
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;
    ~ChangeWatch();

    // Drains the pending notifications; true when there was any, or the answer is unknown.
    bool changed();

private:
    int fd_ = -1;
};

}  // namespace tembrel::netlink
