#pragma once
// The balloon of the notification-area icon where Qt would draw its own: a tool-tip window beside
// the icon, built once and shown again for every message. Qt's fallback balloon is a new window
// for every message, created, painted and destroyed each time, which costs an idle program
// dozens of wake-ups when the same balloon comes and goes every few seconds.

#include <QTimer>
#include <QWidget>

class QLabel;

namespace tembrel {

class TrayBalloon : public QWidget {
    Q_OBJECT
public:
    explicit TrayBalloon(QWidget* parent = nullptr);

    // Shows the texts beside anchor (the icon's rectangle on the screen; empty when unknown:
    // the corner of the screen) for timeoutMs, inside the screen's available area. An empty
    // title leaves only the text.
    void ShowMessage(const QString& title, const QString& text, const QRect& anchor, int timeoutMs);
    void Remove();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Place(const QRect& anchor);

    QLabel* title_;
    QLabel* text_;
    QTimer timeout_;
};

}  // namespace tembrel
