#include "pages/settings/logic/AdvancedValues.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace tembrel::advanced {

const std::vector<Entry>& fixedEntries(List list) {
    static const std::vector<Entry> powerSave{{"Continuous Access", 0}, {"Max Power Save", 1}};
    static const std::vector<Entry> preamble{{"Auto", 1}, {"Short", 2}, {"Long", 3}};
    static const std::vector<Entry> rxAntenna{{"Diversity On", 0xFFFF}, {"Diversity Off", 2}};
    static const std::vector<Entry> txAntenna{{"Diversity On", 0xFFFF}, {"Antenna 2", 2}};
    static const std::vector<Entry> txPower{{"Auto", 4}, {"High", 3}, {"Medium", 2}, {"Low", 1}};
    static const std::vector<Entry> none;
    switch (list) {
    case List::PowerSave: return powerSave;
    case List::Preamble: return preamble;
    case List::RxAntenna: return rxAntenna;
    case List::TxAntenna: return txAntenna;
    case List::TxPower: return txPower;
    case List::TxRate: break;
    }
    return none;
}

std::string formatRate(uint32_t rate500kbps) {
    const std::string whole = std::to_string(rate500kbps / 2);
    return rate500kbps % 2 == 0 ? whole + " Mbps" : whole + ".5 Mbps";
}

std::vector<Entry> rateEntries(uint32_t wirelessMode) {
    static const std::vector<uint32_t> b{2, 4, 11, 22};
    static const std::vector<uint32_t> a{12, 18, 24, 36, 48, 72, 96, 108};
    static const std::vector<uint32_t> g{2, 4, 11, 12, 18, 22, 24, 36, 48, 72, 96, 108};
    const auto& rates = wirelessMode == 1 ? b : wirelessMode == 2 ? a : g;
    std::vector<Entry> entries{{"Auto", kRateAuto}};
    for (uint32_t rate : rates) entries.push_back({formatRate(rate), rate});
    return entries;
}

uint32_t pendingBitsOf(List list) {
    switch (list) {
    case List::PowerSave: return kPendingPowerSave;
    case List::Preamble: return kPendingPreamble;
    case List::RxAntenna: return kPendingRxAntenna;
    case List::TxAntenna: return kPendingTxAntenna;
    case List::TxPower: return kPendingTxPower;
    case List::TxRate: return kPendingDataRate | kPendingPreamble;
    }
    return 0;
}

std::optional<int32_t> parseThreshold(std::string_view text) {
    if (text.empty()) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

int32_t thresholdFromDriver(uint32_t value) {
    constexpr auto kMax = static_cast<uint32_t>(std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(value > kMax ? kMax : value);
}

std::string boundedText(const char* buffer, size_t capacity) {
    const void* nul = std::memchr(buffer, '\0', capacity);
    const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - buffer) : capacity;
    return std::string(buffer, length);
}

}  // namespace tembrel::advanced
