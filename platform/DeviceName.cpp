#include "DeviceName.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string_view>

namespace tembrel {

namespace {

constexpr size_t kMaxProductIdLength = 64;

// "0x8086", "8086" or "8086\n" (sysfs) as a number no greater than limit.
std::optional<std::uint32_t> ParseHex(std::string_view text, std::uint32_t limit) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty() || text.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    const auto [ptr, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc{} || ptr != text.data() + text.size() || value > limit) return std::nullopt;
    return value;
}

std::optional<std::string_view> Lookup(const std::map<std::string, std::string>& map, const char* key) {
    const auto it = map.find(key);
    if (it == map.end()) return std::nullopt;
    return it->second;
}

struct IdPair {
    std::uint32_t first;
    std::uint32_t second;
};

// "vvvv:dddd" as in PCI_ID and PCI_SUBSYS_ID.
std::optional<IdPair> ParsePair(std::optional<std::string_view> text) {
    if (!text) return std::nullopt;
    const size_t colon = text->find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto first = ParseHex(text->substr(0, colon), 0xFFFF);
    const auto second = ParseHex(text->substr(colon + 1), 0xFFFF);
    if (!first || !second) return std::nullopt;
    return IdPair{*first, *second};
}

// Two 16-bit ids from the first source that has both.
std::optional<IdPair> ParseIds(const std::map<std::string, std::string>& map, const char* firstKey,
                               const char* secondKey) {
    const auto first = Lookup(map, firstKey);
    const auto second = Lookup(map, secondKey);
    if (!first || !second) return std::nullopt;
    const auto a = ParseHex(*first, 0xFFFF);
    const auto b = ParseHex(*second, 0xFFFF);
    if (!a || !b) return std::nullopt;
    return IdPair{*a, *b};
}

std::string Format(const char* format, auto... values) {
    char buffer[96];
    const int length = std::snprintf(buffer, sizeof buffer, format, values...);
    return std::string(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

std::string PciName(const DeviceIdentity& id) {
    std::optional<IdPair> ids = ParsePair(Lookup(id.properties, "PCI_ID"));
    if (!ids) ids = ParseIds(id.attributes, "vendor", "device");
    if (!ids) ids = ParseIds(id.properties, "ID_VENDOR_ID", "ID_MODEL_ID");
    if (!ids) return {};
    std::string name = Format("PCI\\VEN_%04X&DEV_%04X", ids->first, ids->second);

    // PCI_SUBSYS_ID is "subvendor:subdevice"; Windows writes the subsystem device first.
    std::optional<IdPair> subsystem = ParsePair(Lookup(id.properties, "PCI_SUBSYS_ID"));
    if (!subsystem) subsystem = ParseIds(id.attributes, "subsystem_vendor", "subsystem_device");
    if (subsystem) name += Format("&SUBSYS_%04X%04X", subsystem->second, subsystem->first);

    if (const auto revisionText = Lookup(id.attributes, "revision")) {
        if (const auto revision = ParseHex(*revisionText, 0xFF)) name += Format("&REV_%02X", *revision);
    }
    return name;
}

std::string UsbName(const DeviceIdentity& id) {
    std::optional<IdPair> ids = ParseIds(id.properties, "ID_VENDOR_ID", "ID_MODEL_ID");
    if (!ids) ids = ParseIds(id.attributes, "idVendor", "idProduct");
    if (!ids) {
        // PRODUCT of the uevent: "vendor/product/bcdDevice" in unpadded hexadecimal.
        if (const auto product = Lookup(id.properties, "PRODUCT")) {
            const size_t slash = product->find('/');
            const size_t second = slash == std::string_view::npos ? slash : product->find('/', slash + 1);
            if (second != std::string_view::npos) {
                const auto a = ParseHex(product->substr(0, slash), 0xFFFF);
                const auto b = ParseHex(product->substr(slash + 1, second - slash - 1), 0xFFFF);
                if (a && b) ids = IdPair{*a, *b};
            }
        }
    }
    if (!ids) return {};
    return Format("USB\\VID_%04X&PID_%04X", ids->first, ids->second);
}

// Printable ASCII only, upper case, blanks as '_'; "" when empty, too long or unprintable.
std::string ProductIdPart(std::optional<std::string_view> text) {
    if (!text) return {};
    std::string_view value = *text;
    while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.remove_suffix(1);
    if (value.empty() || value.size() > kMaxProductIdLength) return {};
    std::string part;
    for (char c : value) {
        if (c < 0x20 || c > 0x7E) return {};
        if (c == ' ') c = '_';
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        part.push_back(c);
    }
    return part;
}

std::string PcmciaName(const DeviceIdentity& id) {
    const std::string first = ProductIdPart(Lookup(id.attributes, "prod_id1"));
    if (first.empty()) return {};
    const std::string second = ProductIdPart(Lookup(id.attributes, "prod_id2"));
    return "PCMCIA\\" + first + (second.empty() ? "" : "-" + second);
}

}  // namespace

std::string BuildDeviceName(const DeviceIdentity& identity) {
    if (identity.bus == "pci") return PciName(identity);
    if (identity.bus == "usb") return UsbName(identity);
    if (identity.bus == "pcmcia") return PcmciaName(identity);
    return {};
}

}  // namespace tembrel
