#include "ui/SignalBar.h"

#include "ui/Accessibility.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace tembrel::ui {

SignalBar::SignalBar(QWidget* parent) : QWidget(parent) {
    installAccessibility();
    describe();
}

void SignalBar::describe() {
    const QString shown = text().trimmed();
    setAccessibleDescription(shown.isEmpty() ? QStringLiteral("0 %") : shown);
}

void SignalBar::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    setValue(value_);
    describe();
}

void SignalBar::setValue(int value) {
    const int clamped = std::clamp(value, minimum_, maximum_);
    if (clamped != value_) {
        value_ = clamped;
        describe();
        announceMeterValue(this, value_);
        update();
    }
}

QString SignalBar::text() const {
    if (value_ <= minimum_ || maximum_ == minimum_) {
        return {};
    }
    const double share = 100.0 * (value_ - minimum_) / (maximum_ - minimum_);
    return QString::asprintf("%3.0f %%", share);
}

QSize SignalBar::sizeHint() const {
    return {160, 18};
}

void SignalBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, palette().color(QPalette::Window));
    if (value_ <= minimum_ || maximum_ == minimum_) {
        return;
    }
    // The gradient spans the whole range, so a weak signal shows only its red end.
    QLinearGradient gradient(area.left(), 0, area.right(), 0);
    gradient.setColorAt(0.0, QColor(255, 0, 0));
    gradient.setColorAt(1.0, QColor(0, 255, 0));
    const int filled = static_cast<int>(static_cast<long long>(area.width()) * (value_ - minimum_) / (maximum_ - minimum_));
    painter.fillRect(QRect(area.left(), area.top(), filled, area.height()), gradient);
    painter.setPen(Qt::white);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(area, Qt::AlignCenter, text());
}

}  // namespace tembrel::ui
