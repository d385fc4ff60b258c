#include "ui/ReadOnlyField.h"

#include "ui/Accessibility.h"

#include <QAccessibleTextInterface>
#include <QAccessibleWidget>
#include <QLabel>

#include <algorithm>

namespace tembrel::ui {
namespace {

constexpr char kFieldProperty[] = "exposedAsReadOnlyField";

// Named by its caption (the buddy label or its accessible name), its text the value.
class AccessibleReadOnlyField final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleReadOnlyField(QLabel* label) : QAccessibleWidget(label, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State st = QAccessibleWidget::state();
        st.readOnly = true;
        st.selectableText = true;
        st.multiLine = label()->text().contains(QLatin1Char('\n'));
        return st;
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return value();
        return QAccessibleWidget::text(kind);
    }

    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && label()->hasSelectedText()) {
            *start = label()->selectionStart();
            *end = *start + static_cast<int>(label()->selectedText().size());
        }
    }
    int selectionCount() const override { return label()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { label()->setSelection(0, 0); }
    void setSelection(int, int start, int end) override { label()->setSelection(start, std::max(0, end - start)); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override {
        const QString shown = value();
        const int count = static_cast<int>(shown.size());
        start = std::clamp(start, 0, count);
        end = end < 0 ? count : std::clamp(end, start, count);
        return shown.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(value().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

private:
    QLabel* label() const { return static_cast<QLabel*>(widget()); }
    QString value() const { return label()->text(); }
};

}  // namespace

void exposeAsReadOnlyField(QLabel& label) {
    installAccessibility();
    label.setProperty(kFieldProperty, true);
    // A Tab stop whose text the keyboard can select; no frame or colour changes.
    label.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label.setFocusPolicy(Qt::StrongFocus);
}

bool isExposedAsReadOnlyField(const QLabel& label) {
    return label.property(kFieldProperty).toBool();
}

QAccessibleInterface* readOnlyFieldAccessible(QLabel* label) {
    return new AccessibleReadOnlyField(label);
}

}  // namespace tembrel::ui
