#pragma once
// Throughput of the card's interface from the system's 32-bit octet totals, its 60-second
// history and the graph scales derived from that history.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "pages/monitoring/logic/MonitorFormat.h"

namespace tembrel::monitoring {

// number * numerator / denominator with a 64-bit intermediate, rounded to nearest (halves up);
// 0xFFFFFFFF when the denominator is 0 or the result does not fit.
uint32_t mulDivRounded(uint32_t number, uint32_t numerator, uint32_t denominator);

struct Rates {
    uint32_t tx = 0;  // bit/s
    uint32_t rx = 0;
};

// Rates between consecutive readings. All differences are taken modulo 2^32, so a tick count or
// counter that wrapped since the last reading still gives the right value.
class ThroughputMeter {
public:
    // nullopt when this reading only starts a baseline or comes at the same tick as the last one.
    std::optional<Rates> measure(uint32_t nowMs, uint32_t outOctets, uint32_t inOctets);
    void clearBaseline() { haveBaseline_ = false; }

private:
    bool haveBaseline_ = false;
    uint32_t thenMs_ = 0;
    uint32_t outOctets_ = 0;
    uint32_t inOctets_ = 0;
};

// The last 60 rate pairs (one a second).
class ThroughputHistory {
public:
    static constexpr size_t kCapacity = 60;
    // Stores the pair and returns the largest tx and rx among the stored records.
    Rates record(const Rates& rates);
    size_t count() const { return count_; }

private:
    std::array<Rates, kCapacity> records_{};
    size_t index_ = 0;
    size_t count_ = 0;
};

// One graph's full scale. It follows the history's peak: 1.2 x the peak, at least 200 bit/s.
class GraphScale {
public:
    static constexpr uint32_t kInitialPeak = 1000;
    static constexpr uint32_t kMinimumFullScale = 200;

    struct Change {
        uint32_t fullScale;  // the graph's new SetRange(1, fullScale)
        ScaleLabels labels;
    };
    // A new scale when the peak differs from the one the scale was last made for and is not 0.
    std::optional<Change> update(uint32_t peak);
    uint32_t peak() const { return peak_; }

private:
    uint32_t peak_ = kInitialPeak;
};

}  // namespace tembrel::monitoring
