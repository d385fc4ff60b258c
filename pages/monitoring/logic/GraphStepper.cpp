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
    gridOffset_ -= kScroll;
    if (gridOffset_ < 0)
        gridOffset_ += kGridSpacing;

    const std::uint64_t average = pendingCount_ == 0 ? 0 : pendingSum_ / pendingCount_;
    pendingSum_ = 0;
    pendingCount_ = 0;

    if (average != 0) {
        const auto scaled = static_cast<std::int64_t>(average) * height_ / rangeSize_;
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
