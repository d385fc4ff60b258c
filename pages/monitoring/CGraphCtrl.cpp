#include "pages/monitoring/CGraphCtrl.h"

#include "ui/Accessibility.h"
#include "ui/ControlId.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QResizeEvent>

#include <algorithm>
#include <cstring>

namespace tembrel {

CGraphCtrl::CGraphCtrl(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // The picture covers the whole contents area, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&timer_, &QTimer::timeout, this, &CGraphCtrl::Step);
    ui::installAccessibility();
}

bool CGraphCtrl::Create(const QRect& rect, QWidget* parent, int childId)
{
    setParent(parent);
    ui::SetControlId(*this, childId);
    setGeometry(rect);
    BuildPicture();
    show();
    return !picture_.isNull();
}

void CGraphCtrl::SetRange(std::uint32_t low, std::uint32_t high)
{
    stepper_.SetRange(low, high);
}

void CGraphCtrl::AddValue(std::uint32_t value)
{
    stepper_.AddValue(value);
}

int CGraphCtrl::SetPeriod(int ms)
{
    const int previous = periodMs_;
    timer_.stop();
    periodMs_ = std::max(0, ms);
    StartTimerIfShown();
    return previous;
}

void CGraphCtrl::StartTimerIfShown()
{
    // A hidden graph draws nothing anyone sees, so it does not step at all.
    if (periodMs_ != 0 && isVisible())
        timer_.start(periodMs_);
}

void CGraphCtrl::BuildPicture()
{
    const QSize size = contentsRect().size();
    const std::vector<GraphStepper::Step> steps = stepper_.Rebuild(size.width(), size.height());
    stale_ = false;
    if (size.isEmpty()) {
        picture_ = QImage();
        return;
    }
    picture_ = QImage(size, QImage::Format_RGB32);
    picture_.fill(kBackground);
    QPainter painter(&picture_);
    for (int x : GraphStepper::GridLines(size.width()))
        painter.fillRect(x, 0, 1, size.height(), QColor::fromRgb(kGridColour));
    for (int y : GraphStepper::GridLines(size.height()))
        painter.fillRect(0, y, size.width(), 1, QColor::fromRgb(kGridColour));
    painter.end();
    for (const auto& step : steps)
        DrawStep(step);
    update();
}

void CGraphCtrl::Step()
{
    StepTimes(1);
}

void CGraphCtrl::StepTimes(int count)
{
    // The leftmost picture column the steps drew into; everything left of it only moved.
    int drawnFrom = picture_.width();
    for (int i = 0; i < count; ++i) {
        const GraphStepper::Step step = i == 0 ? stepper_.TakeStep() : stepper_.RepeatStep();
        // Nothing is drawn that nobody sees; showing the graph redraws it from its history.
        if (!isVisible() || contentsRect().size() != picture_.size()) {
            stale_ = true;
            continue;
        }
        drawnFrom = std::min(drawnFrom - GraphStepper::kScroll, DrawStep(step));
    }
    // A value-change event for an unchanged value tells assistive technology nothing.
    if (count > 0 && meterValue() != announced_) {
        announced_ = meterValue();
        ui::announceMeterValue(this, announced_);
    }
    if (!isVisible())
        return;
    if (stale_) {
        BuildPicture();
        return;
    }
    if (count <= 0 || picture_.isNull())
        return;
    // The window's copy of the picture moves in place as the picture did; only the columns the
    // steps drew are painted again, instead of copying the whole picture every step.
    const QRect contents = contentsRect();
    const int shift = std::min(count * GraphStepper::kScroll, contents.width());
    scroll(-shift, 0, contents);
    const int from = std::clamp(drawnFrom, 0, contents.width());
    update(QRect(contents.left() + from, contents.top(), contents.width() - from, contents.height()));
}

int CGraphCtrl::DrawStep(const GraphStepper::Step& step)
{
    if (picture_.isNull())
        return 0;

    const int width = picture_.width();
    const int height = picture_.height();
    const int strip = std::min(GraphStepper::kScroll, width);
    // Clear the rightmost strip, then move the whole picture left by the same amount.
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture_.scanLine(y));
        std::fill(row + width - strip, row + width, kBackground);
        if (width > strip)
            std::memmove(row, row + strip, static_cast<std::size_t>(width - strip) * sizeof(QRgb));
    }

    QPainter painter(&picture_);
    const QColor grid = QColor::fromRgb(kGridColour);
    const int gridFrom = width - 2 * GraphStepper::kScroll;
    painter.fillRect(step.gridX, 0, 1, height, grid);
    for (int y : GraphStepper::GridLines(height))
        painter.fillRect(gridFrom, y, 2 * GraphStepper::kScroll, 1, grid);

    // A flat cap leaves the end point undrawn, where the next step's segment begins.
    QPen pen(QColor::fromRgb(kLineColour), 1, Qt::SolidLine, Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(step.lineX0, step.lineY0, step.lineX1, step.lineY1);
    return std::max(0, std::min({width - strip, step.gridX, gridFrom, step.lineX0, step.lineX1}));
}

void CGraphCtrl::paintEvent(QPaintEvent* event)
{
    const QRect contents = contentsRect();
    // A step repaints a strip inside the picture; the frame needs drawing only when exposed.
    if (!contents.contains(event->rect()))
        QFrame::paintEvent(event);
    if (picture_.isNull())
        return;
    const QRect target = event->rect() & contents;
    QPainter painter(this);
    painter.drawImage(target, picture_, target.translated(-contents.topLeft()));
}

void CGraphCtrl::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    if (contentsRect().size() != picture_.size())
        BuildPicture();
}

void CGraphCtrl::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    if (stale_)
        BuildPicture();
    if (!timer_.isActive())
        StartTimerIfShown();
}

void CGraphCtrl::hideEvent(QHideEvent* event)
{
    QFrame::hideEvent(event);
    timer_.stop();
}

}  // namespace tembrel
