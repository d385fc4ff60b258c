#pragma once
// Qt puts the controls of a widget built into a window that already exists at the end of the
// window's Tab order, after the window's own buttons. A page built when first shown is put back
// where it is seen: its controls right after what comes before its area, the rest after them.

class QWidget;

namespace tembrel::ui {

// `part` was just built inside `area` (a tab widget, a stack). The focusable controls that
// follow `area` in the Tab order but came before `part` move behind `part`'s last control.
void tabOrderAfterBuilding(QWidget& area, QWidget& part);

}  // namespace tembrel::ui
