#include "pages/monitoring/logic/GraphStepper.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

using tembrel::GraphStepper;

namespace {

GraphStepper MakeStepper(int width, int height, std::uint32_t low, std::uint32_t high)
{
    GraphStepper stepper;
    stepper.Reset(width, height);
    stepper.SetRange(low, high);
    return stepper;
}

}  // namespace

struct ClampRow {
    std::uint32_t low, high, value;
    std::int64_t plotted;
};

class GraphClamp : public ::testing::TestWithParam<ClampRow> {};

TEST_P(GraphClamp, PlotsWithinTheRange)
{
    const ClampRow row = GetParam();
    const GraphStepper stepper = MakeStepper(40, 30, row.low, row.high);
    EXPECT_EQ(stepper.Clamp(row.value), row.plotted);
}

INSTANTIATE_TEST_SUITE_P(Rows, GraphClamp,
    ::testing::Values(
        ClampRow{1, 100, 0, 1},       // zero plots just above the bottom
        ClampRow{1, 100, 1, 1},
        ClampRow{1, 100, 57, 57},
        ClampRow{1, 100, 100, 100},   // the top
        ClampRow{1, 100, 101, 100},   // above the top stays at the top
        ClampRow{1, 100, std::numeric_limits<std::uint32_t>::max(), 100},
        ClampRow{10, 20, 15, 6},      // measured from low - 1
        ClampRow{10, 20, 20, 11},
        ClampRow{10, 20, 21, 11},
        ClampRow{10, 20, 9, 1},
        ClampRow{10, 20, 3, 1},       // below the range: the bottom, never the top
        ClampRow{20, 10, 500, 1}));   // an inverted range holds one value

TEST(GraphStepper, AveragesThePendingValuesOncePerStep)
{
    GraphStepper stepper = MakeStepper(40, 50, 1, 400);
    stepper.AddValue(100);
    stepper.AddValue(300);
    EXPECT_EQ(stepper.pendingCount(), 2u);
    stepper.TakeStep();
    EXPECT_EQ(stepper.currentY(), 50 - 200 * 50 / 400);
    EXPECT_EQ(stepper.pendingCount(), 0u);
}

TEST(GraphStepper, AverageUsesIntegerDivision)
{
    GraphStepper stepper = MakeStepper(40, 100, 1, 100);
    stepper.AddValue(10);
    stepper.AddValue(11);  // average 10 (21 / 2)
    stepper.TakeStep();
    EXPECT_EQ(stepper.currentY(), 90);
}

TEST(GraphStepper, StepWithoutValuesKeepsTheLevel)
{
    GraphStepper stepper = MakeStepper(40, 100, 1, 100);
    stepper.AddValue(40);
    stepper.TakeStep();
    const GraphStepper::Step flat = stepper.TakeStep();
    EXPECT_EQ(flat.lineY0, 60);
    EXPECT_EQ(flat.lineY1, 60);
}

TEST(GraphStepper, NothingPlottedUntilTheFirstValue)
{
    GraphStepper stepper = MakeStepper(40, 30, 1, 100);
    const GraphStepper::Step empty = stepper.TakeStep();
    EXPECT_EQ(empty.lineY0, 31);  // below the picture: invisible
    EXPECT_EQ(empty.lineY1, 31);
    EXPECT_EQ(stepper.previousY(), stepper.noPointY());
}

TEST(GraphStepper, FirstSegmentIsFlatAtItsOwnHeight)
{
    GraphStepper stepper = MakeStepper(40, 100, 1, 100);
    stepper.TakeStep();
    stepper.AddValue(25);
    const GraphStepper::Step first = stepper.TakeStep();
    EXPECT_EQ(first.lineY0, 75);
    EXPECT_EQ(first.lineY1, 75);

    stepper.AddValue(50);
    const GraphStepper::Step second = stepper.TakeStep();
    EXPECT_EQ(second.lineY0, 75);
    EXPECT_EQ(second.lineY1, 50);
}

TEST(GraphStepper, ShrinkingTheRangeRaisesLaterPoints)
{
    GraphStepper stepper = MakeStepper(40, 100, 1, 1000);
    stepper.AddValue(500);
    stepper.TakeStep();
    EXPECT_EQ(stepper.currentY(), 50);
    stepper.SetRange(1, 500);
    stepper.AddValue(500);
    const GraphStepper::Step raised = stepper.TakeStep();
    EXPECT_EQ(raised.lineY0, 50);
    EXPECT_EQ(raised.lineY1, 0);
}

TEST(GraphStepper, RangeAppliesToValuesAddedAfterwards)
{
    GraphStepper stepper = MakeStepper(40, 100, 1, 100);
    stepper.AddValue(1000);  // clamped to 100 when added
    stepper.SetRange(1, 1000);
    stepper.TakeStep();
    EXPECT_EQ(stepper.currentY(), 90);  // 100 of 1000
}

TEST(GraphStepper, SegmentSpansThreePixelsElevenFromTheRight)
{
    GraphStepper stepper = MakeStepper(40, 30, 1, 100);
    const GraphStepper::Step step = stepper.TakeStep();
    EXPECT_EQ(step.lineX0, 26);
    EXPECT_EQ(step.lineX1, 29);
}

TEST(GraphStepper, GridPhaseFollowsTheScroll)
{
    for (int width : {13, 40, 41, 100}) {
        GraphStepper stepper = MakeStepper(width, 30, 1, 100);
        int expectedOffset = GraphStepper::kInitialGridOffset;
        for (int k = 1; k <= 30; ++k) {
            const GraphStepper::Step step = stepper.TakeStep();
            expectedOffset -= 3;
            if (expectedOffset < 0)
                expectedOffset += 13;
            ASSERT_EQ(stepper.gridOffset(), expectedOffset);
            // The initial lines lie at 12 mod 13; after k steps of 3 pixels they lie at 12 - 3k.
            const int phase = ((12 - 3 * k) % 13 + 13) % 13;
            EXPECT_EQ(((step.gridX % 13) + 13) % 13, phase) << "width " << width << " step " << k;
            EXPECT_GE(step.gridX, width - 13);
            EXPECT_LE(step.gridX, width - 1);
        }
    }
}

TEST(GraphStepper, GridLinesStartAboveTheEdge)
{
    EXPECT_EQ(GraphStepper::GridLines(30), (std::vector<int>{-1, 12, 25}));
    EXPECT_EQ(GraphStepper::GridLines(26), (std::vector<int>{-1, 12, 25}));
    EXPECT_EQ(GraphStepper::GridLines(25), (std::vector<int>{-1, 12}));
    EXPECT_EQ(GraphStepper::GridLines(0), (std::vector<int>{-1}));
}

TEST(GraphStepper, ResetForgetsThePlottedPoints)
{
    GraphStepper stepper = MakeStepper(40, 30, 1, 100);
    stepper.AddValue(50);
    stepper.TakeStep();
    stepper.Reset(60, 20);
    EXPECT_EQ(stepper.currentY(), 21);
    EXPECT_EQ(stepper.previousY(), 21);
    EXPECT_EQ(stepper.gridOffset(), GraphStepper::kInitialGridOffset);
    EXPECT_EQ(stepper.rangeSize(), 100);  // the range is the owner's, not the picture's
}
