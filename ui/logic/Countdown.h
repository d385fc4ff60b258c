#pragma once
// The countdown box's arithmetic: whole seconds, one tick a second, the title it shows.

#include <string>

namespace tembrel::ui {

class Countdown {
public:
    explicit Countdown(int seconds) : total_(seconds > 0 ? seconds : 0) {}

    int total() const { return total_; }
    int elapsed() const { return elapsed_; }
    int remaining() const { return total_ - elapsed_; }
    bool finished() const { return elapsed_ >= total_; }
    // One second passed; nothing once the time is up.
    void tick() {
        if (!finished()) ++elapsed_;
    }
    // " 15 seconds remaining..."
    std::string title() const;

private:
    int total_;
    int elapsed_ = 0;
};

}  // namespace tembrel::ui
