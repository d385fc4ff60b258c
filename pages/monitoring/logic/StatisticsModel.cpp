#include "pages/monitoring/logic/StatisticsModel.h"

#include "pages/monitoring/logic/MainPageModel.h"

namespace tembrel::monitoring {

const TableLabels kTransmitLabels = {
    {"Total Packet", "Failed Count"},
    {"Unicast Packet", "RTS Success"},
    {"Multicast Packet", "RTS Failure"},
    {"Single Retries", "ACK Error"},
    {"Multiple Retries", ""},
};
const TableLabels kStandardReceiveLabels = {
    {"Total Packet", "Duplicate Frame"},
    {"Unicast Packet", "Received Beacons"},
    {"Multicast Packet", "Beacon Loss"},
};
const TableLabels kDetailedReceiveLabels = {
    {"Total Packet", "FCS Error"},
    {"Unicast Packet", "FCS Per Sec"},
    {"Multicast Packet", "Received Beacons"},
    {"Duplicate Frame", "Beacon Loss"},
};
const TableLabels kRssiLabels = {
    {"0 -- 19", "40 -- 59"},
    {"20 -- 39", "60 & Up"},
};

namespace {

uint64_t nonNegative(int64_t value) { return value < 0 ? 0 : static_cast<uint64_t>(value); }

TableValues emptyTable(const TableLabels& labels) { return TableValues(labels.size()); }

StatisticsRecords query(const CardAccess& card, bool withRssi) {
    StatisticsRecords records;
    card.with([&](DriverLibrary& library, ZARN9100_HANDLE h) {
        // A failed query leaves its record zero-filled; only the statistics' result is kept, for
        // the baselines since Reset.
        if (withRssi) library.QueryRssiStat(h, &records.rssi);
        records.statisticsRead = library.QueryStatistics(h, &records.statistics) == 0;
        library.QueryBeaconStatistics(h, &records.beacons);
    });
    return records;
}

}  // namespace

std::string formatCounter(int64_t value) { return std::to_string(nonNegative(value)); }

std::string formatCounterSum(int64_t a, int64_t b) { return std::to_string(nonNegative(a) + nonNegative(b)); }

int64_t SinceReset::shown(int64_t current, bool read) {
    if (current < 0) current = 0;
    if (current >= baseline_) return current - baseline_;
    if (read) baseline_ = 0;
    return current;
}

// ---- standard layout ----

StandardStatisticsModel::StandardStatisticsModel(CardAccess card)
    : card_(std::move(card)),
      transmit_(emptyTable(kTransmitLabels)),
      receive_(emptyTable(kStandardReceiveLabels)),
      linkIcon_(kIconNoLink) {}

void StandardStatisticsModel::activate() {
    signal_.reset();
    paused_ = false;
}

void StandardStatisticsModel::update() {
    const ConnectionSnapshot link = card_.hasAdapter() ? card_.snapshot() : ConnectionSnapshot{};
    if (!card_.hasAdapter() || !link.connectedOrAdHocStarted()) {
        signalBar_ = 0;
        linkIcon_ = kIconNoLink;
        signal_.reset();
        return;
    }
    if (paused_) return;

    int32_t rssi = 0;
    int rssiResult = -1;
    card_.with([&](DriverLibrary& library, ZARN9100_HANDLE h) { rssiResult = library.QueryRssi(h, &rssi); });
    if (rssiResult == 0) signal_.add(rssi);
    signalBar_ = signalBarPosition(signal_.level());
    switch (link.currentWlanMode) {
    case 1: linkIcon_ = kIconBandB; break;
    case 2: linkIcon_ = kIconBandA; break;
    default: linkIcon_ = kIconBandG; break;
    }

    const StatisticsRecords r = query(card_, false);
    const auto& s = r.statistics;
    transmit_ = {
        {formatCounterSum(s.TransmittedFragmentCount, s.MulticastTransmittedFrameCount), formatCounter(s.FailedCount)},
        {formatCounter(s.TransmittedFragmentCount), formatCounter(s.RTSSuccessCount)},
        {formatCounter(s.MulticastTransmittedFrameCount), formatCounter(s.RTSFailureCount)},
        {formatCounter(s.RetryCount), formatCounter(s.ACKFailureCount)},
        {formatCounter(s.MultipleRetryCount), ""},
    };
    receive_ = {
        {formatCounterSum(s.ReceivedFragmentCount, s.MulticastReceivedFrameCount), formatCounter(s.FrameDuplicateCount)},
        {formatCounter(s.ReceivedFragmentCount), std::to_string(r.beacons.BeaconsReceived)},
        {formatCounter(s.MulticastReceivedFrameCount), std::to_string(r.beacons.BeaconsLost)},
    };
}

// ---- detailed layout ----

DetailedStatisticsModel::DetailedStatisticsModel(CardAccess card)
    : card_(std::move(card)),
      transmit_(emptyTable(kTransmitLabels)),
      receive_(emptyTable(kDetailedReceiveLabels)),
      rssi_(emptyTable(kRssiLabels)) {}

void DetailedStatisticsModel::update() {
    const StatisticsRecords r = query(card_, true);
    const auto& s = r.statistics;
    auto since = [&](Baseline which, int64_t current) {
        return std::to_string(baselines_[which].shown(current, r.statisticsRead));
    };
    transmit_ = {
        {formatCounterSum(s.TransmittedFragmentCount, s.MulticastTransmittedFrameCount), since(kFailed, s.FailedCount)},
        {formatCounter(s.TransmittedFragmentCount), since(kRtsSuccesses, s.RTSSuccessCount)},
        {formatCounter(s.MulticastTransmittedFrameCount), since(kRtsFailures, s.RTSFailureCount)},
        {since(kRetries, s.RetryCount), since(kAckFailures, s.ACKFailureCount)},
        {since(kMultipleRetries, s.MultipleRetryCount), ""},
    };
    const int64_t fcs = static_cast<int64_t>(nonNegative(s.FCSErrorCount));
    const int64_t fcsPerSecond = fcs > previousFcs_ ? fcs - previousFcs_ : 0;
    previousFcs_ = fcs;
    receive_ = {
        {formatCounterSum(s.ReceivedFragmentCount, s.MulticastReceivedFrameCount), formatCounter(fcs)},
        {formatCounter(s.ReceivedFragmentCount), std::to_string(fcsPerSecond)},
        {formatCounter(s.MulticastReceivedFrameCount), std::to_string(r.beacons.BeaconsReceived)},
        {formatCounter(s.FrameDuplicateCount), std::to_string(r.beacons.BeaconsLost)},
    };
    rssi_ = {
        {std::to_string(r.rssi.Range[0]), std::to_string(r.rssi.Range[2])},
        {std::to_string(r.rssi.Range[1]), std::to_string(r.rssi.Range[3])},
    };
}

void DetailedStatisticsModel::reset() {
    _NDIS_802_11_STATISTICS s{};
    const bool card = card_.with([&](DriverLibrary& library, ZARN9100_HANDLE h) { library.QueryStatistics(h, &s); });
    if (!card) return;
    baselines_[kRetries].setBaseline(s.RetryCount);
    baselines_[kMultipleRetries].setBaseline(s.MultipleRetryCount);
    baselines_[kFailed].setBaseline(s.FailedCount);
    baselines_[kAckFailures].setBaseline(s.ACKFailureCount);
    baselines_[kRtsSuccesses].setBaseline(s.RTSSuccessCount);
    baselines_[kRtsFailures].setBaseline(s.RTSFailureCount);
    previousFcs_ = 0;
    card_.with([](DriverLibrary& library, ZARN9100_HANDLE h) { library.ResetStatistics(h); });
    update();
}

}  // namespace tembrel::monitoring
