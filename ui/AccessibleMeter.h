#pragma once
// Drawn meters (the signal bar, the throughput graphs) paint their value; a screen reader needs it
// as a number. A widget that implements Meter is exposed as a progress bar with Qt's value
// interface; its accessible description carries the figure as the user reads it, and
// announceMeterValue() tells assistive technology that the value changed. A Meter widget calls
// installAccessibility() in its constructor.

#include <QWidget>

class QAccessibleInterface;

namespace tembrel::ui {

class Meter {
public:
    virtual ~Meter() = default;
    virtual double meterValue() const = 0;
    virtual double meterMinimum() const = 0;
    virtual double meterMaximum() const = 0;
};

// The interface that exposes a Meter widget (made by the factory of ui/Accessibility.h).
QAccessibleInterface* meterAccessible(QWidget* widget, const Meter& meter);

// Sends the value-changed event for a Meter widget that is shown; a hidden one stays quiet.
void announceMeterValue(QWidget* meter, double value);

}  // namespace tembrel::ui
