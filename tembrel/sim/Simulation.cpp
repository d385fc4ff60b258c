#include "Simulation.h"

#include "ControlCommands.h"
#include "ControlServer.h"

#include <algorithm>
#include <exception>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace tembrel::sim {

namespace {
bool ManualClockRequested() {
    const char* mode = std::getenv("TEMBREL_SIM_CLOCK");
    return mode != nullptr && std::strcmp(mode, "manual") == 0;
}

uint32_t SeedFromEnvironment() {
    const char* text = std::getenv("TEMBREL_SIM_SEED");
    if (text == nullptr) return 7700;
    char* end = nullptr;
    const unsigned long v = std::strtoul(text, &end, 10);
    return end != text && *end == '\0' ? uint32_t(v) : 7700;
}
}  // namespace

Environment LoadConfiguredEnvironment() {
    Environment env = DefaultEnvironment();
    if (const char* path = std::getenv("TEMBREL_SIM_ENVIRONMENT"); path != nullptr && *path != '\0') {
        constexpr size_t kMaxBytes = 4u << 20;
        std::ifstream in(path, std::ios::binary);
        // One byte beyond the limit is enough to refuse the file, and a device such as /dev/zero
        // is never read to its (missing) end.
        std::string text(kMaxBytes + 1, '\0');
        if (in) in.read(text.data(), std::streamsize(text.size()));
        text.resize(in ? text.size() : size_t(std::max<std::streamsize>(in.gcount(), 0)));
        if (!in && !in.eof()) {
            std::fprintf(stderr, "tembrel-sim: %s: cannot be read; using the built-in environment\n", path);
        } else if (text.size() > kMaxBytes) {
            std::fprintf(stderr, "tembrel-sim: %s: larger than 4 MiB; using the built-in environment\n", path);
        } else {
            std::string error;
            if (auto parsed = ParseEnvironment(text, error)) {
                env = std::move(*parsed);
            } else {
                std::fprintf(stderr, "tembrel-sim: %s: %s; using the built-in environment\n", path, error.c_str());
            }
        }
    }
    if (const char* hostile = std::getenv("TEMBREL_SIM_HOSTILE"); hostile != nullptr && std::strcmp(hostile, "1") == 0)
        env.hostile = true;
    // The variable names the host interface without an environment file (scripts/run sets it to
    // the interface of the default route, so that the utility shows real addresses and traffic).
    if (const char* host = std::getenv("TEMBREL_SIM_HOST_INTERFACE"); host != nullptr && *host != '\0') {
        const std::string name = host;
        if (name.size() <= 15 && name.find('/') == std::string::npos && name != "." && name != "..")
            env.hostInterface = name;
        else
            std::fprintf(stderr, "tembrel-sim: TEMBREL_SIM_HOST_INTERFACE is not an interface name\n");
    }
    if (!env.hostInterface.empty()) {
        if (auto mac = ReadInterfaceMac(env.hostInterface)) {
            env.mac = *mac;
        } else {
            std::fprintf(stderr, "tembrel-sim: interface %s has no readable address; using %s\n",
                         env.hostInterface.c_str(), FormatMac(env.mac).c_str());
        }
    }
    return env;
}

Simulation& Simulation::instance() {
    static Simulation simulation;
    return simulation;
}

Simulation::Simulation()
    : clock_(ManualClockRequested()), seed_(SeedFromEnvironment()), socketPath_(ControlSocketPath()) {
    card_ = std::make_unique<Card>(LoadConfiguredEnvironment(), clock_.nowMs(), seed_);
    if (!clock_.manual()) ticker_ = std::thread([this] { tick(); });
    if (socketPath_ != "none") server_ = ControlServer::start(socketPath_, *this);
}

Simulation::~Simulation() {
    server_.reset();
    {
        std::lock_guard lock(tickMutex_);
        stopping_ = true;
    }
    tickWake_.notify_all();
    if (ticker_.joinable()) ticker_.join();
}

void Simulation::forwardEvents() {
    for (abi::CardEvent& e : card_->takeEvents()) dispatcher_.post(std::move(e));
}

void Simulation::afterCall(std::unique_lock<std::mutex>& lock) {
    forwardEvents();
    const bool earlier = card_->nextDueMs() < tickerDueMs_;
    lock.unlock();
    if (earlier) wakeTicker();
}

void Simulation::wakeTicker() {
    if (clock_.manual()) return;  // no ticker: time moves only when the test says so
    {
        std::lock_guard lock(tickMutex_);
        rescheduled_ = true;
    }
    tickWake_.notify_all();
}

void Simulation::tick() {
    std::unique_lock lock(tickMutex_);
    while (!stopping_) {
        // A call that brings the due time forward from here on wakes the wait below.
        rescheduled_ = false;
        lock.unlock();
        uint64_t due = Card::kNever;
        uint64_t now = 0;
        {
            std::lock_guard cardLock(mutex_);
            now = clock_.nowMs();
            card_->advanceTo(now);
            forwardEvents();
            due = card_->nextDueMs();
            tickerDueMs_ = due;
        }
        lock.lock();
        const auto woken = [this] { return stopping_ || rescheduled_; };
        if (due == Card::kNever)
            tickWake_.wait(lock, woken);
        else if (due > now)
            tickWake_.wait_for(lock, std::chrono::milliseconds(due - now), woken);
    }
}

void Simulation::advance(uint64_t ms) {
    clock_.advance(ms);
    withCard([](Card&) {});
    // The ticker's sleep was measured on the clock before the jump.
    wakeTicker();
}

void Simulation::reset() {
    Environment env = LoadConfiguredEnvironment();
    {
        std::lock_guard lock(mutex_);
        card_ = std::make_unique<Card>(std::move(env), clock_.nowMs(), seed_);
    }
    wakeTicker();
}

bool Simulation::control(const std::vector<std::string>& words, std::string& reply) {
    if (!words.empty() && words[0] == "advance") {
        uint64_t ms = 0;
        if (words.size() != 2 || !ParseMilliseconds(words[1], ms)) {
            reply = "usage: advance MILLISECONDS";
            return false;
        }
        advance(ms);
        reply = "advanced " + words[1] + " ms";
        return true;
    }
    if (!words.empty() && words[0] == "storm") {
        uint64_t ms = 0;
        if (words.size() != 2 || !ParseMilliseconds(words[1], ms) || ms > 60'000) {
            reply = "usage: storm MILLISECONDS (at most 60000)";
            return false;
        }
        reply = "posted " + std::to_string(storm(ms)) + " events";
        return true;
    }
    // Nothing may leave the library as an exception: the caller is C code or another process.
    try {
        return withCard([&](Card& card) { return RunControlCommand(card, words, reply); });
    } catch (const std::exception& e) {
        reply = std::string("the command could not be run: ") + e.what();
        return false;
    }
}

uint64_t Simulation::storm(uint64_t ms) {
    // Link up, link down, scan complete and a code no library documents, as fast as the event
    // thread delivers them; the queue stays short, so that the library's own memory does not grow.
    constexpr uintptr_t kCodes[] = {ZARN9100_EVENT_LINK_UP, ZARN9100_EVENT_LINK_DOWN, ZARN9100_EVENT_SCAN_COMPLETE, 77};
    constexpr size_t kMaxQueued = 256;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    uint64_t posted = 0;
    while (std::chrono::steady_clock::now() < until) {
        if (dispatcher_.queued() >= kMaxQueued) {
            std::this_thread::yield();
            continue;
        }
        dispatcher_.post(abi::LibraryEvent(kCodes[posted % 4]));
        ++posted;
    }
    return posted;
}

}  // namespace tembrel::sim
