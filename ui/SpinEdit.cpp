#include "ui/SpinEdit.h"

#include "ui/Accessibility.h"
#include "ui/AccessibleLineEdit.h"

#include <QAccessibleValueInterface>
#include <QKeyEvent>
#include <QLineEdit>

namespace tembrel::ui {
namespace {

constexpr char kMinimumProperty[] = "spinMinimum";
constexpr char kMaximumProperty[] = "spinMaximum";

// Up and Down in the edit step the value; every other key is the edit's.
class StepKeys final : public QObject {
public:
    StepKeys(QLineEdit& edit, std::function<void(int)> step) : QObject(&edit), step_(std::move(step)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier) return false;
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            if (!static_cast<QLineEdit*>(watched)->isReadOnly()) step_(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
        return false;
    }

private:
    std::function<void(int)> step_;
};

class AccessibleSpinEdit final : public AccessibleLineEdit, public QAccessibleValueInterface {
public:
    explicit AccessibleSpinEdit(QLineEdit* edit) : AccessibleLineEdit(edit, QAccessible::SpinBox) {
        // A screen reader speaks a spin button's value changes, not its text changes.
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
            bool number = false;
            const qlonglong value = text.toLongLong(&number);
            if (!number || !QAccessible::isActive()) return;
            QAccessibleValueChangeEvent event(edit, value);
            QAccessible::updateAccessibility(&event);
        });
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return AccessibleLineEdit::interface_cast(type);
    }

    // The number in the edit; text that is no number has no value.
    QVariant currentValue() const override {
        bool number = false;
        const qlonglong value = edit()->text().toLongLong(&number);
        return number ? QVariant(value) : QVariant();
    }
    // Set through the bus as if typed; the page checks the range as it does for typing.
    void setCurrentValue(const QVariant& value) override {
        bool number = false;
        const qlonglong wanted = value.toLongLong(&number);
        if (number) replaceText(0, characterCount(), QString::number(wanted));
    }
    QVariant maximumValue() const override { return edit()->property(kMaximumProperty); }
    QVariant minimumValue() const override { return edit()->property(kMinimumProperty); }
    QVariant minimumStepSize() const override { return 1; }
};

}  // namespace

void exposeAsSpinButton(QLineEdit& edit, int minimum, int maximum, std::function<void(int)> step) {
    installAccessibility();
    edit.setProperty(kMinimumProperty, minimum);
    edit.setProperty(kMaximumProperty, maximum);
    edit.installEventFilter(new StepKeys(edit, std::move(step)));
}

bool isExposedAsSpinButton(const QLineEdit& edit) {
    return edit.property(kMinimumProperty).isValid();
}

QAccessibleInterface* spinEditAccessible(QLineEdit* edit) {
    return new AccessibleSpinEdit(edit);
}

}  // namespace tembrel::ui
