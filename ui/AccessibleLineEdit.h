#pragma once
// A line edit as assistive technology reads and edits it, for the edits the program exposes in
// a role of its own (password text, spin button): offsets as in the edit, text set through the
// bus goes to the edit as typing does (its validator included). What is read may be masked.

#include <QAccessibleEditableTextInterface>
#include <QAccessibleTextInterface>
#include <QAccessibleWidget>

#include <utility>

class QLineEdit;

namespace tembrel::ui {

class AccessibleLineEdit : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
public:
    AccessibleLineEdit(QLineEdit* edit, QAccessible::Role role);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;

    // QAccessibleTextInterface
    void selection(int index, int* start, int* end) const override;
    int selectionCount() const override;
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override;
    void setSelection(int, int start, int end) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int start, int end) const override { return shown(start, end); }
    int characterCount() const override;
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

    // QAccessibleEditableTextInterface
    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override;

protected:
    QLineEdit* edit() const;
    // The characters [start, end) as the reader gets them (end -1: to the end).
    virtual QString shown(int start, int end) const;
    // [start, end) clamped to the text.
    std::pair<int, int> clamped(int start, int end) const;
};

}  // namespace tembrel::ui
