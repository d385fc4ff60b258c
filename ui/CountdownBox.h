#pragma once
// A modal box that shows a text for a number of seconds: a compact box over the middle of its
// owner's window, whose title and progress bar count the seconds left (" 5 seconds
// remaining..."); the bar advances once a second, and the box closes by itself when the time is
// up. Time comes from a DialogClock. Neither Esc nor the window's close button ends it early:
// what follows the box must wait its time.

#include "ui/logic/Countdown.h"
#include "ui/logic/DialogClock.h"

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;

namespace tembrel::ui {

class CountdownBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdText = 1300;
    static constexpr int kIdProgress = 1301;

    CountdownBox(const QString& text, int seconds, DialogClock& clock, QWidget* owner);
    ~CountdownBox() override;

    // Shows the box until the time is up (or it is abandoned) and returns then.
    void run();
    // Closes the box before its time, for an owner that is going away.
    void abandon() { QDialog::done(Rejected); }
    // Esc and the close button: the box stays.
    void reject() override {}

    int remainingSeconds() const { return countdown_.remaining(); }

private:
    void onSecond();
    void showProgress();

    Countdown countdown_;
    DialogClock& clock_;
    std::unique_ptr<DialogTimer> timer_;
    QLabel* text_;
    QProgressBar* progress_;
};

}  // namespace tembrel::ui
