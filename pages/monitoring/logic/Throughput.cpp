#include "pages/monitoring/logic/Throughput.h"

#include <algorithm>
#include <limits>

namespace tembrel::monitoring {

uint32_t mulDivRounded(uint32_t number, uint32_t numerator, uint32_t denominator) {
    if (denominator == 0) {
        return std::numeric_limits<uint32_t>::max();
    }
    const uint64_t product = uint64_t{number} * numerator;
    const uint64_t quotient = (product + denominator / 2) / denominator;
    return quotient > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                           : static_cast<uint32_t>(quotient);
}

std::optional<Rates> ThroughputMeter::measure(uint32_t nowMs, uint32_t outOctets, uint32_t inOctets) {
    if (!haveBaseline_) {
        haveBaseline_ = true;
        thenMs_ = nowMs;
        outOctets_ = outOctets;
        inOctets_ = inOctets;
        return std::nullopt;
    }
    if (nowMs == thenMs_) {
        return std::nullopt;
    }
    const uint32_t elapsedMs = nowMs - thenMs_;
    Rates rates;
    rates.rx = mulDivRounded(inOctets - inOctets_, 8000, elapsedMs);
    rates.tx = mulDivRounded(outOctets - outOctets_, 8000, elapsedMs);
    thenMs_ = nowMs;
    outOctets_ = outOctets;
    inOctets_ = inOctets;
    return rates;
}

Rates ThroughputHistory::record(const Rates& rates) {
    if (index_ >= kCapacity || count_ > kCapacity) {
        index_ = 0;
        count_ = 0;
    }
    records_[index_] = rates;
    count_ = std::min(count_ + 1, kCapacity);
    Rates peak;
    for (size_t i = 0; i < count_; ++i) {
        peak.tx = std::max(peak.tx, records_[i].tx);
        peak.rx = std::max(peak.rx, records_[i].rx);
    }
    index_ = (index_ + 1) % kCapacity;
    return peak;
}

std::optional<GraphScale::Change> GraphScale::update(uint32_t peak) {
    if (peak == peak_ || peak == 0) {
        return std::nullopt;
    }
    peak_ = peak;
    // 1.2 x in integers: a peak of 100,000 must give exactly 120,000.
    const uint64_t scaled = uint64_t{peak} * 12 / 10;
    const auto fullScale = static_cast<uint32_t>(
        std::clamp<uint64_t>(scaled, kMinimumFullScale, std::numeric_limits<uint32_t>::max()));
    return Change{fullScale, scaleLabels(fullScale)};
}

}  // namespace tembrel::monitoring
