#pragma once
// Follows whether the system's wireless configuration controls the card (monitor mode): asks the
// driver library when started and every kPeriodMs after, and reports each change.

#include <QTimer>

#include <functional>

namespace tembrel {

class DriverLibrary;

class MonitorModeCheck {
public:
    static constexpr int kPeriodMs = 2000;

    MonitorModeCheck(DriverLibrary& library, std::function<void(bool monitor)> changed);

    void start();
    void stop();
    // Asks once; a library that cannot tell leaves the mode as it was.
    void check();
    bool monitor() const { return monitor_; }

private:
    DriverLibrary& library_;
    QTimer timer_;
    std::function<void(bool)> changed_;
    bool monitor_ = false;
};

}  // namespace tembrel
