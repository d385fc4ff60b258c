#pragma once
// Which Alt+letter keys a window offers right now, and which of them more than one visible
// control claims: such a key only moves the focus between them instead of working the control.

#include <QString>
#include <QStringList>

class QWidget;

namespace tembrel::ui {

// "Alt+C: &Create... | &Cancel" for every letter that two visible controls of `window` (buttons,
// labels with a buddy, checkable group boxes, tabs) share; empty when each letter is unique.
QStringList MnemonicClashes(const QWidget& window);

}  // namespace tembrel::ui
