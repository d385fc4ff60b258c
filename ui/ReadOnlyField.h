#pragma once
// A value shown as a label beside its caption (the Network Status values, the wizard's summary)
// that the keyboard and a screen reader reach as a read-only field: Tab stops on it, and
// assistive technology reads "Status: read only text, Associated". It looks as before.

class QAccessibleInterface;
class QLabel;

namespace tembrel::ui {

// Call right after creating the label, before assistive technology has looked at it.
void exposeAsReadOnlyField(QLabel& label);
bool isExposedAsReadOnlyField(const QLabel& label);

// The interface that exposes a marked label (made by the factory of ui/Accessibility.h).
QAccessibleInterface* readOnlyFieldAccessible(QLabel* label);

}  // namespace tembrel::ui
