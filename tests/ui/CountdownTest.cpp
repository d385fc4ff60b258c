#include "ui/logic/Countdown.h"

#include <gtest/gtest.h>

namespace tembrel::ui {
namespace {

TEST(Countdown, TitleCountsTheSecondsLeft) {
    Countdown c(3);
    const struct {
        int elapsed;
        int remaining;
        const char* title;
        bool finished;
    } rows[] = {{0, 3, " 3 seconds remaining...", false},
                {1, 2, " 2 seconds remaining...", false},
                {2, 1, " 1 seconds remaining...", false},
                {3, 0, " 0 seconds remaining...", true},
                {3, 0, " 0 seconds remaining...", true}};  // a tick after the end changes nothing
    for (const auto& row : rows) {
        EXPECT_EQ(c.elapsed(), row.elapsed);
        EXPECT_EQ(c.remaining(), row.remaining);
        EXPECT_EQ(c.title(), row.title);
        EXPECT_EQ(c.finished(), row.finished);
        c.tick();
    }
}

TEST(Countdown, NoTimeIsFinishedAtOnce) {
    EXPECT_TRUE(Countdown(0).finished());
    EXPECT_TRUE(Countdown(-5).finished());
    EXPECT_EQ(Countdown(-5).total(), 0);
    EXPECT_EQ(Countdown(15).title(), " 15 seconds remaining...");
}

}  // namespace
}  // namespace tembrel::ui
