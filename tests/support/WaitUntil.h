#pragma once
// PollUntil for Qt tests: the event loop runs while waiting (sockets, timers, queued calls).

#include "tests/support/PollUntil.h"

#include <QCoreApplication>

namespace tembrel::testing_support {

template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs = 20000) {
    return testing::PollUntil(condition, std::chrono::milliseconds(timeoutMs),
                              [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); });
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
