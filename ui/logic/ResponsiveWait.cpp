#include "ui/logic/ResponsiveWait.h"

#include <QEventLoop>

#include <thread>

namespace tembrel::ui {

int RunWhileResponsive(const std::function<int()>& work) {
    int result = 0;
    QEventLoop loop;
    std::thread worker([&] {
        result = work();
        // Queued to the loop, which outlives the worker: the worker is joined below.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // Work that ends before the loop starts has its quit waiting in the queue. The loop also ends
    // when the application quits (Exit during the wait); the work still finishes before the
    // caller goes on.
    loop.exec();
    worker.join();
    return result;
}

}  // namespace tembrel::ui
