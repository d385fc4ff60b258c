#pragma once
// A MAC address as text: six two-digit hex bytes separated by ':' or '-' ("00:11:22:aa:bb:cc"),
// the way wpa_supplicant, NetworkManager and the environment file write it.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tembrel::abi {

using MacAddress = std::array<uint8_t, 6>;

// Empty when the text is anything else (other lengths, separators or digits).
constexpr std::optional<MacAddress> ParseMac(std::string_view text) {
    if (text.size() != 17) return std::nullopt;
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    MacAddress mac{};
    for (std::size_t i = 0; i < 6; ++i) {
        if (i > 0 && text[i * 3 - 1] != ':' && text[i * 3 - 1] != '-') return std::nullopt;
        const int hi = digit(text[i * 3]), lo = digit(text[i * 3 + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        mac[i] = uint8_t(hi << 4 | lo);
    }
    return mac;
}

}  // namespace tembrel::abi
