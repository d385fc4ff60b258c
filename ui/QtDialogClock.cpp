#include "ui/QtDialogClock.h"

#include <QTimer>

namespace tembrel::ui {

namespace {

class QtDialogTimer final : public DialogTimer {
public:
    QtDialogTimer(std::chrono::milliseconds interval, std::function<void()> onTimeout) {
        timer_.setInterval(interval);
        QObject::connect(&timer_, &QTimer::timeout, [callback = std::move(onTimeout)] { callback(); });
        timer_.start();
    }

    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<DialogTimer> QtDialogClock::start(std::chrono::milliseconds interval, std::function<void()> onTimeout) {
    return std::make_unique<QtDialogTimer>(interval, std::move(onTimeout));
}

}  // namespace tembrel::ui
