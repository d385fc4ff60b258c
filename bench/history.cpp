// The connection history's costs: the report of 30 days of a busy journal (to stay under 1 s),
// one journal entry (a connected sample every 10 s must cost far below 1 % of a core), and the
// recorder thread's wake-ups while not connected (to stay 0).

#include "history/HistoryRecorder.h"
#include "history/JournalFiles.h"
#include "history/JournalReader.h"
#include "history/ReportHtml.h"
#include "history/ReportModel.h"

#include <TembrelCodes.h>
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

namespace {

using namespace tembrel;
namespace fs = std::filesystem;

struct Scratch {
    fs::path path;
    Scratch() {
        std::string pattern = "/tmp/tembrel-history-bench-XXXXXX";
        if (::mkdtemp(pattern.data())) path = pattern;
    }
    ~Scratch() {
        std::error_code error;
        fs::remove_all(path, error);
    }
};

constexpr std::int64_t kDayMs = 24LL * 3600 * 1000;

// 30 days of a laptop that roams all day: a link every 20 minutes, a sample a minute, a scan
// every 5 minutes, a refusal and a card pull a day. About 60,000 entries (within the 4 MiB limit).
void WriteBusyMonth(const fs::path& folder, SystemTime end) {
    JournalLimits limits;
    limits.maxBytes = 64 << 20;  // keep all of it: the report reads what the limits kept
    JournalFiles files(folder, limits);
    const auto endMs = std::chrono::duration_cast<std::chrono::milliseconds>(end.time_since_epoch()).count();
    const std::int64_t start = endMs - 30 * kDayMs;
    for (std::int64_t day = 0; day < 30; ++day) {
        std::string lines;
        for (std::int64_t minute = 0; minute < 24 * 60; ++minute) {
            const std::int64_t t = start + day * kDayMs + minute * 60'000;
            const std::string ts = std::to_string(t);
            if (minute % 20 == 0)
                lines += "{\"t\":" + ts + ",\"k\":\"result\",\"profile\":\"Office\",\"ssid\":\"Office\",\"code\":0}\n"
                         "{\"t\":" + ts + ",\"k\":\"up\",\"ssid\":\"Office\",\"bssid\":\"00:11:22:33:44:55\",\"channel\":6,"
                         "\"band\":\"2.4 GHz\",\"security\":\"WPA2-PSK AES\",\"dbm\":-55,\"speedKbps\":54000}\n";
            lines += "{\"t\":" + ts + ",\"k\":\"sample\",\"dbm\":" + std::to_string(-50 - minute % 40) + ",\"speedKbps\":54000}\n";
            if (minute % 5 == 0)
                lines += "{\"t\":" + ts + ",\"k\":\"scan\",\"nets\":[{\"ssid\":\"Office\",\"ch\":6,\"dbm\":-55,\"sec\":\"WPA2\"},"
                         "{\"ssid\":\"Cafe\",\"ch\":11,\"dbm\":-70,\"sec\":\"open\"},{\"ssid\":\"Lab\",\"ch\":36,\"dbm\":-66,\"sec\":\"WPA2\"}]}\n";
            if (minute % 20 == 19)
                lines += "{\"t\":" + ts + ",\"k\":\"lost\",\"event\":\"lost\",\"before\":[-70,-82,-88]}\n";
        }
        files.append(lines, SystemTime(std::chrono::milliseconds(start + day * kDayMs)));
    }
}

void BM_ReportOf30BusyDays(benchmark::State& state) {
    Scratch scratch;
    const SystemTime now = std::chrono::system_clock::now();
    WriteBusyMonth(scratch.path, now);
    const auto nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    std::size_t entries = 0, bytes = 0;
    for (auto _ : state) {
        const JournalRead read = ReadJournal(scratch.path, nowMs - 30 * kDayMs);
        const std::string page = RenderReport(BuildReportModel(read.entries, nowMs - 30 * kDayMs, nowMs), "the last 30 days");
        entries = read.entries.size();
        bytes = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    state.counters["entries"] = static_cast<double>(entries);
    state.counters["page_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ReportOf30BusyDays)->Unit(benchmark::kMillisecond)->Iterations(3);

// One fact through the recorder to the disk, as a connected sample is every 10 s.
void BM_JournalEntry(benchmark::State& state) {
    Scratch scratch;
    HistoryRecorder recorder(scratch.path, {});
    for (auto _ : state) {
        recorder.libraryEvent(ZARN9100_EVENT_STATUS_TEXT, "Authentication failed: \"Office\": passphrase does not match");
        recorder.flush();
    }
}
BENCHMARK(BM_JournalEntry)->Unit(benchmark::kMicrosecond);

std::set<std::string> Threads() {
    std::set<std::string> ids;
    if (DIR* dir = ::opendir("/proc/self/task")) {
        while (dirent* e = ::readdir(dir))
            if (e->d_name[0] != '.') ids.insert(e->d_name);
        ::closedir(dir);
    }
    return ids;
}

long Switches(const std::string& tid) {
    std::ifstream status("/proc/self/task/" + tid + "/status");
    std::string line;
    long total = 0;
    while (std::getline(status, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
            total += std::stol(line.substr(line.find(':') + 1));
    return total;
}

// The recorder's thread over 2 s while not connected: it should not run at all.
void BM_WakeUpsWhileNotConnected(benchmark::State& state) {
    Scratch scratch;
    long wakeUps = 0;
    for (auto _ : state) {
        const auto before = Threads();
        HistoryRecorder recorder(scratch.path, {}, HistoryProbe{nullptr, [] { return std::optional(LinkSample{-50, 54000}); }, nullptr});
        recorder.libraryEvent(ZARN9100_EVENT_LINK_DOWN, "");
        recorder.flush();
        std::string tid;
        for (const auto& id : Threads())
            if (!before.count(id)) tid = id;
        const long start = Switches(tid);
        std::this_thread::sleep_for(std::chrono::seconds(2));
        wakeUps = Switches(tid) - start;
    }
    state.counters["wakeups_in_2s"] = static_cast<double>(wakeUps);
}
BENCHMARK(BM_WakeUpsWhileNotConnected)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
