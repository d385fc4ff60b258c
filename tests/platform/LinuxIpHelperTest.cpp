#include "platform/LinuxIpHelper.h"
#include "platform/NetlinkRoute.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <utility>

namespace tembrel {
namespace {

namespace fs = std::filesystem;

class FakeSysfs {
public:
    FakeSysfs() {
        std::random_device random;
        root_ = fs::temp_directory_path() / ("tembrel-sysfs-" + std::to_string(random()));
        fs::create_directories(root_);
    }
    ~FakeSysfs() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    void add(const std::string& name, const std::string& type, const std::string& mac, const std::string& index,
             const std::string& rx, const std::string& tx) {
        const auto directory = root_ / name;
        fs::create_directories(directory / "statistics");
        write(directory / "type", type);
        write(directory / "address", mac);
        write(directory / "ifindex", index);
        write(directory / "statistics" / "rx_bytes", rx);
        write(directory / "statistics" / "tx_bytes", tx);
    }
    const fs::path& root() const { return root_; }

private:
    static void write(const fs::path& file, const std::string& text) { std::ofstream(file) << text << '\n'; }
    fs::path root_;
};

void appendMessage(std::vector<uint8_t>& dump, uint16_t type, const void* header, size_t headerSize,
                   const std::vector<std::pair<uint16_t, uint32_t>>& attributes) {
    const size_t start = dump.size();
    nlmsghdr nl{};
    nl.nlmsg_type = type;
    dump.resize(start + NLMSG_HDRLEN + NLMSG_ALIGN(headerSize), 0);
    std::memcpy(dump.data() + start + NLMSG_HDRLEN, header, headerSize);
    for (const auto& [attributeType, value] : attributes) {
        rtattr attribute{};
        attribute.rta_type = attributeType;
        attribute.rta_len = RTA_LENGTH(sizeof value);
        const size_t at = dump.size();
        dump.resize(at + RTA_SPACE(sizeof value), 0);
        std::memcpy(dump.data() + at, &attribute, sizeof attribute);
        std::memcpy(dump.data() + at + RTA_LENGTH(0), &value, sizeof value);
    }
    nl.nlmsg_len = static_cast<uint32_t>(dump.size() - start);
    std::memcpy(dump.data() + start, &nl, sizeof nl);
}

// Index 7 has a leased 192.168.1.20/24 behind gateway 192.168.1.1; index 8 a fixed 10.0.0.2/8.
std::optional<std::vector<uint8_t>> fakeDump(uint16_t request) {
    std::vector<uint8_t> dump;
    if (request == RTM_GETADDR) {
        ifaddrmsg leased{AF_INET, 24, 0, 0, 7};
        appendMessage(dump, RTM_NEWADDR, &leased, sizeof leased, {{IFA_ADDRESS, htonl(0xC0A80114)}});
        ifaddrmsg fixed{AF_INET, 8, IFA_F_PERMANENT, 0, 8};
        appendMessage(dump, RTM_NEWADDR, &fixed, sizeof fixed, {{IFA_ADDRESS, htonl(0x0A000002)}});
    } else if (request == RTM_GETROUTE) {
        rtmsg route{};
        route.rtm_family = AF_INET;
        route.rtm_table = RT_TABLE_MAIN;
        route.rtm_type = RTN_UNICAST;
        appendMessage(dump, RTM_NEWROUTE, &route, sizeof route, {{RTA_GATEWAY, htonl(0xC0A80101)}, {RTA_OIF, 7}});
    }
    return dump;
}

constexpr MacAddress kCard{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
constexpr MacAddress kWired{0x02, 0x00, 0x00, 0x00, 0x00, 0x08};

TEST(MacText, Parsing) {
    const struct {
        const char* text;
        bool valid;
    } rows[] = {{"00:1a:2b:3c:4d:5e", true}, {"00:1A:2B:3C:4D:5E", true}, {"00:1a:2b:3c:4d", false},
                {"00:1a:2b:3c:4d:5e:6f", false}, {"00-1a-2b-3c-4d-5e", false}, {"00:1a:2b:3c:4d:5g", false},
                {"", false}};
    for (const auto& row : rows) {
        const auto mac = parseMacText(row.text);
        EXPECT_EQ(mac.has_value(), row.valid) << row.text;
        if (mac && row.valid) {
            EXPECT_EQ(*mac, kCard) << row.text;
        }
    }
}

TEST(DottedQuad, Formats) {
    EXPECT_EQ(dottedQuad(0xC0A80114), "192.168.1.20");
    EXPECT_EQ(dottedQuad(0), "0.0.0.0");
    EXPECT_EQ(dottedQuad(0xFFFFFF00), "255.255.255.0");
}

TEST(LinuxIpHelper, FindsTheCardByMacWithLeaseAndGateway) {
    FakeSysfs sysfs;
    sysfs.add("lo", "772", "00:00:00:00:00:00", "1", "0", "0");
    sysfs.add("wlan0", "1", "00:1a:2b:3c:4d:5e", "7", "1000", "2000");
    sysfs.add("eth0", "1", "02:00:00:00:00:08", "8", "5", "6");
    const LinuxIpHelper helper(sysfs.root(), &fakeDump);

    const auto card = helper.findAdapter(kCard);
    ASSERT_TRUE(card);
    EXPECT_EQ(card->interfaceName, "wlan0");
    EXPECT_EQ(card->interfaceIndex, 7u);
    EXPECT_TRUE(card->dhcpEnabled);
    EXPECT_EQ(card->ipAddress, 0xC0A80114u);
    EXPECT_EQ(card->subnetMask, 0xFFFFFF00u);
    EXPECT_EQ(card->defaultGateway, 0xC0A80101u);

    const auto wired = helper.findAdapter(kWired);
    ASSERT_TRUE(wired);
    EXPECT_FALSE(wired->dhcpEnabled);
    EXPECT_EQ(wired->ipAddress, 0x0A000002u);
    EXPECT_EQ(wired->subnetMask, 0xFF000000u);
    EXPECT_EQ(wired->defaultGateway, 0u);

    EXPECT_FALSE(helper.findAdapter(MacAddress{1, 2, 3, 4, 5, 6}));
}

TEST(LinuxIpHelper, NonEthernetInterfaceWithTheSameAddressIsNotTheCard) {
    FakeSysfs sysfs;
    sysfs.add("tun0", "65534", "00:1a:2b:3c:4d:5e", "9", "0", "0");
    EXPECT_FALSE(LinuxIpHelper(sysfs.root(), &fakeDump).findAdapter(kCard));
}

TEST(LinuxIpHelper, NoNetlinkAnswerLeavesAddressesEmpty) {
    FakeSysfs sysfs;
    sysfs.add("wlan0", "1", "00:1a:2b:3c:4d:5e", "7", "0", "0");
    const LinuxIpHelper helper(sysfs.root(), [](uint16_t) { return std::optional<std::vector<uint8_t>>(); });
    const auto card = helper.findAdapter(kCard);
    ASSERT_TRUE(card);
    EXPECT_EQ(card->ipAddress, 0u);
    EXPECT_EQ(card->defaultGateway, 0u);
    EXPECT_FALSE(card->dhcpEnabled);
}

TEST(LinuxIpHelper, CountersKeepTheLow32Bits) {
    FakeSysfs sysfs;
    sysfs.add("wlan0", "1", "00:1a:2b:3c:4d:5e", "7", "4294967301", "123");  // 2^32 + 5
    sysfs.add("broken0", "1", "00:1a:2b:3c:4d:5f", "10", "garbage", "1");
    const LinuxIpHelper helper(sysfs.root(), &fakeDump);

    const auto counters = helper.readCounters(7);
    ASSERT_TRUE(counters);
    EXPECT_EQ(counters->type, kInterfaceTypeEthernet);
    EXPECT_EQ(counters->physicalAddressLength, 6u);
    EXPECT_EQ(counters->physicalAddress, kCard);
    EXPECT_EQ(counters->inOctets, 5u);
    EXPECT_EQ(counters->outOctets, 123u);

    EXPECT_FALSE(helper.readCounters(10));
    EXPECT_FALSE(helper.readCounters(99));
}

TEST(LinuxIpHelper, MissingSysfsIsNotFound) {
    const LinuxIpHelper helper("/nonexistent/tembrel/sysfs", &fakeDump);
    EXPECT_FALSE(helper.findAdapter(kCard));
    EXPECT_FALSE(helper.readCounters(1));
}

// The pages ask every second: answers are kept until the probe reports a change, and a changed
// address, a new counter value or a vanished interface shows at the next call.
TEST(LinuxIpHelper, KeepsAnswersUntilTheProbeReportsAChange) {
    FakeSysfs sysfs;
    sysfs.add("wlan0", "1", "00:1a:2b:3c:4d:5e", "7", "100", "200");
    uint32_t address = 0xC0A80114;
    int dumps = 0;
    bool changed = false;
    const LinuxIpHelper helper(
        sysfs.root(),
        [&](uint16_t request) {
            ++dumps;
            std::vector<uint8_t> dump;
            if (request == RTM_GETADDR) {
                ifaddrmsg leased{AF_INET, 24, 0, 0, 7};
                appendMessage(dump, RTM_NEWADDR, &leased, sizeof leased, {{IFA_ADDRESS, htonl(address)}});
            }
            return std::optional(dump);
        },
        [&] { return std::exchange(changed, false); });

    EXPECT_EQ(helper.findAdapter(kCard)->ipAddress, 0xC0A80114u);
    EXPECT_EQ(helper.findAdapter(kCard)->ipAddress, 0xC0A80114u);
    EXPECT_EQ(dumps, 2);
    EXPECT_FALSE(helper.findAdapter(kWired));  // another address is looked up, not taken from the card's
    EXPECT_EQ(helper.readCounters(7)->inOctets, 100u);
    sysfs.add("wlan0", "1", "00:1a:2b:3c:4d:5e", "7", "150", "200");
    EXPECT_EQ(helper.readCounters(7)->inOctets, 150u);  // the kept counter files are read on every call

    address = 0xC0A80115;
    changed = true;
    EXPECT_EQ(helper.findAdapter(kCard)->ipAddress, 0xC0A80115u);
    sysfs.add("wlan0", "1", "00:1a:2b:3c:4d:5e", "7", "180", "200");
    EXPECT_EQ(helper.readCounters(7)->inOctets, 180u);

    fs::remove_all(sysfs.root() / "wlan0");
    changed = true;
    EXPECT_FALSE(helper.findAdapter(kCard));
    EXPECT_FALSE(helper.readCounters(7));
}

// In a fresh network namespace: 0 when the helper reports no address on the (down) loopback
// interface, still none from what it kept, and 127.0.0.1 once the interface is up; 77 when the
// interface cannot be raised here.
int loopbackAddressAppears(const fs::path& sysfs) {
    auto watch = std::make_shared<netlink::ChangeWatch>();
    const LinuxIpHelper helper(sysfs, &netlink::dumpIpv4, [watch] { return watch->changed(); });
    const auto before = helper.findAdapter(kCard);
    const auto kept = helper.findAdapter(kCard);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    request.ifr_flags = IFF_UP;
    const int socketFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const bool raised = socketFd >= 0 && ::ioctl(socketFd, SIOCSIFFLAGS, &request) == 0;
    if (socketFd >= 0) {
        ::close(socketFd);
    }
    if (!raised) {
        return 77;
    }
    const auto after = helper.findAdapter(kCard);
    const bool ok = before && before->ipAddress == 0 && kept && kept->ipAddress == 0 && after &&
                    after->ipAddress == 0x7F000001u;
    return ok ? 0 : 1;
}

// The kernel's notifications, in a network namespace of the test's own: raising its loopback
// interface gives it 127.0.0.1, which the next lookup reports.
TEST(LinuxIpHelper, RtnetlinkNotificationsRevealANewAddress) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int code = 77;
        {
            // The namespace's loopback interface (always index 1), dressed as an Ethernet card;
            // written first, as a new user namespace maps no user that could create files.
            FakeSysfs sysfs;
            sysfs.add("lo", "1", "00:1a:2b:3c:4d:5e", "1", "0", "0");
            // A user namespace as well where the test may not make a network one by itself
            // (and cannot where the process has threads, as under ThreadSanitizer).
            if (::unshare(CLONE_NEWNET) == 0 || ::unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0) {
                code = loopbackAddressAppears(sysfs.root());
            }
        }
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "no network namespace of our own here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(LinuxIpHelper, SystemInterfacesAreFoundByTheirOwnAddress) {
    const auto helper = makeSystemIpHelper();
    EXPECT_FALSE(helper->findAdapter(MacAddress{0x02, 0xDE, 0xAD, 0xBE, 0xEF, 0x99}));
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/sys/class/net", error)) {
        std::ifstream typeFile(entry.path() / "type");
        std::ifstream addressFile(entry.path() / "address");
        std::ifstream indexFile(entry.path() / "ifindex");
        int type = 0;
        std::string address;
        uint32_t index = 0;
        if (!(typeFile >> type) || type != 1 || !(addressFile >> address) || !(indexFile >> index)) {
            continue;
        }
        const auto mac = parseMacText(address);
        if (!mac || *mac == MacAddress{}) {
            continue;
        }
        const auto found = helper->findAdapter(*mac);
        ASSERT_TRUE(found) << entry.path();
        EXPECT_EQ(found->interfaceIndex, index);
        const auto counters = helper->readCounters(index);
        ASSERT_TRUE(counters);
        EXPECT_EQ(counters->physicalAddress, *mac);
        return;
    }
    GTEST_SKIP() << "no Ethernet-framed interface on this host";
}

}  // namespace
}  // namespace tembrel
