#pragma once
// A line edit that shows a secret in clear on screen (as the credential dialogs do) but gives
// assistive technology only a password field: role password text, the characters masked. Text
// typed or set through assistive technology still reaches the edit.

class QAccessibleInterface;
class QLineEdit;

namespace tembrel::ui {

// Call right after creating the edit, before assistive technology has looked at it.
void exposeAsSecret(QLineEdit& edit);
bool isExposedAsSecret(const QLineEdit& edit);

// The interface that exposes a marked edit (made by the factory of ui/Accessibility.h).
QAccessibleInterface* secretEditAccessible(QLineEdit* edit);

}  // namespace tembrel::ui
