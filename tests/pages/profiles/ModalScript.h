#pragma once
// Plays the user in modal dialogs that the code under test opens with exec(): each dialog, as it
// becomes the active modal window, is recorded and handed to the next scripted step, which
// must end it (or queue a click that ends it). A dialog with no step left is cancelled, so a
// test that opens more than it expected fails instead of hanging.
//
// Steps run from a timer inside the dialog's own event loop; a step that opens yet another
// dialog must queue that click (clickLater), because that timer does not fire again while its
// own step is running.

#include "ui/ControlId.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

namespace tembrel::test {

class ModalScript {
public:
    using Step = std::function<void(QDialog&)>;

    ModalScript() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    void then(Step step) { steps_.push_back(std::move(step)); }

    // Class names of the dialogs seen, in order ("tembrel::CSelectCertDlg").
    const std::vector<QString>& seen() const { return seen_; }
    bool allStepsUsed() const { return steps_.empty(); }

    static void clickLater(QAbstractButton* button) {
        QTimer::singleShot(0, button, [button] { button->click(); });
    }

private:
    void poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        for (const auto& handled : handled_)
            if (handled == dialog) return;
        handled_.emplace_back(dialog);
        seen_.push_back(QString::fromLatin1(dialog->metaObject()->className()));
        if (steps_.empty()) {
            dialog->reject();
            return;
        }
        Step step = std::move(steps_.front());
        steps_.pop_front();
        step(*dialog);
    }

    QTimer timer_;
    std::deque<Step> steps_;
    std::vector<QPointer<QDialog>> handled_;
    std::vector<QString> seen_;
};

template <typename W = QWidget>
W* Control(const QWidget& parent, int id) {
    return ui::ControlById<W>(parent, id);
}

}  // namespace tembrel::test
