#include "ui/Notice.h"

#include "ui/Accessibility.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace tembrel::ui {
namespace {

constexpr char kNoticeProperty[] = "exposedAsNotice";
constexpr char kToldProperty[] = "noticeTold";

class AccessibleNotice final : public QAccessibleWidget {
public:
    explicit AccessibleNotice(QLabel* label) : QAccessibleWidget(label, QAccessible::Notification) {}

    // A screen reader reads the name some time after the notice came up; a text replaced or
    // cleared meanwhile (a link that came back) is still the one it was told about.
    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Name) return QAccessibleWidget::text(kind);
        const QString shown = static_cast<QLabel*>(widget())->text();
        return shown.isEmpty() ? widget()->property(kToldProperty).toString() : shown;
    }
};

}  // namespace

void exposeAsNotice(QLabel& label) {
    installAccessibility();
    label.setProperty(kNoticeProperty, true);
}

bool isExposedAsNotice(const QLabel& label) {
    return label.property(kNoticeProperty).toBool();
}

bool setNoticeText(QLabel& label, const QString& text) {
    if (label.text() == text) return false;
    label.setText(text);
    if (!text.isEmpty()) label.setProperty(kToldProperty, text);
    // A screen reader speaks a notification when it becomes visible; a notice that stays on
    // screen with a new text is shown anew to the reader.
    if (label.isVisible() && !text.isEmpty() && QAccessible::isActive()) {
        QAccessibleEvent event(&label, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&event);
    }
    return true;
}

QAccessibleInterface* noticeAccessible(QLabel* label) {
    return new AccessibleNotice(label);
}

}  // namespace tembrel::ui
