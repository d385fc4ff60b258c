#pragma once
// The Network Status page's smoothing of the two per-second driver readings: signal strength
// (averaged over 10 samples) and link speed (peak of the last 5 samples).

#include <array>
#include <cstddef>
#include <cstdint>

namespace tembrel::monitoring {

// Link speed in units of 100 bit/s. With RefreshRatePS 0 the shown speed is the largest of the
// last five readings, so a short drop does not flicker; otherwise each reading is shown as read.
class LinkSpeedRing {
public:
    explicit LinkSpeedRing(uint32_t refreshRatePS = 0) : refreshRatePS_(refreshRatePS) {}
    void setRefreshRatePS(uint32_t value) { refreshRatePS_ = value; }
    // Takes one reading; returns the speed to show.
    uint32_t add(uint32_t speed100bps);
    void reset();

private:
    std::array<uint32_t, 5> slots_{};
    size_t index_ = 0;
    uint32_t refreshRatePS_;
};

// Signal level = RSSI in dBm + 96, averaged over the last 10 readings, 0 to 40.
class SignalAverager {
public:
    void add(int32_t rssiDbm);
    // Mean of the stored samples rounded up, 0 to 40. Readings below -96 dBm count as 0 (a weak
    // signal must not show as a full bar); 0 while no reading has been taken.
    uint32_t level() const;
    uint32_t sampleCount() const { return count_; }
    void reset();

private:
    std::array<int32_t, 10> slots_{};
    size_t index_ = 0;
    uint32_t count_ = 0;
};

inline constexpr int kSignalBarMaximum = 40;

// Bar position for a level 0..40: steep over the weakest levels (2.5 per level below 10, where
// 10 gives 25), then half a step per level up to the full 40 at level 40. Monotonic; 0 for no signal.
int signalBarPosition(uint32_t level);

}  // namespace tembrel::monitoring
