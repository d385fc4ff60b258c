#include "pages/monitoring/logic/GraphStepper.h"

#include <algorithm>

namespace tembrel {

void GraphStepper::Reset(int width, int height)
{
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    gridOffset_ = kInitialGridOffset;
    currentY_ = noPointY();
    previousY_ = noPointY();
}

void GraphStepper::SetRange(std::uint32_t low, std::uint32_t high)
{
    rangeLow_ = low;
    // An inverted range would make the scale divide by zero or flip; it shrinks to one value.
    rangeSize_ = std::max<std::int64_t>(1, std::int64_t{high} - std::int64_t{low} + 1);
}

std::int64_t GraphStepper::Clamp(std::uint32_t value) const
{
    // Signed arithmetic: a value below the range sits at the bottom rather than wrapping to the top.
    const std::int64_t above = std::int64_t{value} - (std::int64_t{rangeLow_} - 1);
    return std::clamp<std::int64_t>(above, 1, rangeSize_);
}

void GraphStepper::AddValue(std::uint32_t value)
{
    pendingSum_ += static_cast<std::uint64_t>(Clamp(value));
    ++pendingCount_;
}

GraphStepper::Step GraphStepper::TakeStep()
{
    const Point point{pendingCount_ == 0 ? 0 : pendingSum_ / pendingCount_, rangeSize_};
    pendingSum_ = 0;
    pendingCount_ = 0;
    history_.push_back(point);
    if (history_.size() > kHistoryLimit)
        history_.pop_front();
    return plot(point);
}

std::uint64_t GraphStepper::lastPlotted() const
{
    if (history_.empty() || history_.back().average == 0)
        return 0;
    return history_.back().average + rangeLow_ - 1;
}

GraphStepper::Step GraphStepper::RepeatStep()
{
    Point point = history_.empty() ? Point{} : history_.back();
    history_.push_back(point);
    if (history_.size() > kHistoryLimit)
        history_.pop_front();
    return plot(point);
}

std::vector<GraphStepper::Step> GraphStepper::Rebuild(int width, int height)
{
    Reset(width, height);
    // Older steps have scrolled out of the picture: two more than fit, so the first visible
    // segment starts at its true height.
    const std::size_t fit = static_cast<std::size_t>(width_ / kScroll) + 2;
    const std::size_t first = history_.size() > fit ? history_.size() - fit : 0;
    std::vector<Step> steps;
    steps.reserve(history_.size() - first);
    for (std::size_t i = first; i < history_.size(); ++i)
        steps.push_back(plot(history_[i]));
    return steps;
}

GraphStepper::Step GraphStepper::plot(const Point& point)
{
    gridOffset_ -= kScroll;
    if (gridOffset_ < 0)
        gridOffset_ += kGridSpacing;

    if (point.average != 0) {
        const auto scaled = static_cast<std::int64_t>(point.average) * height_ / point.rangeSize;
        currentY_ = static_cast<int>(height_ - scaled);
    }
    // The first segment starts where it ends instead of rising from below the picture.
    if (previousY_ == noPointY())
        previousY_ = currentY_;

    Step step;
    const int phase = ((width_ - gridOffset_) % kGridSpacing + kGridSpacing) % kGridSpacing;
    step.gridX = width_ - phase - 1;
    step.lineX0 = width_ - 14;
    step.lineY0 = previousY_;
    step.lineX1 = width_ - 11;
    step.lineY1 = currentY_;
    previousY_ = currentY_;
    return step;
}

std::vector<int> GraphStepper::GridLines(int extent)
{
    std::vector<int> lines;
    for (int at = -1; at < extent; at += kGridSpacing)
        lines.push_back(at);
    return lines;
}

}  // namespace tembrel
