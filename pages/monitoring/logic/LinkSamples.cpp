#include "pages/monitoring/logic/LinkSamples.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tembrel::monitoring {

uint32_t LinkSpeedRing::add(uint32_t speed100bps) {
    if (refreshRatePS_ != 0) {
        return speed100bps;
    }
    if (index_ >= slots_.size()) {
        index_ = 0;
    }
    slots_[index_++] = speed100bps;
    return *std::max_element(slots_.begin(), slots_.end());
}

void LinkSpeedRing::reset() {
    slots_.fill(0);
    index_ = 0;
}

void SignalAverager::add(int32_t rssiDbm) {
    if (index_ >= slots_.size()) {
        index_ = 0;
    }
    // Clamp before storing so that a wild reading cannot overflow the sum.
    slots_[index_++] = std::clamp<int32_t>(rssiDbm, -1000, 1000) + 96;
    count_ = std::min<uint32_t>(count_ + 1, static_cast<uint32_t>(slots_.size()));
}

uint32_t SignalAverager::level() const {
    if (count_ == 0) {
        return 0;
    }
    const int64_t sum = std::accumulate(slots_.begin(), slots_.end(), int64_t{0});
    const double mean = std::ceil(static_cast<double>(sum) / count_);
    return static_cast<uint32_t>(std::clamp(mean, 0.0, 40.0));
}

void SignalAverager::reset() {
    slots_.fill(0);
    index_ = 0;
    count_ = 0;
}

int signalBarPosition(uint32_t level) {
    const int capped = static_cast<int>(std::min<uint32_t>(level, kSignalBarMaximum));
    const int position = capped < 10 ? capped * 5 / 2 : capped / 2 + 20;
    return std::min(position, kSignalBarMaximum);
}

}  // namespace tembrel::monitoring
