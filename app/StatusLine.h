#pragma once
// The card's status text where the user looks: a line above the window's buttons on every page
// but Network Status (which shows the text itself), and a balloon on the notification-area icon
// while the window is away, each text once until the next link-up.

#include <QStringList>

#include <functional>

class QLabel;
class QWidget;

namespace tembrel {

class CTrayIcon;

class StatusLine {
public:
    // The line is a hidden child of `window` with the control id `id`; `pageShowsText` tells
    // whether the page shown has the text itself.
    StatusLine(QWidget& window, int id, std::function<bool()> pageShowsText);

    QLabel& label() const { return *label_; }
    // A status text: on the line; by balloon too when `balloonIcon` is the icon shown while
    // the window is away (null otherwise).
    void tell(const QString& text, CTrayIcon* balloonIcon);
    // The link is up: the line empties and every text may be told by balloon again.
    void linkUp();
    // Another page is shown: the line is seen only beside pages without the text.
    void follow();

private:
    QLabel* label_;  // owned by the window
    QStringList balloonsShown_;
    std::function<bool()> pageShowsText_;
};

}  // namespace tembrel
