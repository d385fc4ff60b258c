#include "platform/NetlinkRoute.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tembrel::netlink {
namespace {

// A dump larger than this is not a routing table we want to hold on the UI thread.
constexpr size_t kMaxDumpBytes = 4u * 1024u * 1024u;

template <typename Visit>
void forEachMessage(std::span<const uint8_t> dump, uint16_t type, size_t headerSize, Visit visit) {
    size_t offset = 0;
    while (dump.size() - offset >= sizeof(nlmsghdr)) {
        nlmsghdr header;
        std::memcpy(&header, dump.data() + offset, sizeof header);
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > dump.size() - offset) {
            return;
        }
        if (header.nlmsg_type == type && header.nlmsg_len >= NLMSG_LENGTH(headerSize)) {
            const uint8_t* body = dump.data() + offset + NLMSG_HDRLEN;
            visit(body, header.nlmsg_len - NLMSG_HDRLEN);
        }
        offset += std::min<size_t>(NLMSG_ALIGN(header.nlmsg_len), dump.size() - offset);
    }
}

// Calls visit(type, payload) for each well-formed attribute after a fixed header of headerSize.
template <typename Visit>
void forEachAttribute(const uint8_t* body, size_t bodyLength, size_t headerSize, Visit visit) {
    size_t offset = NLMSG_ALIGN(headerSize);
    while (offset < bodyLength && bodyLength - offset >= sizeof(rtattr)) {
        rtattr attribute;
        std::memcpy(&attribute, body + offset, sizeof attribute);
        if (attribute.rta_len < sizeof(rtattr) || attribute.rta_len > bodyLength - offset) {
            return;
        }
        visit(attribute.rta_type, std::span<const uint8_t>(body + offset + RTA_LENGTH(0), attribute.rta_len - RTA_LENGTH(0)));
        offset += RTA_ALIGN(attribute.rta_len);
    }
}

std::optional<uint32_t> readU32(std::span<const uint8_t> payload) {
    if (payload.size() < sizeof(uint32_t)) {
        return std::nullopt;
    }
    uint32_t value;
    std::memcpy(&value, payload.data(), sizeof value);
    return value;
}

// Addresses travel in network byte order.
std::optional<uint32_t> readIpv4(std::span<const uint8_t> payload) {
    auto raw = readU32(payload);
    if (!raw) {
        return std::nullopt;
    }
    return ntohl(*raw);
}

struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

}  // namespace

uint32_t maskFromPrefix(uint8_t prefixLength) {
    if (prefixLength == 0) {
        return 0;
    }
    const unsigned bits = std::min<unsigned>(prefixLength, 32);
    return bits == 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> bits);
}

std::vector<Ipv4Address> parseAddresses(std::span<const uint8_t> dump) {
    std::vector<Ipv4Address> result;
    forEachMessage(dump, RTM_NEWADDR, sizeof(ifaddrmsg), [&](const uint8_t* body, size_t length) {
        ifaddrmsg message;
        std::memcpy(&message, body, sizeof message);
        if (message.ifa_family != AF_INET) {
            return;
        }
        uint32_t flags = message.ifa_flags;
        std::optional<uint32_t> local;
        std::optional<uint32_t> address;
        forEachAttribute(body, length, sizeof(ifaddrmsg), [&](uint16_t type, std::span<const uint8_t> payload) {
            if (type == IFA_LOCAL) {
                local = readIpv4(payload);
            } else if (type == IFA_ADDRESS) {
                address = readIpv4(payload);
            } else if (type == IFA_FLAGS) {
                // The 32-bit attribute supersedes the 8-bit header field when present.
                flags = readU32(payload).value_or(flags);
            }
        });
        // On point-to-point links IFA_ADDRESS is the peer; IFA_LOCAL is our own address.
        const auto own = local ? local : address;
        if (!own) {
            return;
        }
        result.push_back({message.ifa_index, *own, message.ifa_prefixlen, (flags & IFA_F_PERMANENT) != 0});
    });
    return result;
}

std::vector<Ipv4DefaultRoute> parseDefaultRoutes(std::span<const uint8_t> dump) {
    std::vector<Ipv4DefaultRoute> result;
    forEachMessage(dump, RTM_NEWROUTE, sizeof(rtmsg), [&](const uint8_t* body, size_t length) {
        rtmsg message;
        std::memcpy(&message, body, sizeof message);
        if (message.rtm_family != AF_INET || message.rtm_dst_len != 0 || message.rtm_type != RTN_UNICAST) {
            return;
        }
        uint32_t table = message.rtm_table;
        Ipv4DefaultRoute route;
        bool haveGateway = false;
        bool haveInterface = false;
        forEachAttribute(body, length, sizeof(rtmsg), [&](uint16_t type, std::span<const uint8_t> payload) {
            if (type == RTA_GATEWAY) {
                if (auto gateway = readIpv4(payload)) {
                    route.gateway = *gateway;
                    haveGateway = true;
                }
            } else if (type == RTA_OIF) {
                if (auto index = readU32(payload)) {
                    route.interfaceIndex = *index;
                    haveInterface = true;
                }
            } else if (type == RTA_PRIORITY) {
                route.priority = readU32(payload).value_or(0);
            } else if (type == RTA_TABLE) {
                table = readU32(payload).value_or(table);
            }
        });
        if (haveGateway && haveInterface && table == RT_TABLE_MAIN) {
            result.push_back(route);
        }
    });
    return result;
}

std::optional<Ipv4Address> firstAddressOf(const std::vector<Ipv4Address>& addresses, uint32_t interfaceIndex) {
    const auto found = std::find_if(addresses.begin(), addresses.end(),
                                    [&](const Ipv4Address& a) { return a.interfaceIndex == interfaceIndex; });
    if (found == addresses.end()) {
        return std::nullopt;
    }
    return *found;
}

std::optional<uint32_t> gatewayOf(const std::vector<Ipv4DefaultRoute>& routes, uint32_t interfaceIndex) {
    std::optional<Ipv4DefaultRoute> best;
    for (const auto& route : routes) {
        if (route.interfaceIndex == interfaceIndex && (!best || route.priority < best->priority)) {
            best = route;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    return best->gateway;
}

std::optional<std::vector<uint8_t>> dumpIpv4(uint16_t requestType) {
    FileDescriptor socketFd{::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)};
    if (socketFd.fd < 0) {
        return std::nullopt;
    }
    // A kernel that does not answer must not freeze the caller's thread.
    timeval timeout{1, 0};
    ::setsockopt(socketFd.fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);

    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    if (::bind(socketFd.fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        return std::nullopt;
    }

    // rtmsg is the larger of the two request headers; RTM_GETADDR reads only the family byte,
    // which sits first in both.
    struct {
        nlmsghdr header;
        rtmsg body;
    } request{};
    constexpr uint32_t kSequence = 1;
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg));
    request.header.nlmsg_type = requestType;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = kSequence;
    request.body.rtm_family = AF_INET;

    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(socketFd.fd, &request, request.header.nlmsg_len, 0, reinterpret_cast<const sockaddr*>(&kernel),
                 sizeof kernel) < 0) {
        return std::nullopt;
    }

    std::vector<uint8_t> dump;
    std::vector<uint8_t> chunk(32768);
    for (;;) {
        sockaddr_nl from{};
        socklen_t fromLength = sizeof from;
        const ssize_t received = ::recvfrom(socketFd.fd, chunk.data(), chunk.size(), 0,
                                            reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (received <= 0 || from.nl_pid != 0) {
            return std::nullopt;
        }
        size_t offset = 0;
        const auto size = static_cast<size_t>(received);
        while (size - offset >= sizeof(nlmsghdr)) {
            nlmsghdr header;
            std::memcpy(&header, chunk.data() + offset, sizeof header);
            if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > size - offset) {
                return std::nullopt;
            }
            if (header.nlmsg_seq == kSequence) {
                if (header.nlmsg_type == NLMSG_DONE) {
                    return dump;
                }
                if (header.nlmsg_type == NLMSG_ERROR) {
                    return std::nullopt;
                }
                const size_t padded = NLMSG_ALIGN(header.nlmsg_len);
                if (dump.size() + padded > kMaxDumpBytes) {
                    return std::nullopt;
                }
                dump.insert(dump.end(), chunk.begin() + static_cast<std::ptrdiff_t>(offset),
                            chunk.begin() + static_cast<std::ptrdiff_t>(offset + header.nlmsg_len));
                dump.resize(dump.size() + (padded - header.nlmsg_len), 0);
            }
            offset += std::min<size_t>(NLMSG_ALIGN(header.nlmsg_len), size - offset);
        }
    }
}

ChangeWatch::ChangeWatch() {
    FileDescriptor socketFd{::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE)};
    if (socketFd.fd < 0) {
        return;
    }
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV4_ROUTE;
    if (::bind(socketFd.fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        return;
    }
    fd_ = std::exchange(socketFd.fd, -1);
}

ChangeWatch::~ChangeWatch() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool ChangeWatch::changed() {
    if (fd_ < 0) {
        return true;
    }
    bool any = false;
    std::array<uint8_t, 8192> chunk{};
    for (;;) {
        const ssize_t received = ::recv(fd_, chunk.data(), chunk.size(), MSG_DONTWAIT);
        if (received > 0) {
            any = true;
            continue;
        }
        if (received < 0 && errno == EINTR) {
            continue;
        }
        // EAGAIN: drained. ENOBUFS (notifications dropped) or anything else: assume a change.
        return any || received == 0 || errno != EAGAIN;
    }
}

}  // namespace tembrel::netlink
