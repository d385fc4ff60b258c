#include "ui/ResponsiveWait.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace tembrel::ui {
namespace {

// Work done before the wait's loop starts must not leave it waiting; slower work gives the
// loop time to handle the program's own events meanwhile.
TEST(ResponsiveWait, ReturnsTheWorksResultAndHandlesEventsWhileItRuns) {
    for (const int ms : {0, 100}) {
        bool timerRan = false;
        QTimer::singleShot(0, [&] { timerRan = true; });
        const int result = RunWhileResponsive([ms] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            return ms + 1;
        });
        EXPECT_EQ(result, ms + 1);
        if (ms > 0) {
            EXPECT_TRUE(timerRan) << ms;
        }
        QCoreApplication::processEvents();
    }
}

}  // namespace
}  // namespace tembrel::ui
