#pragma once
// A scrolling strip chart on a grid. The owner adds values at any time; once per step the graph
// plots their average and scrolls its picture left by three pixels. The picture itself is the
// history: each step draws only the new strip, the window's copy of it scrolls in place, and
// painting copies only the columns a step drew.

#include "pages/monitoring/logic/GraphStepper.h"
#include "ui/AccessibleMeter.h"

#include <QFrame>
#include <QImage>
#include <QTimer>

#include <cstdint>

namespace tembrel {

class CGraphCtrl : public QFrame, public ui::Meter {
    Q_OBJECT
public:
    static constexpr int kDefaultPeriodMs = 1000;
    static constexpr QRgb kBackground = 0xFF000000;  // black
    static constexpr QRgb kGridColour = 0xFF008242;  // red 0, green 130, blue 66
    static constexpr QRgb kLineColour = 0xFF00FF00;  // pure green

    explicit CGraphCtrl(QWidget* parent = nullptr);

    // Places the graph over rect inside parent with the given control id and builds the picture.
    // Returns false when the rectangle leaves no room for a picture.
    bool Create(const QRect& rect, QWidget* parent, int childId);

    void SetRange(std::uint32_t low, std::uint32_t high);
    void AddValue(std::uint32_t value);
    // Stops the step timer and, unless ms is 0, restarts it with that period. Returns the
    // previous period.
    int SetPeriod(int ms);

    // One step of the chart; the timer or the owner calls it. A hidden graph keeps stepping its
    // history without drawing; it redraws from that history when shown or resized.
    void Step();
    // `count` steps at once: the pending values' average, then that average again for each
    // further step (the owner measured one average over the whole period).
    void StepTimes(int count);

    const QImage& picture() const { return picture_; }
    const GraphStepper& stepper() const { return stepper_; }
    bool isStepTimerActive() const { return timer_.isActive(); }
    int period() const { return periodMs_; }

    // For assistive technology: the last plotted value on the graph's scale.
    double meterValue() const override { return static_cast<double>(stepper_.lastPlotted()); }
    double meterMinimum() const override { return 0; }
    double meterMaximum() const override { return static_cast<double>(stepper_.top()); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildPicture();
    // Returns the leftmost picture column the step drew into (0 without a picture).
    int DrawStep(const GraphStepper::Step& step);
    void StartTimerIfShown();

    GraphStepper stepper_;
    QImage picture_;
    QTimer timer_;
    int periodMs_ = kDefaultPeriodMs;
    double announced_ = 0;  // the last value announced to assistive technology
    bool stale_ = false;  // steps were taken while hidden: the picture is redrawn when shown
};

}  // namespace tembrel
