#pragma once
// The one simulated card of the process: its state behind one mutex, the clock, the event
// thread, the ticker that moves real time along, and the control listener. The ticker has no
// period: it sleeps until the card's next due event (Card::nextDueMs) and is woken when a call
// brings that time forward, so an idle card costs no wake-ups.

#include "Card.h"
#include "Clock.h"
#include "tembrel/common/EventDispatcher.h"
#include "SocketPath.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tembrel::sim {

class ControlServer;

class Simulation {
public:
    static Simulation& instance();
    ~Simulation();

    // Runs f on the card under the state lock, after bringing the card up to the clock's time,
    // then hands the events it produced to the event thread.
    template <class F>
    auto withCard(F&& f) {
        std::unique_lock lock(mutex_);
        card_->advanceTo(clock_.nowMs());
        if constexpr (std::is_void_v<decltype(f(*card_))>) {
            f(*card_);
            afterCall(lock);
        } else {
            auto r = f(*card_);
            afterCall(lock);
            return r;
        }
    }

    abi::EventDispatcher& dispatcher() { return dispatcher_; }
    Clock& clock() { return clock_; }
    void advance(uint64_t ms);
    // Rebuilds the card from the environment file (or the built-in environment).
    void reset();
    std::string socketPath() const { return socketPath_; }
    // Runs one control command (the words of a command line); returns false with the reply
    // as an error message.
    bool control(const std::vector<std::string>& words, std::string& reply);
    // Posts events as fast as the event thread delivers them for `ms` on the calling thread;
    // returns how many.
    uint64_t storm(uint64_t ms);

private:
    Simulation();
    void forwardEvents();
    // Forwards the events of a call and wakes the ticker when the card's next due time came
    // before the one it sleeps towards; releases `lock`.
    void afterCall(std::unique_lock<std::mutex>& lock);
    void wakeTicker();
    void tick();

    Clock clock_;
    std::mutex mutex_;
    std::unique_ptr<Card> card_;
    uint64_t tickerDueMs_ = Card::kNever;  // (mutex_) where the ticker sleeps to
    uint32_t seed_ = 7700;
    std::string socketPath_;
    std::mutex tickMutex_;
    std::condition_variable tickWake_;
    bool stopping_ = false;
    bool rescheduled_ = false;  // (tickMutex_) the ticker is to work out its due time again
    std::thread ticker_;
    std::unique_ptr<ControlServer> server_;
    // Last, so that it stops (and no receiver runs) before the card goes away.
    abi::EventDispatcher dispatcher_;
};

// The built-in environment, or the file named by $TEMBREL_SIM_ENVIRONMENT; problems with the
// file are reported on standard error and the built-in environment is used.
Environment LoadConfiguredEnvironment();

}  // namespace tembrel::sim
