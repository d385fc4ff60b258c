#include "Reports.h"

#include "NetworkConfig.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace tembrel::wpa {

namespace {

void PutU16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

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

constexpr size_t kEntryFixedSize = 128;
constexpr size_t kIeFixedPart = 12;

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

std::optional<std::vector<uint8_t>> ParseMac(const std::string& text) {
    if (text.size() != 17) return std::nullopt;
    std::string hex;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i % 3 == 2) {
            if (text[i] != ':') return std::nullopt;
        } else {
            hex.push_back(text[i]);
        }
    }
    return ParseHex(hex);
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
    const auto bssid = ParseMac(bssidText->second);
    const auto ies = ParseHex(ieText->second);
    if (!bssid || !ies || *freq <= 0 || *freq > 100000 || *level < -200 || *level > 100) return std::nullopt;
    // Entries stay under the list buffer's size: at most 2,304 bytes of elements.
    if (ies->size() > 2304) return std::nullopt;

    std::vector<uint8_t> ssid;
    std::vector<uint8_t> rates;
    for (size_t at = 0; at + 2 <= ies->size();) {
        const uint8_t id = (*ies)[at];
        const size_t len = (*ies)[at + 1];
        if (at + 2 + len > ies->size()) break;
        const auto body = ies->begin() + long(at + 2);
        if (id == 0 && ssid.empty() && len <= 32) ssid.assign(body, body + long(len));
        if (id == 1 || id == 50) rates.insert(rates.end(), body, body + long(len));
        at += 2 + len;
    }
    // A hidden network announces its SSID as zero bytes.
    if (std::all_of(ssid.begin(), ssid.end(), [](uint8_t b) { return b == 0; })) ssid.clear();

    const long long caps = Field(bss, "capabilities").value_or(0x0001);
    const long long beacon = Field(bss, "beacon_int").value_or(100);
    const long long tsf = Field(bss, "tsf").value_or(0);
    const uint32_t mhz = uint32_t(*freq);
    const bool fiveGhz = mhz >= 4900;
    const bool ofdm = std::any_of(rates.begin(), rates.end(), [](uint8_t r) {
        const uint8_t rate = r & 0x7f;
        return rate != 2 && rate != 4 && rate != 11 && rate != 22;
    });

    const size_t raw = kEntryFixedSize + ies->size();
    std::vector<uint8_t> e((raw + 3) & ~size_t(3), 0);
    PutU32(e, 0, uint32_t(e.size()));
    std::memcpy(&e[4], bssid->data(), 6);
    PutU32(e, 12, uint32_t(ssid.size()));
    std::copy(ssid.begin(), ssid.end(), e.begin() + 16);
    PutU32(e, 48, (caps & 0x0010) != 0 ? 1 : 0);
    PutU32(e, 52, uint32_t(int32_t(*level)));
    // Network type in use: 1 DS (802.11b), 2 OFDM 5 GHz, 3 OFDM 2.4 GHz.
    PutU32(e, 56, fiveGhz ? 2 : ofdm ? 3 : 1);
    PutU32(e, 60, 32);
    PutU32(e, 64, uint32_t(beacon));
    PutU32(e, 72, mhz * 1000);
    PutU32(e, 92, (caps & 0x0002) != 0 ? 0 : 1);
    std::copy(rates.begin(), rates.begin() + long(std::min<size_t>(rates.size(), 16)), e.begin() + 96);
    PutU32(e, 112, uint32_t(kIeFixedPart + ies->size()));
    for (size_t i = 0; i < 8; ++i) e[116 + i] = uint8_t(uint64_t(tsf) >> (8 * i));
    PutU16(e, 124, uint16_t(beacon));
    PutU16(e, 126, uint16_t(caps));
    std::copy(ies->begin(), ies->end(), e.begin() + long(kEntryFixedSize));
    return e;
}

}  // namespace tembrel::wpa
