#pragma once
// A number edit with arrows beside it (the thresholds) as a spin button: assistive technology
// sees role spin button with the value and its range, hears each new value, and Up/Down in the
// edit step like the arrows. The edit keeps taking any digits; what is out of range is refused
// where the page checks it, with the page's own message.

#include <functional>

class QAccessibleInterface;
class QLineEdit;

namespace tembrel::ui {

// `step(+1)`/`step(-1)` moves the value as the up/down arrow does. Call right after creating the
// edit, before assistive technology has looked at it.
void exposeAsSpinButton(QLineEdit& edit, int minimum, int maximum, std::function<void(int)> step);
bool isExposedAsSpinButton(const QLineEdit& edit);

// The interface that exposes a marked edit (made by the factory of ui/Accessibility.h).
QAccessibleInterface* spinEditAccessible(QLineEdit* edit);

}  // namespace tembrel::ui
