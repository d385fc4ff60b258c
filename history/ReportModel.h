#pragma once
// What the Wi-Fi report says, worked out from journal entries: the sessions and how each ended,
// drops and refusals by reason, the supervisor's decisions, the signal over time (thinned), the
// events to mark, and the networks heard with the channels they crowd. Plain data; the page is
// drawn from it by RenderReport.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tembrel {

struct ReportSession {
    std::int64_t startMs = 0;
    std::int64_t endMs = 0;  // the report's end when still connected
    std::string profile;
    std::string ssid;
    std::string bssid;
    std::string band;
    int channel = 0;
    std::string security;
    std::string endReason;  // "signal lost", "card pulled out", "radio switched off", "disconnected", ...
    bool drop = false;      // ended by a lost link
    bool weakBefore = false;  // a drop after the signal fell below kWeakSignalDbm
    int lowestBeforeDbm = 0;  // the lowest reading of the minute before a drop (0: none)
};

struct ReportMark {
    std::int64_t t = 0;
    std::string kind;  // "join", "refusal", "drop", "card", "radio"
    std::string label;
    int count = 1;     // more than one: that many events of the kind fall in this mark's slot
};

struct ReportPoint {
    std::int64_t t = 0;
    int dbm = 0;
};

struct HeardChannel {
    std::string ssid;
    int channel = 0;
    int dbm = -100;
    std::string security;
};

struct ReportModel {
    std::int64_t periodFromMs = 0;  // the period asked for
    std::int64_t fromMs = 0;        // what it covers: from the first entry when the history began later
    std::int64_t toMs = 0;
    std::int64_t connectedMs = 0;
    std::vector<ReportSession> sessions;
    int drops = 0;
    int weakDrops = 0;
    std::vector<ReportMark> refusals;               // one per refused join, with its reason
    std::map<std::string, int> dropsByReason;       // session end reasons of drops
    std::map<std::string, int> failuresByReason;    // joins that did not succeed, by reason
    std::vector<std::string> decisions;             // the supervisor's, newest last
    std::vector<ReportPoint> signal;                // at most kMaxSignalPoints
    std::vector<ReportMark> marks;                  // at most kMaxMarksPerKind a kind
    std::vector<HeardChannel> networks;             // strongest first
    std::vector<int> quietChannels24;               // of 1, 6, 11, least crowded first
    std::vector<int> quietChannels5;
    std::size_t entries = 0;

    double connectedPercent() const {
        return toMs > fromMs ? 100.0 * static_cast<double>(connectedMs) / static_cast<double>(toMs - fromMs) : 0.0;
    }
};

inline constexpr int kWeakSignalDbm = -80;
inline constexpr std::size_t kMaxSignalPoints = 720;
inline constexpr std::size_t kMaxMarksPerKind = 120;
inline constexpr std::size_t kMaxDecisions = 12;

// `entries` in time order (as the reader returns them); the report covers [fromMs, toMs].
ReportModel BuildReportModel(const std::vector<nlohmann::json>& entries, std::int64_t fromMs, std::int64_t toMs);

// Channels of 2.4 GHz overlap their neighbours up to 4 away: how much of `channel` a network on
// `other` covers, 1 for the same channel down to 0 five or more apart.
double ChannelOverlap(int channel, int other);

}  // namespace tembrel
