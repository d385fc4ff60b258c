#include "app/MonitorModeCheck.h"

#include "adapter/DriverLibrary.h"

namespace tembrel {

MonitorModeCheck::MonitorModeCheck(DriverLibrary& library, std::function<void(bool)> changed)
    : library_(library), changed_(std::move(changed)) {
    timer_.setInterval(kPeriodMs);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { check(); });
}

void MonitorModeCheck::start() {
    timer_.start();
    check();
}

void MonitorModeCheck::stop() { timer_.stop(); }

void MonitorModeCheck::check() {
    int active = 0;
    if (library_.QueryWZCStatusCheck(&active) == 1) return;
    const bool monitor = active != 0;
    if (monitor == monitor_) return;
    monitor_ = monitor;
    changed_(monitor);
}

}  // namespace tembrel
