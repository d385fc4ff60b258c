#pragma once
// A label that tells the user something happened (a refused join on the status line, a cut WEP
// key) is a notice: assistive technology sees it as a notification named by its text, and
// announceNotice() makes a screen reader speak it. Qt announces a notice when it is shown;
// announceNotice() is for a new text in a notice already on screen.

class QAccessibleInterface;
class QLabel;
class QString;

namespace tembrel::ui {

// Call right after creating the label, before assistive technology has looked at it.
void exposeAsNotice(QLabel& label);
bool isExposedAsNotice(const QLabel& label);

// Sets the notice's text; a new text in a notice on screen is announced. Returns whether the
// text changed.
bool setNoticeText(QLabel& label, const QString& text);

// The interface that exposes a marked label (made by the factory of ui/Accessibility.h).
QAccessibleInterface* noticeAccessible(QLabel* label);

}  // namespace tembrel::ui
