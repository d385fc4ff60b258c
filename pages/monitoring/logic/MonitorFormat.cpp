#include "pages/monitoring/logic/MonitorFormat.h"

#include <TembrelCodes.h>

#include <cstdarg>
#include <cstdio>

namespace tembrel::monitoring {
namespace {

[[gnu::format(printf, 1, 2)]] std::string format(const char* pattern, ...) {
    char buffer[128];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, arguments);
    va_end(arguments);
    return buffer;
}

}  // namespace

std::string formatLinkSpeed(uint32_t speed100bps) {
    const unsigned mbps = speed100bps / 10000;
    return speed100bps % 2000 == 0 ? format("%u Mbps", mbps) : format("%u.5 Mbps", mbps);
}

std::string formatRate(std::string_view prefix, uint32_t bitsPerSecond) {
    std::string text(prefix);
    if (bitsPerSecond < 1000) {
        text += format(" %u bps", bitsPerSecond);
    } else if (bitsPerSecond <= 999999) {
        text += format(" %.1f Kbps", bitsPerSecond / 1000.0);
    } else {
        text += format(" %.1f Mbps", bitsPerSecond / 1000000.0);
    }
    return text;
}

std::string graphDescription(std::string_view rateText, std::string_view prefix, std::string_view scaleTop) {
    if (rateText.substr(0, prefix.size()) == prefix) {
        rateText.remove_prefix(prefix.size());
    }
    while (!rateText.empty() && rateText.front() == ' ') {
        rateText.remove_prefix(1);
    }
    std::string text(rateText.empty() ? kBottomScaleLabel : rateText);
    if (!scaleTop.empty()) {
        text += ", scale ";
        text += scaleTop;
    }
    return text;
}

ScaleLabels scaleLabels(uint32_t fullScale) {
    ScaleLabels labels;
    if (fullScale >= 1000) {
        labels.top = fullScale > 999999 ? format("%.1f Mbps", fullScale / 1000000.0)
                                        : format("%.1f Kbps", fullScale / 1000.0);
    } else {
        labels.top = format("%u bps", fullScale);
    }
    const uint32_t half = fullScale / 2;
    if (half >= 1000) {
        labels.middle = half > 999999 ? format("%.1f Mbps", fullScale / 2000000.0)
                                      : format("%.1f Kbps", fullScale / 2000.0);
    } else {
        labels.middle = format("%u bps", half);
    }
    return labels;
}

ScaleLabels initialScaleLabels() {
    return {format("%d Kbps", 1), format("%d bps", 500)};
}

std::string securityText(uint32_t encryptionStatus) {
    switch (encryptionStatus) {
    case ZARN9100_ENCRYPTION_WEP:
        return "WEP";
    case ZARN9100_ENCRYPTION_WEP_KEY_ABSENT:
        return std::string("WEP") + " - Key Absent";
    case ZARN9100_ENCRYPTION_TKIP:
        return "TKIP";
    case ZARN9100_ENCRYPTION_TKIP_KEY_ABSENT:
        return std::string("TKIP") + " - Key Absent";
    case ZARN9100_ENCRYPTION_AES:
        return "AES";
    case ZARN9100_ENCRYPTION_AES_KEY_ABSENT:
        return std::string("AES") + " - Key Absent";
    default:
        return "Security Off";
    }
}

std::string networkTypeText(uint32_t networkType) {
    switch (networkType) {
    case ZARN9100_NETWORK_ADHOC:
        return "Ad-Hoc";
    case ZARN9100_NETWORK_INFRASTRUCTURE:
        return "Infrastructure";
    default:
        return "Unknown";
    }
}

std::string bssidText(const std::array<uint8_t, 6>& b) {
    return format("%02X %02X %02X %02X %02X %02X", b[0], b[1], b[2], b[3], b[4], b[5]);
}

std::string channelCaption(uint32_t channel, uint32_t frequencyMHz) {
    return format("Channel %u (%.3f GHz)", channel, frequencyMHz / 1000.0);
}

std::string signalPercentText(int position) {
    return format("%3.0f %%", position * 100.0 / 40.0);
}

}  // namespace tembrel::monitoring
