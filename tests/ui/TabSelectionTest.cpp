#include "ui/logic/TabSelection.h"

#include <gtest/gtest.h>

namespace tembrel::ui {
namespace {

TEST(TabSelection, NextEnabledToTheRightWrappingToTheFirst) {
    const struct {
        const char* name;
        std::vector<bool> enabled;
        int current;
        int next;
    } rows[] = {
        {"right neighbour", {true, true, true, true}, 1, 2},
        {"skips disabled", {true, true, false, false, true}, 1, 4},
        {"wraps to the first", {true, true, true, true, true}, 4, 0},
        {"wraps past disabled", {false, true, true, false, false}, 2, 1},
        {"nothing else enabled", {false, true, false}, 1, -1},
        {"single tab", {true}, 0, -1},
        {"no tabs", {}, 0, -1},
        {"current out of range starts at the first", {true, true, true}, 7, 1},
        {"Statistics disabled in the normal set", {true, true, false, false, false, true, true}, 3, 5},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(nextEnabledTab(row.enabled, row.current), row.next) << row.name;
    }
}

TEST(TabSelection, StepsBothWaysSkippingDisabledAndWrapping) {
    const struct {
        const char* name;
        std::vector<bool> enabled;
        int current;
        int step;
        int next;
    } rows[] = {
        {"left neighbour", {true, true, true}, 2, -1, 1},
        {"left from the first wraps to the last", {true, true, true, true}, 0, -1, 3},
        {"left skips disabled", {true, false, false, true, true}, 3, -1, 0},
        {"left wraps past disabled", {true, true, false, false}, 0, -1, 1},
        {"right skips disabled", {true, true, false, false, false, true}, 1, 1, 5},
        {"alone in either direction", {false, true, false}, 1, -1, -1},
        {"no step", {true, true}, 0, 0, -1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(stepEnabledTab(row.enabled, row.current, row.step), row.next) << row.name;
    }
}

}  // namespace
}  // namespace tembrel::ui
