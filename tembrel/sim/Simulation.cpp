#include "Simulation.h"

#include "ControlCommands.h"
#include "ControlServer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <exception>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

// Reads a regular file of at most 4 MiB into `text`; otherwise says why not. The open does not
// block (a FIFO would wait for a writer inside the caller's start-up) and nothing but a regular
// file is read, so a device such as /dev/zero is refused before its first byte.
const char* ReadEnvironmentFile(const char* path, std::string& text) {
    constexpr size_t kMaxBytes = 4u << 20;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return "cannot be read";
    struct stat info {};
    const char* refusal = nullptr;
    if (::fstat(fd, &info) != 0) {
        refusal = "cannot be read";
    } else if (!S_ISREG(info.st_mode)) {
        refusal = "not a regular file";
    } else if (static_cast<uintmax_t>(info.st_size) > kMaxBytes) {
        refusal = "larger than 4 MiB";
    } else {
        // One byte beyond the limit catches a file that grew since fstat.
        text.resize(kMaxBytes + 1);
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) refusal = "cannot be read";
            if (n <= 0) break;
            done += size_t(n);
        }
        text.resize(done);
        if (done > kMaxBytes) refusal = "larger than 4 MiB";
    }
    ::close(fd);
    return refusal;
}
}  // namespace

Environment LoadConfiguredEnvironment() {
    Environment env = DefaultEnvironment();
    bool fromFile = false;
    if (const char* path = std::getenv("TEMBREL_SIM_ENVIRONMENT"); path != nullptr && *path != '\0') {
        std::string text;
        if (const char* refusal = ReadEnvironmentFile(path, text)) {
            std::fprintf(stderr, "tembrel-sim: %s: %s; using the built-in environment\n", path, refusal);
        } else {
            std::string error;
            if (auto parsed = ParseEnvironment(text, error)) {
                env = std::move(*parsed);
                fromFile = true;
            } else {
                std::fprintf(stderr, "tembrel-sim: %s: %s; using the built-in environment\n", path, error.c_str());
            }
        }
    }
    if (const char* hostile = std::getenv("TEMBREL_SIM_HOSTILE"); hostile != nullptr && std::strcmp(hostile, "1") == 0)
        env.hostile = true;
    // The variable names the host interface without an environment file (scripts/run sets it to
    // the interface of the default route, so that the utility shows real addresses and traffic).
    // Without either, the built-in environment takes the default route's interface, so that the
    // TCP/IP box of a first start shows real addresses; "none" keeps the card's own address.
    const char* host = std::getenv("TEMBREL_SIM_HOST_INTERFACE");
    if (host == nullptr && !fromFile) {
        env.hostInterface = DefaultRouteInterface();
    } else if (host != nullptr && std::strcmp(host, "none") == 0) {
        env.hostInterface.clear();
    } else if (host != nullptr && *host != '\0') {
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
