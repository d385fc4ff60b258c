#include "EventStormCampaign.h"

#include <malloc.h>
#include <unistd.h>

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <thread>

#include "SimulatedSheet.h"

namespace tembrel::stress {

namespace {

// Resident memory of this process in KiB.
long long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace
}  // namespace tembrel::stress

// Present in sanitizer builds: the heap in use, without the freed blocks the sanitizer holds back.
extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace tembrel::stress {
namespace {

// The heap in use in KiB: what is allocated and not freed, whatever the allocator keeps mapped.
long long HeapInUseKiB() {
    if (__sanitizer_get_current_allocated_bytes != nullptr)
        return static_cast<long long>(__sanitizer_get_current_allocated_bytes() / 1024);
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<long long>((info.uordblks + info.hblkhd) / 1024);
}

std::string MiB(long long kib) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", kib / 1024.0);
    return text;
}

// How long requests queued to the window wait before they run: the window answering.
class AnswerProbe {
public:
    void send() {
        const auto sent = Clock::now();
        QMetaObject::invokeMethod(
            qApp, [this, sent] { worst_ = std::max(worst_, Clock::now() - sent); ++answered_; }, Qt::QueuedConnection);
        ++sent_;
    }
    long long worstMs() const { return std::chrono::duration_cast<std::chrono::milliseconds>(worst_).count(); }
    bool allAnswered() const { return answered_ == sent_; }
    void reset() { worst_ = {}; }

private:
    Clock::duration worst_{};
    long long sent_ = 0, answered_ = 0;
};

}  // namespace

std::vector<Figure> RunEventStormCampaign(const StormOptions& options) {
    const std::string c = "event storm";
    StallMeter stalls;
    SimulatedSheet window(options.library);
    if (!window.error().empty()) return {{c, "the window on the simulated card", window.error(), "running", false}};
    const bool connected = Pump(30000, [&] { return window.connectedHome(); });
    Pump(2000);  // settle: the page's first ticks and the supervisor's first pass
    const long long before = ResidentKiB();
    const long long heapBefore = HeapInUseKiB();

    stalls.reset();
    AnswerProbe probe;
    std::string reply;
    std::atomic<bool> over{false};
    const std::string command = "[\"storm\",\"" + std::to_string(options.stormMs) + "\"]";
    std::thread storm([&] {
        window.control(command.c_str(), &reply);
        over = true;
    });
    long long peak = before, heapPeak = heapBefore;
    auto nextProbe = Clock::now();
    while (!over) {
        Pump(20);
        peak = std::max(peak, ResidentKiB());
        heapPeak = std::max(heapPeak, HeapInUseKiB());
        if (Clock::now() >= nextProbe) {
            probe.send();
            nextProbe += std::chrono::milliseconds(200);
        }
    }
    storm.join();
    const long long stormStallMs = stalls.worstMs();
    const long long stormWaitMs = probe.worstMs();

    // After the storm: the window answers, and memory comes back.
    const auto end = Clock::now();
    probe.reset();
    probe.send();
    const bool answers = Pump(10000, [&] { return probe.allAnswered(); });
    const long long answerMs = probe.worstMs();
    constexpr long long kToleranceKiB = 2048;  // allocator noise
    const bool back = Pump(10000, [&] { return HeapInUseKiB() <= heapBefore + kToleranceKiB; });
    const double backS = std::chrono::duration<double>(Clock::now() - end).count();
    const long long heapAfter = HeapInUseKiB();
    const long long after = ResidentKiB();
    const bool stillConnected = window.connectedHome();

    char backText[48];
    std::snprintf(backText, sizeof backText, "%s MiB, %s after %.1f s", MiB(heapAfter).c_str(),
                  back ? "back" : "not back", backS);
    return {
        {c, "connected before the storm", connected ? "yes" : "no", "yes", connected},
        {c, "storm", std::to_string(options.stormMs / 1000.0).substr(0, 4) + " s, " + reply, "", true},
        {c, "heap in use before / peak (MiB)", MiB(heapBefore) + " / " + MiB(heapPeak), "", true},
        {c, "heap in use after the storm", backText, "within 2 MiB of before in 10 s", back},
        {c, "resident memory before / peak / after (MiB)", MiB(before) + " / " + MiB(peak) + " / " + MiB(after), "",
         true},
        {c, "longest stall of the user-interface thread during the storm (ms)", std::to_string(stormStallMs), "",
         true},
        {c, "longest wait of a request to the window during the storm (ms)", std::to_string(stormWaitMs), "", true},
        {c, "a request to the window after the storm answered in (ms)", answers ? std::to_string(answerMs) : "never",
         "at most 1000", answers && answerMs <= 1000},
        {c, "still connected after the storm", stillConnected ? "yes" : "no", "yes", stillConnected},
    };
}

}  // namespace tembrel::stress
