#include "pages/settings/SpinButtons.h"

#include "pages/settings/logic/AdvancedValues.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tembrel::advanced {

SpinButtons::SpinButtons(QLineEdit& buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), buddy_(buddy), minimum_(minimum), maximum_(maximum) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    up_->setAccessibleName("Up");
    up_->setAutoRepeat(true);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    down_->setAccessibleName("Down");
    down_->setAutoRepeat(true);
    for (auto* button : {up_, down_}) {
        button->setFixedSize(18, 12);
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(button);
    }
    connect(up_, &QToolButton::clicked, this, [this] { step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void SpinButtons::nameAfter(const QString& caption) {
    up_->setAccessibleName(caption + " up");
    down_->setAccessibleName(caption + " down");
}

void SpinButtons::step(int delta) {
    const auto current = parseThreshold(buddy_.text().toStdString());
    // Text that is no number (or out of range) starts again from the nearest end of the range.
    const int64_t base = current ? *current : (delta > 0 ? minimum_ - 1 : maximum_ + 1);
    const int64_t next = std::clamp<int64_t>(base + delta, minimum_, maximum_);
    const QString text = QString::number(next);
    buddy_.setText(text);
    emit stepped(text);
}

}  // namespace tembrel::advanced
