#pragma once
// The arithmetic of the strip-chart graph, free of any drawing: the value range and clamping,
// the pending values averaged once per step, the pixel rows of the last two points and the
// phase of the vertical grid lines. CGraphCtrl draws what each step returns.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace tembrel {

class GraphStepper {
public:
    static constexpr int kGridSpacing = 13;  // pixels between grid lines, both directions
    static constexpr int kScroll = 3;        // pixels the picture moves left per step
    static constexpr int kInitialGridOffset = 13;

    // What one step adds to the picture, in picture coordinates.
    struct Step {
        int gridX = 0;  // the vertical grid line to draw, full height
        int lineX0 = 0, lineY0 = 0;
        int lineX1 = 0, lineY1 = 0;  // the data segment; the end point itself is not drawn
    };

    GraphStepper() = default;

    // A fresh picture of the given size: no point plotted yet, grid lines in their first phase.
    void Reset(int width, int height);

    // Takes effect for values added and steps taken afterwards.
    void SetRange(std::uint32_t low, std::uint32_t high);
    void AddValue(std::uint32_t value);
    // The value as plotted: 1 (just above the bottom) to the range size (the top row).
    std::int64_t Clamp(std::uint32_t value) const;

    // Averages and empties the pending values and moves the plotted points on by one step.
    Step TakeStep();
    // A step that plots the previous step's value again (a period in which nothing was measured
    // apart from one average over all of it).
    Step RepeatStep();

    // The picture rebuilt at a new size from the kept history: the steps to draw, oldest first,
    // onto a fresh grid. Only the steps that still fit the width are returned.
    std::vector<Step> Rebuild(int width, int height);
    // Plotted steps kept for rebuilding; enough for a picture kHistoryLimit * kScroll wide.
    static constexpr std::size_t kHistoryLimit = 1024;
    std::size_t historySize() const { return history_.size(); }

    // Rows (or columns) of the grid lines across an extent: -1, 12, 25, ... below extent.
    static std::vector<int> GridLines(int extent);

    int width() const { return width_; }
    int height() const { return height_; }
    int currentY() const { return currentY_; }
    int previousY() const { return previousY_; }
    int gridOffset() const { return gridOffset_; }
    std::uint32_t rangeLow() const { return rangeLow_; }
    std::int64_t rangeSize() const { return rangeSize_; }
    std::uint64_t pendingCount() const { return pendingCount_; }
    // The value the last step plotted, in the units added (0 before the first plotted step).
    std::uint64_t lastPlotted() const;
    // The value at the top of the graph.
    std::uint64_t top() const { return std::uint64_t{rangeLow_} - 1 + static_cast<std::uint64_t>(rangeSize_); }
    // The row that marks "nothing plotted yet" (one below the picture).
    int noPointY() const { return height_ + 1; }

private:
    // One plotted step: its average in range units and the range size it was plotted against.
    struct Point {
        std::uint64_t average = 0;  // 0 = nothing plotted: the line stays level
        std::int64_t rangeSize = 1;
    };
    Step plot(const Point& point);

    std::deque<Point> history_;
    int width_ = 0;
    int height_ = 0;
    std::uint32_t rangeLow_ = 1;
    std::int64_t rangeSize_ = 100;  // the top of the graph is low - 1 + size
    int gridOffset_ = kInitialGridOffset;
    // Only the sum and count of the pending values matter for their average; keeping just
    // these bounds memory however long no step runs (the timer pauses while hidden).
    std::uint64_t pendingSum_ = 0;
    std::uint64_t pendingCount_ = 0;
    int currentY_ = 1;
    int previousY_ = 1;
};

}  // namespace tembrel
