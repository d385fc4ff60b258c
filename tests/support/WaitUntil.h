#pragma once
// Runs the event loop until a condition holds, with a generous bound for slow (sanitizer) runs.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace tembrel::testing_support {

template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs = 20000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

// The one application object of a test process (event loop for sockets and notifiers).
inline QCoreApplication& EnsureApplication() {
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
    return *app;
}

}  // namespace tembrel::testing_support
