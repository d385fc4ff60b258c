#pragma once
// The journal of the connection's life: a HistorySink that turns each fact into one JSON line
// and appends it on a thread of its own, in batches (whatever arrived while the last batch was
// written goes out in one write). While the card is connected it also reads a sample (signal,
// link speed) every sampleInterval and keeps the one-minute trail that a link-lost entry carries;
// while not connected its thread sleeps until the next fact, so it adds no wake-up.
//
// Entries ("k" is the kind, "t" milliseconds since 1970 UTC):
//   start, end                    the program
//   card    present               card opened (1001) or pulled out (2)
//   radio   on, by                "switch" (the hardware switch) or "user"
//   join    by, page, profile, ssid, place, skipped[{profile, reason}]
//   result  profile, ssid, code   ConnectProfile's result
//   status  text                  the library's status text (1012)
//   up      ssid, bssid, channel, band, security, dbm, speedKbps, adhoc
//   lost    event, before[dBm]    "lost" (4), "down" (0), "refused" (5), "card" (2)
//   sample  dbm, speedKbps        on a real change, else once a minute
//   scan    nets[{ssid, ch, dbm, sec}]  strongest first, at most once per scanInterval

#include "history/HistorySink.h"
#include "history/JournalFiles.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tembrel {

// The version this program was built as.
extern const char* const kHistoryProgramVersion;

struct LinkFacts {
    std::string ssid;
    std::string bssid;  // "00:11:22:33:44:55"
    int channel = 0;
    std::string band;      // "2.4 GHz", "5 GHz"
    std::string security;  // "WPA2-PSK AES", "open" ...: the method, never the key
    int signalDbm = 0;
    std::uint32_t linkSpeedKbps = 0;
    bool adHoc = false;
};

struct LinkSample {
    int signalDbm = 0;
    std::uint32_t linkSpeedKbps = 0;
};

struct HeardNetwork {
    std::string ssid;
    int channel = 0;
    int signalDbm = 0;
    std::string security;
};

// What the recorder reads from the card on its own thread. Each may be empty.
struct HistoryProbe {
    std::function<std::optional<LinkFacts>()> link;    // after a link-up event
    std::function<std::optional<LinkSample>()> sample; // while connected
    std::function<std::vector<HeardNetwork>()> scan;   // after a scan-complete event
};

struct HistoryOptions {
    JournalLimits limits;
    std::chrono::milliseconds sampleInterval{10000};
    std::chrono::milliseconds sampleKeepAlive{60000};  // an unchanged sample is written this often
    std::chrono::milliseconds scanInterval{300000};
    std::string version = kHistoryProgramVersion;  // in the start entry
    std::function<SystemTime()> now = [] { return std::chrono::system_clock::now(); };
    JournalFiles::WriteCall write;  // tests make it fail
};

class HistoryRecorder final : public HistorySink {
public:
    HistoryRecorder(std::filesystem::path folder, HistoryOptions options, HistoryProbe probe = {});
    // Writes what is queued, then ends the thread.
    ~HistoryRecorder() override;

    void programStarted() override;
    void programEnded() override;
    void libraryEvent(uint32_t code, const std::string& text) override;
    void radioSetByUser(bool on) override;
    void joinAttempted(const JoinAttempt& attempt) override;
    void joinFinished(const std::string& profile, const std::string& ssid, int result) override;

    // Waits until everything queued so far has been handled (written or dropped).
    void flush();
    std::uint64_t droppedBatches() const;

private:
    using Step = std::function<void(std::vector<nlohmann::json>& out)>;
    void post(Step step);
    void run();
    void linkEnded(const char* event, std::vector<nlohmann::json>& out);
    void takeSample(std::vector<nlohmann::json>& out);
    std::int64_t nowMs() const;

    HistoryOptions options_;
    HistoryProbe probe_;
    JournalFiles files_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Step> queue_;
    std::uint64_t posted_ = 0;
    std::uint64_t handled_ = 0;
    std::uint64_t dropped_ = 0;
    bool stopping_ = false;

    // The thread's own state.
    bool connected_ = false;
    std::chrono::steady_clock::time_point nextSample_{};
    std::optional<LinkSample> lastWritten_;
    std::chrono::steady_clock::time_point lastWrittenAt_{};
    std::deque<std::pair<std::chrono::steady_clock::time_point, int>> trail_;  // the last minute's dBm
    std::optional<std::chrono::steady_clock::time_point> lastScan_;
    bool errorShown_ = false;

    std::thread thread_;  // last: starts after everything above exists
};

}  // namespace tembrel
