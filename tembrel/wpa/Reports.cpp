#include "Reports.h"

#include "NetworkConfig.h"
#include "tembrel/common/MacText.h"
#include "tembrel/common/ScanEntryLayout.h"

#include <algorithm>
#include <charconv>

namespace tembrel::wpa {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<long long> Field(const Report& r, const char* key) {
    const auto it = r.find(key);
    if (it == r.end()) return std::nullopt;
    return ParseNumber(it->second);
}

}  // namespace

Report ParseReport(const std::string& reply) {
    Report report;
    size_t start = 0;
    while (start < reply.size()) {
        size_t end = reply.find('\n', start);
        if (end == std::string::npos) end = reply.size();
        const std::string line = reply.substr(start, end - start);
        const size_t eq = line.find('=');
        if (eq != std::string::npos && eq > 0) report.emplace(line.substr(0, eq), line.substr(eq + 1));
        start = end + 1;
    }
    return report;
}

std::optional<std::vector<uint8_t>> ParseHex(const std::string& hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> out;
    out.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(uint8_t(hi << 4 | lo));
    }
    return out;
}

std::optional<long long> ParseNumber(const std::string& text) {
    long long value = 0;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value, hex ? 16 : 10);
    if (ec != std::errc() || end != last || first == last) return std::nullopt;
    return value;
}

std::string PrintfDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out.push_back(text[i]);
            continue;
        }
        const char c = text[i + 1];
        const char simple = c == '\\' ? '\\' : c == '"' ? '"' : c == 'e' ? '\033' : c == 'n' ? '\n'
                          : c == 'r' ? '\r' : c == 't' ? '\t' : '\0';
        if (simple != '\0') {
            out.push_back(simple);
            ++i;
        } else if (c == 'x' && i + 3 < text.size() && HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
            out.push_back(char(HexDigit(text[i + 2]) << 4 | HexDigit(text[i + 3])));
            i += 3;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

LinkSecurity LinkSecurityOf(const Report& status) {
    LinkSecurity link;
    const auto field = [&](const char* key) {
        const auto it = status.find(key);
        return it == status.end() ? std::string() : it->second;
    };
    if (field("wpa_state") != "COMPLETED") return link;
    const std::string keys = field("key_mgmt");
    const bool rsn = keys.rfind("WPA2", 0) == 0 || keys == "SAE" || keys.rfind("FT-", 0) == 0;
    if (keys.find("PSK") != std::string::npos || keys == "SAE") link.authMode = rsn ? ZARN9100_AUTH_WPA2_PSK : ZARN9100_AUTH_WPA_PSK;
    else if (keys.rfind("WPA2/", 0) == 0 || keys.rfind("FT-EAP", 0) == 0) link.authMode = ZARN9100_AUTH_WPA2;
    else if (keys.rfind("WPA/", 0) == 0) link.authMode = ZARN9100_AUTH_WPA;
    const std::string cipher = field("pairwise_cipher");
    if (cipher == "CCMP" || cipher == "GCMP" || cipher == "CCMP-256" || cipher == "GCMP-256") link.wepStatus = ZARN9100_ENCRYPTION_AES;
    else if (cipher == "TKIP") link.wepStatus = ZARN9100_ENCRYPTION_TKIP;
    else if (cipher.rfind("WEP", 0) == 0) link.wepStatus = ZARN9100_ENCRYPTION_WEP;
    else if (cipher == "NONE") link.wepStatus = ZARN9100_ENCRYPTION_DISABLED;
    return link;
}

std::optional<std::vector<uint8_t>> BuildScanEntry(const Report& bss) {
    const auto bssidText = bss.find("bssid");
    const auto ieText = bss.find("ie");
    const auto freq = Field(bss, "freq");
    const auto level = Field(bss, "level");
    if (bssidText == bss.end() || ieText == bss.end() || !freq || !level) return std::nullopt;
    const auto bssid = abi::ParseMac(bssidText->second);
    auto ies = ParseHex(ieText->second);
    if (!bssid || !ies || *freq <= 0 || *freq > 100000 || *level < -200 || *level > 100) return std::nullopt;
    // Entries stay under the list buffer's size: at most 2,304 bytes of elements.
    if (ies->size() > 2304) return std::nullopt;

    abi::ScanEntryFields f;
    for (size_t at = 0; at + 2 <= ies->size();) {
        const uint8_t id = (*ies)[at];
        const size_t len = (*ies)[at + 1];
        if (at + 2 + len > ies->size()) break;
        const auto body = ies->begin() + long(at + 2);
        if (id == 0 && f.ssid.empty() && len <= 32) f.ssid.assign(body, body + long(len));
        at += 2 + len;
    }
    // A hidden network announces its SSID as zero bytes.
    if (std::all_of(f.ssid.begin(), f.ssid.end(), [](uint8_t b) { return b == 0; })) f.ssid.clear();

    const long long caps = Field(bss, "capabilities").value_or(0x0001);
    const long long beacon = Field(bss, "beacon_int").value_or(100);
    const uint32_t mhz = uint32_t(*freq);
    const std::vector<uint8_t> rates = abi::RatesOfElements(*ies);
    const bool ofdm = std::any_of(rates.begin(), rates.end(), [](uint8_t r) {
        const uint8_t rate = r & 0x7f;
        return rate != 2 && rate != 4 && rate != 11 && rate != 22;
    });
    f.bssid = *bssid;
    f.privacy = (caps & 0x0010) != 0;
    f.rssiDbm = int32_t(*level);
    f.networkTypeInUse = mhz >= 4900 ? ZARN9100_NETWORK_TYPE_OFDM5
                         : ofdm      ? ZARN9100_NETWORK_TYPE_OFDM24
                                     : ZARN9100_NETWORK_TYPE_DS;
    f.beaconIntervalTu = uint32_t(beacon);
    f.frequencyMHz = mhz;
    f.adHoc = (caps & 0x0002) != 0;
    f.timestamp = uint64_t(Field(bss, "tsf").value_or(0));
    f.capabilities = uint16_t(caps);
    f.elements = std::move(*ies);
    return abi::EncodeScanEntry(f);
}

}  // namespace tembrel::wpa
