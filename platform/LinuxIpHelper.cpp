#include "platform/LinuxIpHelper.h"

#include "platform/NetlinkRoute.h"

#include <fcntl.h>
#include <linux/if_arp.h>
#include <linux/rtnetlink.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <fstream>
#include <system_error>

namespace tembrel {
namespace {

namespace fs = std::filesystem;

// sysfs attributes are one short line; anything longer is not what we expect.
std::optional<std::string> readAttribute(const fs::path& file) {
    std::ifstream in(file);
    if (!in) {
        return std::nullopt;
    }
    std::string line;
    line.resize(64);
    in.read(line.data(), static_cast<std::streamsize>(line.size()));
    line.resize(static_cast<size_t>(in.gcount()));
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

template <typename Number>
std::optional<Number> readNumber(const fs::path& file) {
    const auto text = readAttribute(file);
    if (!text || text->empty()) {
        return std::nullopt;
    }
    Number value{};
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc{} || end != text->data() + text->size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<MacAddress> readMac(const fs::path& directory) {
    const auto text = readAttribute(directory / "address");
    if (!text) {
        return std::nullopt;
    }
    return parseMacText(*text);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::optional<MacAddress> parseMacText(std::string_view text) {
    constexpr size_t kLength = 6 * 3 - 1;
    if (text.size() != kLength) {
        return std::nullopt;
    }
    MacAddress mac{};
    for (size_t i = 0; i < mac.size(); ++i) {
        const int high = hexDigit(text[i * 3]);
        const int low = hexDigit(text[i * 3 + 1]);
        if (high < 0 || low < 0 || (i + 1 < mac.size() && text[i * 3 + 2] != ':')) {
            return std::nullopt;
        }
        mac[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return mac;
}

std::string dottedQuad(uint32_t address) {
    return std::to_string(address >> 24) + '.' + std::to_string((address >> 16) & 0xFF) + '.' +
           std::to_string((address >> 8) & 0xFF) + '.' + std::to_string(address & 0xFF);
}

std::unique_ptr<IpHelper> makeSystemIpHelper() {
    return std::make_unique<LinuxIpHelper>();
}

LinuxIpHelper::LinuxIpHelper()
    : LinuxIpHelper("/sys/class/net", &netlink::dumpIpv4,
                    [watch = std::make_shared<netlink::ChangeWatch>()] { return watch->changed(); }) {}

LinuxIpHelper::LinuxIpHelper(std::filesystem::path sysClassNet, DumpFunction dump, ChangeProbe changed)
    : root_(std::move(sysClassNet)), dump_(std::move(dump)), changed_(std::move(changed)) {}

void LinuxIpHelper::forgetOnChange() const {
    if (!changed_ || changed_()) {
        adapter_.reset();
        row_.reset();
    }
}

std::optional<AdapterAddressInfo> LinuxIpHelper::findAdapter(const MacAddress& mac) const {
    const std::lock_guard lock(mutex_);
    forgetOnChange();
    if (adapter_ && adapter_->mac == mac) {
        return adapter_->info;
    }
    auto [info, complete] = lookUpAdapter(mac);
    if (complete) {
        adapter_ = FoundAdapter{mac, info};
    }
    return info;
}

std::pair<std::optional<AdapterAddressInfo>, bool> LinuxIpHelper::lookUpAdapter(const MacAddress& mac) const {
    std::error_code error;
    fs::directory_iterator entries(root_, error);
    if (error) {
        return {std::nullopt, false};
    }
    for (const auto& entry : entries) {
        const fs::path directory = entry.path();
        // Only Ethernet-framed interfaces carry a 6-byte address (wireless cards included).
        if (readNumber<uint32_t>(directory / "type") != uint32_t{ARPHRD_ETHER} || readMac(directory) != mac) {
            continue;
        }
        const auto index = readNumber<uint32_t>(directory / "ifindex");
        if (!index) {
            continue;
        }
        AdapterAddressInfo info;
        info.interfaceName = directory.filename().string();
        info.interfaceIndex = *index;
        info.mac = mac;
        const auto addresses = dump_(RTM_GETADDR);
        if (addresses) {
            if (const auto address = netlink::firstAddressOf(netlink::parseAddresses(*addresses), *index)) {
                info.ipAddress = address->address;
                info.subnetMask = netlink::maskFromPrefix(address->prefixLength);
                info.dhcpEnabled = !address->permanent;
            }
        }
        const auto routes = dump_(RTM_GETROUTE);
        if (routes) {
            info.defaultGateway = netlink::gatewayOf(netlink::parseDefaultRoutes(*routes), *index).value_or(0);
        }
        return {info, addresses && routes};
    }
    return {std::nullopt, true};
}

LinuxIpHelper::OpenAttribute::OpenAttribute(const fs::path& file)
    : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC)) {}

LinuxIpHelper::OpenAttribute::~OpenAttribute() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::optional<uint64_t> LinuxIpHelper::OpenAttribute::read() const {
    if (fd_ < 0) {
        return std::nullopt;
    }
    // A counter is at most 20 digits and a newline; a longer text is not one.
    std::array<char, 32> text{};
    const ssize_t got = ::pread(fd_, text.data(), text.size(), 0);
    if (got <= 0 || static_cast<size_t>(got) == text.size()) {
        return std::nullopt;
    }
    size_t length = static_cast<size_t>(got);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == ' ')) {
        --length;
    }
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + length, value);
    if (length == 0 || error != std::errc{} || end != text.data() + length) {
        return std::nullopt;
    }
    return value;
}

std::optional<LinuxIpHelper::CounterRow> LinuxIpHelper::lookUpRow(uint32_t interfaceIndex) const {
    std::error_code error;
    fs::directory_iterator entries(root_, error);
    if (error) {
        return std::nullopt;
    }
    for (const auto& entry : entries) {
        if (readNumber<uint32_t>(entry.path() / "ifindex") != interfaceIndex) {
            continue;
        }
        const fs::path& directory = entry.path();
        CounterRow row;
        row.interfaceIndex = interfaceIndex;
        if (readNumber<uint32_t>(directory / "type") == uint32_t{ARPHRD_ETHER}) {
            row.identity.type = kInterfaceTypeEthernet;
        }
        if (const auto mac = readMac(directory)) {
            row.identity.physicalAddress = *mac;
            row.identity.physicalAddressLength = 6;
        }
        row.rx = std::make_unique<OpenAttribute>(directory / "statistics" / "rx_bytes");
        row.tx = std::make_unique<OpenAttribute>(directory / "statistics" / "tx_bytes");
        return row;
    }
    return std::nullopt;
}

std::optional<InterfaceCounters> LinuxIpHelper::readCounters(uint32_t interfaceIndex) const {
    const std::lock_guard lock(mutex_);
    forgetOnChange();
    if (!row_ || row_->interfaceIndex != interfaceIndex) {
        row_ = lookUpRow(interfaceIndex);
        if (!row_) {
            return std::nullopt;
        }
    }
    const auto rx = row_->rx->read();
    const auto tx = row_->tx->read();
    if (!rx || !tx) {
        row_.reset();
        return std::nullopt;
    }
    InterfaceCounters counters = row_->identity;
    // The row keeps 32-bit totals; users subtract modulo 2^32.
    counters.inOctets = static_cast<uint32_t>(*rx);
    counters.outOctets = static_cast<uint32_t>(*tx);
    return counters;
}

}  // namespace tembrel
