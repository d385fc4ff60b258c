#pragma once
// The statistics page's logic, in its two layouts: the standard one (counters, signal bar and
// link icon) and the detailed one (counters partly since the last Reset, receive-error detail,
// RSSI range counters). Each update queries the card and fills the tables' value cells.

#include "pages/logic/CardAccess.h"
#include "pages/monitoring/logic/LinkSamples.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tembrel::monitoring {

// Row labels, column 0 and column 2 of each table ("" = an empty cell).
using TableLabels = std::vector<std::array<std::string_view, 2>>;
extern const TableLabels kTransmitLabels;
extern const TableLabels kStandardReceiveLabels;
extern const TableLabels kDetailedReceiveLabels;
extern const TableLabels kRssiLabels;

// Value cells, columns 1 and 3 of each row.
using TableValues = std::vector<std::array<std::string, 2>>;

// A driver counter as shown: unsigned decimal of the full 64-bit value. The driver's counters
// never go below zero; a negative value from a faulty driver shows as 0.
std::string formatCounter(int64_t value);
// The sum of two counters, formed in 64 bits.
std::string formatCounterSum(int64_t a, int64_t b);

// A counter shown relative to the value it had when the user pressed Reset. A driver that does
// not clear its counters keeps counting from the baseline; one that does starts again below it,
// and the baseline is then dropped, so the shown value never jumps back. A failed query's zeros
// (`read` false) are shown as they are but say nothing about the driver: the baseline stays.
class SinceReset {
public:
    void setBaseline(int64_t value) { baseline_ = value < 0 ? 0 : value; }
    int64_t baseline() const { return baseline_; }
    int64_t shown(int64_t current, bool read = true);

private:
    int64_t baseline_ = 0;
};

// The driver's records, zero-filled before each query (a failed query shows zeros).
struct StatisticsRecords {
    bool statisticsRead = false;  // QueryStatistics answered 0
    _NDIS_802_11_STATISTICS statistics{};
    _BEACON_STATS beacons{};
    _RSSI_STATS rssi{};
};

inline constexpr int kStatisticsTimerId = 8192;
inline constexpr int kStatisticsTimerPeriodMs = 1000;

// The standard layout: counters as the card reports them, signal bar and link icon.
class StandardStatisticsModel {
public:
    explicit StandardStatisticsModel(CardAccess card);

    // Page shown: the signal samples start again and updates run.
    void activate();
    // The card became unusable (true) or usable again (false).
    void setPaused(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }
    void update();

    const TableValues& transmit() const { return transmit_; }
    const TableValues& receive() const { return receive_; }
    int signalBar() const { return signalBar_; }
    int linkIcon() const { return linkIcon_; }
    uint32_t sampleCount() const { return signal_.sampleCount(); }

private:
    CardAccess card_;
    TableValues transmit_;
    TableValues receive_;
    SignalAverager signal_;
    int signalBar_ = 0;
    int linkIcon_;
    bool paused_ = false;
};

// The detailed layout: six counters since Reset, FCS errors per second and RSSI ranges.
class DetailedStatisticsModel {
public:
    enum Baseline { kRetries, kMultipleRetries, kFailed, kAckFailures, kRtsSuccesses, kRtsFailures, kBaselineCount };

    explicit DetailedStatisticsModel(CardAccess card);

    // Page shown: the next "FCS Per Sec" shows the whole count.
    void activate() { previousFcs_ = 0; }
    void update();
    // "&Reset": baselines from the current counters, then the card's own reset and one update.
    void reset();

    const TableValues& transmit() const { return transmit_; }
    const TableValues& receive() const { return receive_; }
    const TableValues& rssi() const { return rssi_; }
    int64_t baseline(Baseline which) const { return baselines_[which].baseline(); }

private:
    CardAccess card_;
    TableValues transmit_;
    TableValues receive_;
    TableValues rssi_;
    std::array<SinceReset, kBaselineCount> baselines_{};
    int64_t previousFcs_ = 0;
};

}  // namespace tembrel::monitoring
