#pragma once
// Signal-strength bar: range 0 to 40, filled with a gradient from pure red at the low end of the
// range to pure green at the high end, with the share of the range written "%3.0f %%" in white in
// the middle. At the bottom of the range it shows the window colour and no text.

#include "ui/AccessibleMeter.h"

#include <QString>
#include <QWidget>

namespace tembrel::ui {

class SignalBar : public QWidget, public Meter {
    Q_OBJECT
public:
    explicit SignalBar(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    // Clamped to the range.
    void setValue(int value);
    int value() const { return value_; }
    // The text written over the bar; empty at the bottom of the range.
    QString text() const;

    QSize sizeHint() const override;

    double meterValue() const override { return value_; }
    double meterMinimum() const override { return minimum_; }
    double meterMaximum() const override { return maximum_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void describe();

    int minimum_ = 0;
    int maximum_ = 40;
    int value_ = 0;
};

}  // namespace tembrel::ui
