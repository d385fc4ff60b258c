#include "history/HistoryRecorder.h"

#include <TembrelCodes.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tembrel {

using nlohmann::json;

const char* const kHistoryProgramVersion = TEMBREL_HISTORY_VERSION;

namespace {
constexpr std::uint32_t kCardOpened = 1001;  // the program's own code (connection/EventCodes.h)
constexpr std::size_t kMaxScanNetworks = 64;
constexpr std::size_t kMaxSkipped = 32;
// A sample differs from the last one written by a real change: this much signal, or any speed.
constexpr int kSignalChangeDb = 3;

const char* RequesterName(JoinRequester r) {
    switch (r) {
    case JoinRequester::User: return "user";
    case JoinRequester::Supervisor: return "supervisor";
    case JoinRequester::AutoLink: return "autolink";
    }
    return "user";
}

json Entry(std::int64_t t, const char* kind) { return json{{"t", t}, {"k", kind}}; }
}  // namespace

HistoryRecorder::HistoryRecorder(std::filesystem::path folder, HistoryOptions options, HistoryProbe probe)
    : options_(std::move(options)),
      probe_(std::move(probe)),
      files_(std::move(folder), options_.limits, options_.write),
      thread_([this] { run(); }) {}

HistoryRecorder::~HistoryRecorder() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

std::int64_t HistoryRecorder::nowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(options_.now().time_since_epoch()).count();
}

void HistoryRecorder::post(Step step) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(step));
        ++posted_;
    }
    wake_.notify_one();
}

void HistoryRecorder::flush() {
    std::unique_lock lock(mutex_);
    const std::uint64_t target = posted_;
    idle_.wait(lock, [&] { return handled_ >= target; });
}

std::uint64_t HistoryRecorder::droppedBatches() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

void HistoryRecorder::programStarted() {
    const std::int64_t t = nowMs();
    post([t, version = options_.version](std::vector<json>& out) {
        json e = Entry(t, "start");
        if (!version.empty()) e["version"] = version;
        out.push_back(std::move(e));
    });
}

void HistoryRecorder::programEnded() {
    const std::int64_t t = nowMs();
    post([this, t](std::vector<json>& out) {
        if (connected_) linkEnded("end", out);
        out.push_back(Entry(t, "end"));
    });
}

void HistoryRecorder::radioSetByUser(bool on) {
    const std::int64_t t = nowMs();
    post([t, on](std::vector<json>& out) {
        json e = Entry(t, "radio");
        e["on"] = on;
        e["by"] = "user";
        out.push_back(std::move(e));
    });
}

void HistoryRecorder::joinAttempted(const JoinAttempt& attempt) {
    const std::int64_t t = nowMs();
    post([t, attempt](std::vector<json>& out) {
        json e = Entry(t, "join");
        e["by"] = RequesterName(attempt.requester);
        if (!attempt.page.empty()) e["page"] = attempt.page;
        e["profile"] = attempt.profile;
        e["ssid"] = attempt.ssid;
        if (attempt.preferPlace > 0) e["place"] = attempt.preferPlace;
        if (!attempt.skipped.empty()) {
            json skipped = json::array();
            for (std::size_t i = 0; i < attempt.skipped.size() && i < kMaxSkipped; ++i)
                skipped.push_back({{"profile", attempt.skipped[i].profile}, {"reason", attempt.skipped[i].reason}});
            e["skipped"] = std::move(skipped);
        }
        out.push_back(std::move(e));
    });
}

void HistoryRecorder::joinFinished(const std::string& profile, const std::string& ssid, int result) {
    const std::int64_t t = nowMs();
    post([t, profile, ssid, result](std::vector<json>& out) {
        json e = Entry(t, "result");
        e["profile"] = profile;
        e["ssid"] = ssid;
        e["code"] = result;
        out.push_back(std::move(e));
    });
}

void HistoryRecorder::libraryEvent(uint32_t code, const std::string& text) {
    const std::int64_t t = nowMs();
    post([this, t, code, text](std::vector<json>& out) {
        switch (code) {
        case kCardOpened:
        case ZARN9100_EVENT_CARD_REMOVED: {
            if (code == ZARN9100_EVENT_CARD_REMOVED && connected_) linkEnded("card", out);
            json e = Entry(t, "card");
            e["present"] = code == kCardOpened;
            out.push_back(std::move(e));
            break;
        }
        case ZARN9100_EVENT_RADIO_SWITCH_ON:
        case ZARN9100_EVENT_RADIO_SWITCH_OFF: {
            if (code == ZARN9100_EVENT_RADIO_SWITCH_OFF && connected_) linkEnded("radio", out);
            json e = Entry(t, "radio");
            e["on"] = code == ZARN9100_EVENT_RADIO_SWITCH_ON;
            e["by"] = "switch";
            out.push_back(std::move(e));
            break;
        }
        case ZARN9100_EVENT_LINK_UP:
        case ZARN9100_EVENT_ADHOC_LINK_UP: {
            json e = Entry(t, "up");
            e["adhoc"] = code == ZARN9100_EVENT_ADHOC_LINK_UP;
            if (const auto facts = probe_.link ? probe_.link() : std::nullopt) {
                e["ssid"] = facts->ssid;
                e["bssid"] = facts->bssid;
                e["channel"] = facts->channel;
                e["band"] = facts->band;
                e["security"] = facts->security;
                e["dbm"] = facts->signalDbm;
                e["speedKbps"] = facts->linkSpeedKbps;
                trail_.clear();
                trail_.emplace_back(std::chrono::steady_clock::now(), facts->signalDbm);
                lastWritten_ = LinkSample{facts->signalDbm, facts->linkSpeedKbps};
                lastWrittenAt_ = std::chrono::steady_clock::now();
            }
            out.push_back(std::move(e));
            connected_ = true;
            nextSample_ = std::chrono::steady_clock::now() + options_.sampleInterval;
            break;
        }
        case ZARN9100_EVENT_LINK_LOST:
            if (connected_) linkEnded("lost", out);
            break;
        case ZARN9100_EVENT_LINK_DOWN:
            if (connected_) linkEnded("down", out);
            break;
        case ZARN9100_EVENT_ASSOCIATION_REFUSED:
            if (connected_) linkEnded("refused", out);
            break;
        case ZARN9100_EVENT_STATUS_TEXT: {
            json e = Entry(t, "status");
            e["text"] = text.substr(0, 512);
            out.push_back(std::move(e));
            break;
        }
        case ZARN9100_EVENT_SCAN_COMPLETE: {
            const auto now = std::chrono::steady_clock::now();
            if (!probe_.scan || (lastScan_ && now - *lastScan_ < options_.scanInterval)) break;
            lastScan_ = now;
            auto heard = probe_.scan();
            std::stable_sort(heard.begin(), heard.end(),
                             [](const HeardNetwork& a, const HeardNetwork& b) { return a.signalDbm > b.signalDbm; });
            json nets = json::array();
            for (std::size_t i = 0; i < heard.size() && i < kMaxScanNetworks; ++i)
                nets.push_back({{"ssid", heard[i].ssid}, {"ch", heard[i].channel}, {"dbm", heard[i].signalDbm},
                                {"sec", heard[i].security}});
            json e = Entry(t, "scan");
            e["nets"] = std::move(nets);
            out.push_back(std::move(e));
            break;
        }
        default:
            break;
        }
    });
}

void HistoryRecorder::linkEnded(const char* event, std::vector<json>& out) {
    json e = Entry(nowMs(), "lost");
    e["event"] = event;
    json before = json::array();
    const auto minuteAgo = std::chrono::steady_clock::now() - std::chrono::minutes(1);
    for (const auto& [at, dbm] : trail_)
        if (at >= minuteAgo) before.push_back(dbm);
    e["before"] = std::move(before);
    out.push_back(std::move(e));
    connected_ = false;
    trail_.clear();
    lastWritten_.reset();
}

void HistoryRecorder::takeSample(std::vector<json>& out) {
    const auto now = std::chrono::steady_clock::now();
    nextSample_ = now + options_.sampleInterval;
    const auto sample = probe_.sample ? probe_.sample() : std::nullopt;
    if (!sample) return;
    trail_.emplace_back(now, sample->signalDbm);
    while (!trail_.empty() && trail_.front().first < now - std::chrono::minutes(1)) trail_.pop_front();
    const bool changed = !lastWritten_ || std::abs(lastWritten_->signalDbm - sample->signalDbm) >= kSignalChangeDb ||
                         lastWritten_->linkSpeedKbps != sample->linkSpeedKbps;
    if (!changed && now - lastWrittenAt_ < options_.sampleKeepAlive) return;
    json e = Entry(nowMs(), "sample");
    e["dbm"] = sample->signalDbm;
    e["speedKbps"] = sample->linkSpeedKbps;
    out.push_back(std::move(e));
    lastWritten_ = sample;
    lastWrittenAt_ = now;
}

void HistoryRecorder::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto ready = [this] { return stopping_ || !queue_.empty(); };
        // Not connected: nothing is due until the next fact arrives.
        if (connected_ && probe_.sample)
            wake_.wait_until(lock, nextSample_, ready);
        else
            wake_.wait(lock, ready);
        std::deque<Step> batch;
        batch.swap(queue_);
        const bool last = stopping_;
        lock.unlock();

        std::vector<json> entries;
        for (auto& step : batch) step(entries);
        if (connected_ && probe_.sample && !last && std::chrono::steady_clock::now() >= nextSample_) takeSample(entries);
        bool ok = true;
        if (!entries.empty()) {
            std::string lines;
            for (const auto& e : entries) lines += e.dump(-1, ' ', false, json::error_handler_t::replace) + '\n';
            ok = files_.append(lines, options_.now());
            // Said once per run of failures, not once per batch.
            if (!ok && !errorShown_) std::fprintf(stderr, "Tembrel: history not written: %s\n", files_.error().c_str());
            errorShown_ = !ok;
        }

        lock.lock();
        handled_ += batch.size();
        if (!ok) ++dropped_;
        idle_.notify_all();
        if (last && queue_.empty()) break;
    }
}

}  // namespace tembrel
