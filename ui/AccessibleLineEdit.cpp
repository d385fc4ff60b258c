#include "ui/AccessibleLineEdit.h"

#include <QLineEdit>
#include <QValidator>

#include <algorithm>

namespace tembrel::ui {

AccessibleLineEdit::AccessibleLineEdit(QLineEdit* edit, QAccessible::Role role) : QAccessibleWidget(edit, role) {}

QLineEdit* AccessibleLineEdit::edit() const { return static_cast<QLineEdit*>(widget()); }

void* AccessibleLineEdit::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State AccessibleLineEdit::state() const {
    QAccessible::State st = QAccessibleWidget::state();
    st.editable = !edit()->isReadOnly();
    st.readOnly = edit()->isReadOnly();
    st.selectableText = true;
    return st;
}

QString AccessibleLineEdit::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Value) return shown(0, -1);
    return QAccessibleWidget::text(kind);
}

void AccessibleLineEdit::selection(int index, int* start, int* end) const {
    *start = *end = 0;
    if (index == 0 && edit()->hasSelectedText()) {
        *start = edit()->selectionStart();
        *end = *start + static_cast<int>(edit()->selectedText().size());
    }
}

int AccessibleLineEdit::selectionCount() const { return edit()->hasSelectedText() ? 1 : 0; }
void AccessibleLineEdit::removeSelection(int) { edit()->deselect(); }
void AccessibleLineEdit::setSelection(int, int start, int end) { edit()->setSelection(start, end - start); }
int AccessibleLineEdit::cursorPosition() const { return edit()->cursorPosition(); }
void AccessibleLineEdit::setCursorPosition(int position) { edit()->setCursorPosition(position); }
int AccessibleLineEdit::characterCount() const { return static_cast<int>(edit()->text().size()); }

int AccessibleLineEdit::offsetAtPoint(const QPoint& point) const {
    return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
}

std::pair<int, int> AccessibleLineEdit::clamped(int start, int end) const {
    const int count = characterCount();
    start = std::clamp(start, 0, count);
    end = end < 0 ? count : std::clamp(end, start, count);
    return {start, end};
}

QString AccessibleLineEdit::shown(int start, int end) const {
    const auto [from, to] = clamped(start, end);
    return edit()->text().mid(from, to - from);
}

void AccessibleLineEdit::replaceText(int start, int end, const QString& text) {
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

}  // namespace tembrel::ui
