#include "ui/AccessibleMeter.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

namespace tembrel::ui {
namespace {

class AccessibleMeter final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    AccessibleMeter(QWidget* widget, const Meter& meter)
        : QAccessibleWidget(widget, QAccessible::ProgressBar), meter_(meter) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        // The figure as the user reads it is the description; a reader that asks for the value
        // as text gets it too.
        if (kind == QAccessible::Value) {
            return widget()->accessibleDescription();
        }
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return meter_.meterValue(); }
    // A meter shows what it measures; assistive technology cannot set it.
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return meter_.meterMaximum(); }
    QVariant minimumValue() const override { return meter_.meterMinimum(); }
    QVariant minimumStepSize() const override { return 0; }

private:
    const Meter& meter_;
};

}  // namespace

QAccessibleInterface* meterAccessible(QWidget* widget, const Meter& meter) {
    return new AccessibleMeter(widget, meter);
}

void announceMeterValue(QWidget* meter, double value) {
    // A meter nobody sees (another page, a minimised window) must not talk: screen readers report
    // every progress bar's changes, wherever it is.
    if (!meter->isVisible()) return;
    QAccessibleValueChangeEvent event(meter, value);
    QAccessible::updateAccessibility(&event);
}

}  // namespace tembrel::ui
