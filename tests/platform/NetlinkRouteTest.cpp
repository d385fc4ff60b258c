#include "platform/NetlinkRoute.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <cstring>
#include <vector>

namespace tembrel::netlink {
namespace {

// Builds netlink dumps message by message, the way the kernel lays them out.
class DumpBuilder {
public:
    template <typename Header>
    DumpBuilder& begin(uint16_t type, const Header& header) {
        start_ = bytes_.size();
        nlmsghdr nl{};
        nl.nlmsg_type = type;
        append(&nl, sizeof nl);
        append(&header, sizeof header);
        pad();
        return *this;
    }
    DumpBuilder& attribute(uint16_t type, const void* data, size_t length) {
        rtattr attribute{};
        attribute.rta_type = type;
        attribute.rta_len = static_cast<uint16_t>(RTA_LENGTH(length));
        append(&attribute, sizeof attribute);
        append(data, length);
        pad();
        return *this;
    }
    DumpBuilder& ipv4(uint16_t type, uint32_t hostOrder) {
        const uint32_t network = htonl(hostOrder);
        return attribute(type, &network, sizeof network);
    }
    DumpBuilder& u32(uint16_t type, uint32_t value) { return attribute(type, &value, sizeof value); }
    DumpBuilder& end() {
        const auto length = static_cast<uint32_t>(bytes_.size() - start_);
        std::memcpy(bytes_.data() + start_, &length, sizeof length);
        return *this;
    }
    std::vector<uint8_t> bytes() const { return bytes_; }

private:
    void append(const void* data, size_t length) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + length);
    }
    void pad() { bytes_.resize(NLMSG_ALIGN(bytes_.size()), 0); }

    std::vector<uint8_t> bytes_;
    size_t start_ = 0;
};

ifaddrmsg addressHeader(uint32_t index, uint8_t prefix, uint8_t flags, uint8_t family = AF_INET) {
    ifaddrmsg header{};
    header.ifa_family = family;
    header.ifa_prefixlen = prefix;
    header.ifa_flags = flags;
    header.ifa_index = index;
    return header;
}

rtmsg routeHeader(uint8_t destinationLength, uint8_t table = RT_TABLE_MAIN, uint8_t type = RTN_UNICAST) {
    rtmsg header{};
    header.rtm_family = AF_INET;
    header.rtm_dst_len = destinationLength;
    header.rtm_table = table;
    header.rtm_type = type;
    return header;
}

TEST(NetlinkMask, PrefixLengths) {
    const struct {
        uint8_t prefix;
        uint32_t mask;
    } rows[] = {{0, 0}, {1, 0x80000000}, {8, 0xFF000000}, {24, 0xFFFFFF00}, {31, 0xFFFFFFFE}, {32, 0xFFFFFFFF}, {40, 0xFFFFFFFF}};
    for (const auto& row : rows) {
        EXPECT_EQ(maskFromPrefix(row.prefix), row.mask) << int(row.prefix);
    }
}

TEST(NetlinkAddresses, PermanentFlagLocalAddressAndFamily) {
    DumpBuilder dump;
    dump.begin(RTM_NEWADDR, addressHeader(3, 24, 0)).ipv4(IFA_ADDRESS, 0xC0A80114).end();  // leased
    dump.begin(RTM_NEWADDR, addressHeader(1, 8, IFA_F_PERMANENT)).ipv4(IFA_ADDRESS, 0x7F000001).end();
    // Point-to-point: IFA_ADDRESS is the peer, IFA_LOCAL ours.
    dump.begin(RTM_NEWADDR, addressHeader(4, 32, IFA_F_PERMANENT))
        .ipv4(IFA_ADDRESS, 0x0A000001).ipv4(IFA_LOCAL, 0x0A000002).end();
    // The 32-bit flags attribute overrides the header byte.
    dump.begin(RTM_NEWADDR, addressHeader(5, 16, 0)).ipv4(IFA_ADDRESS, 0xAC100001).u32(IFA_FLAGS, IFA_F_PERMANENT).end();
    dump.begin(RTM_NEWADDR, addressHeader(6, 64, 0, AF_INET6)).end();
    dump.begin(RTM_NEWADDR, addressHeader(7, 24, 0)).end();  // no address attribute

    const auto addresses = parseAddresses(dump.bytes());
    ASSERT_EQ(addresses.size(), 4u);
    EXPECT_EQ(addresses[0].interfaceIndex, 3u);
    EXPECT_EQ(addresses[0].address, 0xC0A80114u);
    EXPECT_EQ(addresses[0].prefixLength, 24);
    EXPECT_FALSE(addresses[0].permanent);
    EXPECT_TRUE(addresses[1].permanent);
    EXPECT_EQ(addresses[2].address, 0x0A000002u);
    EXPECT_EQ(addresses[3].interfaceIndex, 5u);
    EXPECT_TRUE(addresses[3].permanent);
}

TEST(NetlinkAddresses, FirstAddressOfInterface) {
    DumpBuilder dump;
    dump.begin(RTM_NEWADDR, addressHeader(2, 24, 0)).ipv4(IFA_ADDRESS, 0x0A000005).end();
    dump.begin(RTM_NEWADDR, addressHeader(3, 24, 0)).ipv4(IFA_ADDRESS, 0x0A000105).end();
    dump.begin(RTM_NEWADDR, addressHeader(2, 16, 0)).ipv4(IFA_ADDRESS, 0x0B000005).end();
    const auto addresses = parseAddresses(dump.bytes());
    ASSERT_TRUE(firstAddressOf(addresses, 2));
    EXPECT_EQ(firstAddressOf(addresses, 2)->address, 0x0A000005u);
    EXPECT_FALSE(firstAddressOf(addresses, 9));
}

TEST(NetlinkAddresses, MalformedDumpsAreCutShortNotOverread) {
    DumpBuilder good;
    good.begin(RTM_NEWADDR, addressHeader(2, 24, 0)).ipv4(IFA_ADDRESS, 0x0A000005).end();
    const auto whole = good.bytes();

    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t expected;
    };
    std::vector<Row> rows;
    rows.push_back({"empty", {}, 0});
    rows.push_back({"half a header", std::vector<uint8_t>(whole.begin(), whole.begin() + 8), 0});
    rows.push_back({"message cut in the attribute", std::vector<uint8_t>(whole.begin(), whole.end() - 2), 0});
    {
        auto bytes = whole;
        const uint32_t tooLong = static_cast<uint32_t>(bytes.size() + 100);
        std::memcpy(bytes.data(), &tooLong, sizeof tooLong);
        rows.push_back({"length beyond the buffer", bytes, 0});
    }
    {
        auto bytes = whole;
        const uint32_t tiny = 4;
        std::memcpy(bytes.data(), &tiny, sizeof tiny);
        rows.push_back({"length below a header", bytes, 0});
    }
    {
        // Attribute length larger than its message: the attribute is dropped.
        auto bytes = whole;
        const size_t attributeOffset = NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(ifaddrmsg));
        const uint16_t huge = 200;
        std::memcpy(bytes.data() + attributeOffset, &huge, sizeof huge);
        rows.push_back({"attribute beyond its message", bytes, 0});
    }
    {
        // A 2-byte address payload is not an IPv4 address.
        DumpBuilder shortAddress;
        const uint16_t two = 1;
        shortAddress.begin(RTM_NEWADDR, addressHeader(2, 24, 0)).attribute(IFA_ADDRESS, &two, sizeof two).end();
        rows.push_back({"short address payload", shortAddress.bytes(), 0});
    }
    {
        auto bytes = whole;
        bytes.insert(bytes.end(), whole.begin(), whole.end());
        rows.push_back({"two good messages", bytes, 2});
    }
    for (const auto& row : rows) {
        EXPECT_EQ(parseAddresses(row.bytes).size(), row.expected) << row.name;
    }
}

TEST(NetlinkRoutes, DefaultGatewayWithLowestMetricInMainTable) {
    DumpBuilder dump;
    dump.begin(RTM_NEWROUTE, routeHeader(0)).ipv4(RTA_GATEWAY, 0xC0A80101).u32(RTA_OIF, 3).u32(RTA_PRIORITY, 600).end();
    dump.begin(RTM_NEWROUTE, routeHeader(0)).ipv4(RTA_GATEWAY, 0xC0A801FE).u32(RTA_OIF, 3).u32(RTA_PRIORITY, 100).end();
    dump.begin(RTM_NEWROUTE, routeHeader(24)).ipv4(RTA_GATEWAY, 0x0A0A0A0A).u32(RTA_OIF, 3).end();  // not default
    dump.begin(RTM_NEWROUTE, routeHeader(0, RT_TABLE_LOCAL)).ipv4(RTA_GATEWAY, 0x0A0A0A0B).u32(RTA_OIF, 4).end();
    dump.begin(RTM_NEWROUTE, routeHeader(0, RT_TABLE_MAIN, RTN_UNREACHABLE)).u32(RTA_OIF, 5).end();
    dump.begin(RTM_NEWROUTE, routeHeader(0)).u32(RTA_OIF, 6).end();  // on-link default, no gateway
    dump.begin(RTM_NEWROUTE, routeHeader(0, RT_TABLE_UNSPEC)).ipv4(RTA_GATEWAY, 0x0A000001).u32(RTA_OIF, 7)
        .u32(RTA_TABLE, RT_TABLE_MAIN).end();

    const auto routes = parseDefaultRoutes(dump.bytes());
    EXPECT_EQ(gatewayOf(routes, 3), 0xC0A801FEu);
    EXPECT_FALSE(gatewayOf(routes, 4));
    EXPECT_FALSE(gatewayOf(routes, 5));
    EXPECT_FALSE(gatewayOf(routes, 6));
    EXPECT_EQ(gatewayOf(routes, 7), 0x0A000001u);
}

TEST(NetlinkLive, LoopbackAddressIsPermanentWhenTheKernelAnswers) {
    const auto dump = dumpIpv4(RTM_GETADDR);
    if (!dump) {
        GTEST_SKIP() << "no rtnetlink in this environment";
    }
    const auto addresses = parseAddresses(*dump);
    bool sawLoopback = false;
    for (const auto& address : addresses) {
        if (address.address == 0x7F000001) {
            sawLoopback = true;
            EXPECT_TRUE(address.permanent);
            EXPECT_EQ(maskFromPrefix(address.prefixLength), 0xFF000000u);
        }
    }
    if (!sawLoopback) {
        GTEST_SKIP() << "loopback has no IPv4 address here";
    }
}

}  // namespace
}  // namespace tembrel::netlink
