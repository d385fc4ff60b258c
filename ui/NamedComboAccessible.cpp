#include "ui/NamedComboAccessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>

namespace tembrel::ui {
namespace {

// Children, actions and states as Qt's own combo box interface has them; only the name differs.
class AccessibleNamedCombo final : public QAccessibleWidget {
public:
    explicit AccessibleNamedCombo(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {
        addControllingSignal(QLatin1String("activated(int)"));
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
            text = combo()->isEditable() ? combo()->lineEdit()->text() : combo()->currentText();
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

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

}  // namespace

QAccessibleInterface* namedComboAccessible(QComboBox* combo) {
    return new AccessibleNamedCombo(combo);
}

}  // namespace tembrel::ui
