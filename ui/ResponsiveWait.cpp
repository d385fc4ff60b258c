#include "ui/ResponsiveWait.h"

#include <QEventLoop>

#include <atomic>
#include <thread>

namespace tembrel::ui {

int RunWhileResponsive(const std::function<int()>& work) {
    int result = 0;
    std::atomic<bool> done{false};
    QEventLoop loop;
    std::thread worker([&] {
        result = work();
        done = true;
        // Queued to the loop, which outlives the worker: the worker is joined below.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The loop also ends when the application quits (Exit during the wait); the work still
    // finishes before the caller goes on.
    if (!done) loop.exec();
    worker.join();
    return result;
}

}  // namespace tembrel::ui
