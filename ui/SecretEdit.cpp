#include "ui/SecretEdit.h"

#include "ui/Accessibility.h"

#include <QAccessibleEditableTextInterface>
#include <QAccessibleTextInterface>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QValidator>

#include <algorithm>

namespace tembrel::ui {
namespace {

constexpr char kSecretProperty[] = "exposedAsSecret";
constexpr QChar kMask(0x25CF);  // BLACK CIRCLE, as Qt masks password edits

class AccessibleSecretEdit final : public QAccessibleWidget,
                                   public QAccessibleTextInterface,
                                   public QAccessibleEditableTextInterface {
public:
    explicit AccessibleSecretEdit(QLineEdit* edit) : QAccessibleWidget(edit, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State st = QAccessibleWidget::state();
        st.passwordEdit = true;
        st.editable = !edit()->isReadOnly();
        st.readOnly = edit()->isReadOnly();
        st.selectableText = true;
        return st;
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return masked(0, characterCount());
        return QAccessibleWidget::text(kind);
    }

    // QAccessibleTextInterface: offsets as in the edit, characters masked.
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && edit()->hasSelectedText()) {
            *start = edit()->selectionStart();
            *end = *start + static_cast<int>(edit()->selectedText().size());
        }
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { edit()->deselect(); }
    void setSelection(int, int start, int end) override { edit()->setSelection(start, end - start); }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    QString text(int start, int end) const override { return masked(start, end); }
    int characterCount() const override { return static_cast<int>(edit()->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint& point) const override {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

    // QAccessibleEditableTextInterface: changes go to the edit like typing (validator included).
    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        if (edit()->isReadOnly()) return;
        QString changed = edit()->text();
        start = std::clamp(start, 0, static_cast<int>(changed.size()));
        end = std::clamp(end, start, static_cast<int>(changed.size()));
        changed.replace(start, end - start, text);
        int position = start + static_cast<int>(text.size());
        if (const QValidator* validator = edit()->validator();
            validator && validator->validate(changed, position) == QValidator::Invalid) {
            return;
        }
        edit()->setText(changed);
    }

private:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
    QString masked(int start, int end) const {
        const int count = characterCount();
        start = std::clamp(start, 0, count);
        end = end < 0 ? count : std::clamp(end, start, count);
        return QString(end - start, kMask);
    }
};

}  // namespace

void exposeAsSecret(QLineEdit& edit) {
    installAccessibility();
    edit.setProperty(kSecretProperty, true);
}

bool isExposedAsSecret(const QLineEdit& edit) {
    return edit.property(kSecretProperty).toBool();
}

QAccessibleInterface* secretEditAccessible(QLineEdit* edit) {
    return new AccessibleSecretEdit(edit);
}

}  // namespace tembrel::ui
