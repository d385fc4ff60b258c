#include "ui/logic/ResponsiveWait.h"
#include "tests/support/WaitUntil.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <gtest/gtest.h>

#include <atomic>

namespace tembrel::ui {
namespace {

// The caller gets the work's result whichever ends first: the work or the start of the wait's loop.
// Work that needs the loop to go on (here: a call posted to this thread must run first) ends only
// because the loop handles the program's events while the work runs.
TEST(ResponsiveWait, ReturnsTheWorksResultAndHandlesEventsWhileItRuns) {
    testing_support::EnsureApplication();
    for (const bool needsTheLoop : {false, true}) {
        SCOPED_TRACE(needsTheLoop ? "work waiting for an event" : "work done at once");
        std::atomic<bool> eventHandled{false};
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&] { eventHandled = true; }, Qt::QueuedConnection);
        const int result = RunWhileResponsive([&] {
            if (needsTheLoop && !testing::PollUntil([&] { return eventHandled.load(); })) return -1;
            return 7;
        });
        EXPECT_EQ(result, 7);
        if (needsTheLoop) {
            EXPECT_TRUE(eventHandled);
        }
        QCoreApplication::processEvents();
    }
}

}  // namespace
}  // namespace tembrel::ui
