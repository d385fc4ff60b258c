#include "pages/monitoring/CGraphCtrl.h"
#include "ui/ControlId.h"

#include <QApplication>
#include <QBackingStore>
#include <QPixmap>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using tembrel::CGraphCtrl;

namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;

// A graph on a small picture without a frame, so that picture and widget coordinates agree.
struct GraphFixture : ::testing::Test {
    QWidget parent;
    CGraphCtrl* graph = new CGraphCtrl;

    void SetUp() override
    {
        graph->setFrameStyle(QFrame::NoFrame);
        ASSERT_TRUE(graph->Create(QRect(0, 0, kWidth, kHeight), &parent, 5001));
        ASSERT_EQ(graph->picture().size(), QSize(kWidth, kHeight));
        graph->SetPeriod(0);  // stepped by hand
        parent.show();
    }

    QRgb At(int x, int y) const { return graph->picture().pixel(x, y); }
    bool IsLine(int x, int y) const { return At(x, y) == CGraphCtrl::kLineColour; }
    // Rows of one column where the data line lies.
    std::string LineRows(int x) const
    {
        std::string rows;
        for (int y = 0; y < kHeight; ++y)
            if (IsLine(x, y))
                rows += std::to_string(y) + ' ';
        return rows;
    }
};

}  // namespace

TEST_F(GraphFixture, FreshPictureIsTheGridOnBlack)
{
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool grid = x % 13 == 12 || y % 13 == 12;
            ASSERT_EQ(At(x, y), grid ? CGraphCtrl::kGridColour : CGraphCtrl::kBackground)
                << x << "," << y;
        }
    }
    EXPECT_EQ(tembrel::ui::ControlIdOf(*graph), 5001);
}

TEST_F(GraphFixture, FlatContinuationWithoutNewValues)
{
    graph->SetRange(1, 30);
    graph->AddValue(10);  // row 30 - 10 * 30 / 30 = 20
    graph->Step();
    for (int i = 0; i < 4; ++i)
        graph->Step();
    // Five segments of three pixels end eleven pixels from the right edge.
    for (int x = kWidth - 14 - 4 * 3; x < kWidth - 11; ++x)
        EXPECT_EQ(LineRows(x), "20 ") << "column " << x;
    EXPECT_EQ(LineRows(kWidth - 14 - 4 * 3 - 1), "");
    for (int x = kWidth - 11; x < kWidth; ++x)
        EXPECT_EQ(LineRows(x), "") << "column " << x;
}

TEST_F(GraphFixture, PlotsTheAverageOfTheStepsValues)
{
    graph->SetRange(1, 400);
    graph->AddValue(100);
    graph->AddValue(300);
    graph->Step();  // 200 of 400: row 15
    for (int x = kWidth - 14; x < kWidth - 11; ++x)
        EXPECT_EQ(LineRows(x), "15 ") << "column " << x;
}

TEST_F(GraphFixture, ClampsToTopAndBottom)
{
    graph->SetRange(1, 10);
    graph->AddValue(5000);
    graph->Step();
    EXPECT_EQ(LineRows(kWidth - 14), "0 ");

    graph->AddValue(0);  // plots as 1: row 30 - 30 / 10 = 27
    graph->Step();
    graph->Step();
    EXPECT_EQ(LineRows(kWidth - 14), "27 ");
    // The segment between them climbs down over the whole height.
    int rowsCrossed = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = kWidth - 17; x < kWidth - 13; ++x) {
            if (IsLine(x, y)) {
                ++rowsCrossed;
                break;
            }
        }
    }
    EXPECT_GE(rowsCrossed, 27);
}

TEST_F(GraphFixture, ShrinkingTheRangeKeepsEarlierPoints)
{
    graph->SetRange(1, 1000);
    graph->AddValue(500);  // row 15
    graph->Step();
    graph->Step();
    graph->SetRange(1, 500);
    graph->AddValue(500);  // now the top row
    graph->Step();
    graph->Step();
    // The oldest segment, scrolled three steps, still sits at its old height.
    EXPECT_EQ(LineRows(kWidth - 14 - 9), "15 ");
    EXPECT_EQ(LineRows(kWidth - 14), "0 ");
}

TEST_F(GraphFixture, FirstSegmentStartsAtItsOwnHeight)
{
    graph->SetRange(1, 30);
    graph->Step();  // nothing plotted yet
    graph->AddValue(20);  // row 10
    graph->Step();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (IsLine(x, y)) {
                EXPECT_EQ(y, 10) << "line pixel at " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(LineRows(kWidth - 14), "10 ");
}

TEST_F(GraphFixture, GridPhaseAfterSteps)
{
    for (int k = 1; k <= 14; ++k) {
        graph->Step();
        const int phase = ((12 - 3 * k) % 13 + 13) % 13;
        for (int x = 0; x < kWidth; ++x) {
            // Rows 0 and 29 are no horizontal grid rows; each column is grid there or black.
            const QRgb expected = x % 13 == phase ? CGraphCtrl::kGridColour : CGraphCtrl::kBackground;
            ASSERT_EQ(At(x, 0), expected) << "step " << k << " column " << x;
            ASSERT_EQ(At(x, kHeight - 1), expected) << "step " << k << " column " << x;
        }
        for (int x = 0; x < kWidth; ++x)
            ASSERT_EQ(At(x, 12), CGraphCtrl::kGridColour) << "step " << k << " column " << x;
    }
}

TEST_F(GraphFixture, StepScrollsTheOldPicture)
{
    graph->SetRange(1, 30);
    for (int value : {5, 25, 12, 18, 3, 29, 15, 8, 22, 1, 30}) {
        graph->AddValue(static_cast<std::uint32_t>(value));
        graph->Step();
    }
    const QImage before = graph->picture().copy();
    graph->AddValue(7);
    graph->Step();
    // Left of the new segment every pixel is its old neighbour three columns to the right.
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth - 14; ++x)
            ASSERT_EQ(At(x, y), before.pixel(x + 3, y)) << x << "," << y;
}

TEST_F(GraphFixture, PaintingCopiesThePicture)
{
    graph->SetRange(1, 30);
    graph->AddValue(10);
    graph->Step();
    graph->Step();
    const QImage shown = graph->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, graph->picture());
}

// A step scrolls the window's copy of the picture and repaints only the columns it drew: after
// steps of one and of several at once, what the window holds is the picture, pixel for pixel.
TEST(GraphCtrlWindow, WindowCopyFollowsThePicture)
{
    QWidget window;
    window.resize(120, 80);
    auto* graph = new CGraphCtrl;  // framed: the picture sits inside the sunken edge
    ASSERT_TRUE(graph->Create(QRect(7, 5, 90, 60), &window, 5001));
    graph->SetPeriod(0);
    graph->SetRange(1, 60);
    window.show();
    QApplication::processEvents();
    ASSERT_NE(window.backingStore(), nullptr);
    auto* device = window.backingStore()->paintDevice();
    const bool readable = device && (device->devType() == QInternal::Pixmap || device->devType() == QInternal::Image);
    if (!readable)
        GTEST_SKIP() << "this platform's window store cannot be read back";
    const auto stored = [device] {
        const QImage image = device->devType() == QInternal::Image ? *static_cast<QImage*>(device)
                                                                   : static_cast<QPixmap*>(device)->toImage();
        return image.convertToFormat(QImage::Format_RGB32);
    };
    const QRect contents = graph->contentsRect().translated(graph->pos());
    int value = 3;
    for (int count : {1, 1, 2, 1, 5, 1, 1, 3, 40, 1, 1}) {
        for (int i = 0; i < 4; ++i) graph->AddValue(static_cast<std::uint32_t>(value = (value * 7 + 11) % 61));
        graph->StepTimes(count);
        QApplication::processEvents();
        ASSERT_EQ(stored().copy(contents), graph->picture()) << "after a step of " << count;
    }
}

// The history is kept while the graph is hidden and across a resize: the picture drawn again
// equals the one a graph shown all the time drew.
TEST_F(GraphFixture, StepsTakenWhileHiddenAppearWhenShown)
{
    QWidget otherParent;
    auto* hidden = new CGraphCtrl;
    hidden->setFrameStyle(QFrame::NoFrame);
    ASSERT_TRUE(hidden->Create(QRect(0, 0, kWidth, kHeight), &otherParent, 5002));
    hidden->SetPeriod(0);
    for (auto* g : {graph, hidden}) g->SetRange(1, 30);
    for (int value : {5, 25, 12, 18, 3, 29, 15}) {
        for (auto* g : {graph, hidden}) {
            g->AddValue(static_cast<std::uint32_t>(value));
            g->Step();
        }
    }
    otherParent.show();
    EXPECT_EQ(hidden->picture(), graph->picture());
}

TEST_F(GraphFixture, ResizeRedrawsFromTheHistory)
{
    graph->SetRange(1, 30);
    for (int value : {20, 20, 10, 10}) {
        graph->AddValue(static_cast<std::uint32_t>(value));
        graph->Step();
    }
    graph->resize(kWidth + 30, kHeight);
    ASSERT_EQ(graph->picture().width(), kWidth + 30);
    const int right = kWidth + 30 - 14;
    EXPECT_EQ(LineRows(right), "20 ");           // the last value, row 30 - 10
    EXPECT_EQ(LineRows(right - 9), "10 ");       // two steps back: value 20
}

TEST_F(GraphFixture, StepTimesHoldsTheAverageForEachStep)
{
    graph->SetRange(1, 30);
    graph->AddValue(10);
    graph->AddValue(30);  // average 20: row 10
    graph->StepTimes(4);
    EXPECT_EQ(graph->stepper().historySize(), 4u);
    for (int back = 0; back < 4; ++back) EXPECT_EQ(LineRows(kWidth - 14 - 3 * back), "10 ") << back;
}

TEST(GraphCtrlTimer, StepsOnlyWhileShown)
{
    QWidget parent;
    auto* graph = new CGraphCtrl;
    ASSERT_TRUE(graph->Create(QRect(0, 0, 60, 40), &parent, 5002));
    EXPECT_FALSE(graph->isStepTimerActive());  // parent not shown yet
    parent.show();
    EXPECT_TRUE(graph->isStepTimerActive());
    EXPECT_EQ(graph->period(), 1000);
    parent.hide();
    EXPECT_FALSE(graph->isStepTimerActive());

    EXPECT_EQ(graph->SetPeriod(250), 1000);
    EXPECT_FALSE(graph->isStepTimerActive());  // still hidden
    parent.show();
    EXPECT_TRUE(graph->isStepTimerActive());
    EXPECT_EQ(graph->SetPeriod(0), 250);
    EXPECT_FALSE(graph->isStepTimerActive());
    parent.hide();
    parent.show();
    EXPECT_FALSE(graph->isStepTimerActive());  // period 0 keeps it stopped
    EXPECT_EQ(graph->SetPeriod(500), 0);
    EXPECT_TRUE(graph->isStepTimerActive());
}

TEST(GraphCtrlTimer, TimerDrivesSteps)
{
    QWidget parent;
    auto* graph = new CGraphCtrl;
    graph->setFrameStyle(QFrame::NoFrame);
    ASSERT_TRUE(graph->Create(QRect(0, 0, 60, 40), &parent, 5001));
    graph->SetPeriod(1);
    parent.show();
    graph->SetRange(1, 40);
    graph->AddValue(20);  // row 20
    // Poll until the timer has stepped; the first segment then lies at row 20.
    for (int i = 0; i < 5000 && graph->stepper().previousY() != 20; ++i)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    EXPECT_EQ(graph->stepper().previousY(), 20);
}

TEST(GraphCtrlCreate, FailsWithoutRoomForAPicture)
{
    QWidget parent;
    auto* graph = new CGraphCtrl;
    graph->setFrameStyle(QFrame::NoFrame);
    EXPECT_FALSE(graph->Create(QRect(0, 0, 0, 10), &parent, 5001));
    graph->AddValue(5);
    graph->Step();  // no picture: nothing to draw, nothing to crash
    EXPECT_TRUE(graph->picture().isNull());
}

TEST(GraphCtrlCreate, PictureFillsTheFramedContents)
{
    QWidget parent;
    auto* graph = new CGraphCtrl;
    ASSERT_TRUE(graph->Create(QRect(0, 0, 60, 40), &parent, 5001));
    EXPECT_EQ(graph->picture().size(), graph->contentsRect().size());
    EXPECT_LT(graph->picture().width(), 60);  // the sunken edge takes its share
}
