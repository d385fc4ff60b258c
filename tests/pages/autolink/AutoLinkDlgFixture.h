#pragma once
// The Auto Link dialog alone on a page context double, a manual dialog clock and a main-window
// receiver that records what the dialog passes on. A pump advances the clock from inside the
// dialog's nested waits and notes every countdown box it sees.

#include "pages/autolink/CAutoLinkDlg.h"
#include "ui/ControlId.h"
#include "tests/support/FakePageContext.h"
#include "tests/support/ManualDialogClock.h"
#include "tests/support/WaitUntil.h"
#include "ui/CountdownBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <memory>
#include <vector>

namespace tembrel::testing {

// Records the events the dialog passes on to the main window, in order, and a copy of the
// receiver the library holds after each Initialize.
struct MainWindowSink {
    static void Notify(void* context, uint32_t, uintptr_t code, intptr_t) {
        static_cast<MainWindowSink*>(context)->codes.push_back(code);
    }
    ZARN9100_EVENT_SINK sink{&Notify, this};
    std::vector<uintptr_t> codes;
};

template <typename W>
W* ControlOf(QWidget& root, int id) {
    return ui::ControlById<W>(root, id);
}

// Advances the clock while the event loop runs (also inside nested loops), `stepMs` a turn.
class ClockPump {
public:
    explicit ClockPump(ManualDialogClock& clock) : clock_(clock) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { turn(); });
        timer_.start(0);
    }
    std::chrono::milliseconds stepMs{250};
    bool running = true;
    // Texts of the countdown boxes shown, each once, in order.
    std::vector<QString> countdowns;

private:
    void turn() {
        if (auto* box = qobject_cast<ui::CountdownBox*>(QApplication::activeModalWidget())) {
            const QString text = ControlOf<QLabel>(*box, ui::CountdownBox::kIdText)->text();
            if (box != last_) countdowns.push_back(text);
            last_ = box;
        }
        if (running) clock_.advance(stepMs);
    }
    ManualDialogClock& clock_;
    QTimer timer_;
    // Guarded: a later box may be made at the address of one already gone.
    QPointer<ui::CountdownBox> last_;
};

}  // namespace tembrel::testing
