#pragma once
// Texts of the Network Status page, formatted exactly as the page shows them.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tembrel::monitoring {

// "%d Mbps" when the speed (units of 100 bit/s) is a whole number of Mbit/s in steps of
// 0.2 Mbit/s, else "%d.5 Mbps": 110000 -> "11 Mbps", 55000 -> "5.5 Mbps".
std::string formatLinkSpeed(uint32_t speed100bps);

// "<prefix> %d bps" below 1000, "<prefix> %.1f Kbps" up to 999,999, "<prefix> %.1f Mbps" above.
std::string formatRate(std::string_view prefix, uint32_t bitsPerSecond);
inline constexpr std::string_view kTxRatePrefix = "Current Tx Rate:";
inline constexpr std::string_view kRxRatePrefix = "Current Rx Rate:";

// Labels beside a graph of full scale h (bit/s).
struct ScaleLabels {
    std::string top;
    std::string middle;
};
ScaleLabels scaleLabels(uint32_t fullScale);
// The labels before any scale was computed: "1 Kbps" and "500 bps".
ScaleLabels initialScaleLabels();
inline constexpr std::string_view kBottomScaleLabel = "0 bps";

// What assistive technology says about a throughput graph: the figure of its rate text (the text
// after `prefix`; "0 bps" while it shows none) and the top of its scale: "12.0 Kbps, scale 1 Kbps".
std::string graphDescription(std::string_view rateText, std::string_view prefix, std::string_view scaleTop);

// From the NDIS encryption status: 0 "WEP", 2 "WEP - Key Absent", 4 "TKIP", 5 "TKIP - Key Absent",
// 6 "AES", 7 "AES - Key Absent", anything else "Security Off".
std::string securityText(uint32_t encryptionStatus);

// 0 -> "Ad-Hoc", 1 -> "Infrastructure", other -> "Unknown".
std::string networkTypeText(uint32_t networkType);

// "%02X %02X %02X %02X %02X %02X".
std::string bssidText(const std::array<uint8_t, 6>& bssid);

inline constexpr std::string_view kChannelPerformance = "Channel Performance";
// "Channel %d (%.3f GHz)".
std::string channelCaption(uint32_t channel, uint32_t frequencyMHz);

// "%3.0f %%" of a bar position within 0..40.
std::string signalPercentText(int position);

}  // namespace tembrel::monitoring
