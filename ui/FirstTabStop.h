#pragma once
// Where the focus goes when a new page of a window comes up: its first control in the Tab
// order, so that a screen reader announces the page with it.

class QWidget;

namespace tembrel::ui {

// The first control inside `container` that Tab reaches: shown, enabled and taking the focus by
// Tab. Null when there is none.
QWidget* firstTabStop(QWidget& container);

}  // namespace tembrel::ui
