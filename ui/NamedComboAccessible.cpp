#include "ui/NamedComboAccessible.h"

#include <QAbstractItemView>
#include <QAccessibleTextInterface>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>

#include <algorithm>

namespace tembrel::ui {
namespace {

// Children, actions and states as Qt's own combo box interface has them; the name is the caption.
// The current item is also the combo box's text: screen readers read a combo box's value through
// its text interface (Qt 6.4 offers no selection interface on the bus), and a change of item is
// sent as a change of that text. The text counts as selected, as in a combo box's entry after an
// arrow key, so that a screen reader speaks the new item rather than treating it as typing.
class AccessibleNamedCombo final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleNamedCombo(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {
        addControllingSignal(QLatin1String("activated(int)"));
        // The interface lives as long as the combo box (Qt's cache); the context ends the connection.
        QObject::connect(combo, &QComboBox::currentTextChanged, combo, [combo, before = combo->currentText()](const QString& now) mutable {
            if (now == before) return;
            // The new text only: a removal of the old one is read out as "selection deleted".
            if (!combo->isEditable() && !now.isEmpty() && QAccessible::isActive()) {
                QAccessibleTextInsertEvent event(combo, 0, now);
                QAccessible::updateAccessibility(&event);
            }
            before = now;
        });
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override { return combo()->isEditable() ? 2 : 1; }

    QAccessibleInterface* child(int index) const override {
        if (index == 0) return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->isEditable()) return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child->object() == combo()->view()) return 0;
        if (combo()->isEditable() && child->object() == combo()->lineEdit()) return 1;
        return -1;
    }

    QAccessibleInterface* focusChild() const override {
        return combo()->isEditable() ? child(1) : nullptr;
    }

    QString text(QAccessible::Text kind) const override {
        // The caption: accessible name, buddy label or group title (QAccessibleWidget's rule).
        QString text = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Value || (kind == QAccessible::Name && text.isEmpty())) {
            text = current();
        }
        if (kind == QAccessible::Accelerator && text.isEmpty()) {
            text = QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
        }
        return text;
    }

    QAccessible::State state() const override {
        QAccessible::State st = QAccessibleWidget::state();
        st.expandable = true;
        st.expanded = combo()->view()->isVisible();
        st.collapsed = !st.expanded;
        st.editable = combo()->isEditable();
        return st;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction()) return;
        if (combo()->view()->isVisible()) {
            combo()->hidePopup();
        } else {
            combo()->showPopup();
        }
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    // QAccessibleTextInterface: the current item, read only, selected as a whole.
    void selection(int index, int* start, int* end) const override {
        *start = 0;
        *end = index == 0 ? characterCount() : 0;
    }
    int selectionCount() const override { return characterCount() > 0 ? 1 : 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override {
        const QString shown = current();
        const int count = static_cast<int>(shown.size());
        start = std::clamp(start, 0, count);
        end = end < 0 ? count : std::clamp(end, start, count);
        return shown.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(current().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
    QString current() const { return combo()->isEditable() ? combo()->lineEdit()->text() : combo()->currentText(); }
};

}  // namespace

QAccessibleInterface* namedComboAccessible(QComboBox* combo) {
    return new AccessibleNamedCombo(combo);
}

}  // namespace tembrel::ui
