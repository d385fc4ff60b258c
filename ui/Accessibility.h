#pragma once
// How the program's own widgets appear to assistive technology (screen readers through AT-SPI).
// One accessibility factory, installed once per process, exposes:
// - a widget marked with exposeAsWindow() as a frame (a plain top-level QWidget is a "filler");
// - a dialog embedded in another window as a pane, not a dialog;
// - a line edit marked with exposeAsSecret() as a password field (ui/SecretEdit.h);
// - a line edit marked with exposeAsSpinButton() as a spin button with a range (ui/SpinEdit.h);
// - a widget implementing ui::Meter as a progress bar with a value (ui/AccessibleMeter.h);
// - every combo box named by its caption (its accessible name, its label, or its group's title)
//   with its current item as its value and its text. Qt on Linux names a combo box by its current item;
// - a label marked with exposeAsNotice() as a notification a screen reader speaks (ui/Notice.h);
// - a label marked with exposeAsReadOnlyField() as a read-only text named by its caption
//   (ui/ReadOnlyField.h);
// - every tab strip with its current tab selected (ui/AccessibleTabBar.h).

class QWidget;

namespace tembrel::ui {

// Installs the factory; idempotent. The program calls it at start; the markers below call it too.
void installAccessibility();

// Call in the window's constructor, before assistive technology has looked at it.
void exposeAsWindow(QWidget& window);

}  // namespace tembrel::ui
