#include "ModalWatcher.h"

#include <QApplication>
#include <QDialog>

namespace tembrel::gallery {

namespace {
// A window that ignored being closed is hidden after this long (hiding ends a dialog's exec()).
constexpr qint64 kCloseGraceMs = 1000;
constexpr int kPollMs = 10;
}  // namespace

ModalWatcher::ModalWatcher(std::chrono::milliseconds settle, Unexpected unexpected)
    : settle_(settle), unexpected_(std::move(unexpected)) {
    clock_.start();
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &ModalWatcher::tick);
    poll_.start();
}

std::optional<QImage> ModalWatcher::capture(const std::function<void()>& open, std::chrono::milliseconds bound) {
    expecting_ = true;
    captured_.reset();
    QElapsedTimer waited;
    waited.start();
    open();
    // A dialog shown without its own event loop is still up: wait for it here.
    while (!captured_ && waited.elapsed() < bound.count())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);  // poll_ wakes it
    expecting_ = false;
    return std::exchange(captured_, std::nullopt);
}

void ModalWatcher::tick() {
    QWidget* window = QApplication::activeModalWidget();
    if (!window || !window->isVisible()) {
        current_ = nullptr;
        return;
    }
    const qint64 now = clock_.elapsed();
    if (window != current_) {
        current_ = window;
        seenAt_ = now;
        grabbed_ = false;
        return;
    }
    if (grabbed_) {
        if (now - closedAt_ > kCloseGraceMs) window->hide();
        return;
    }
    if (now - seenAt_ < settle_.count()) return;
    if (inspect_) inspect_(window);
    const QImage image = window->grab().toImage();
    grabbed_ = true;
    closedAt_ = now;
    if (expecting_ && !captured_) {
        captured_ = image;
        capturedTitle_ = window->windowTitle();
    }
    else if (unexpected_)
        unexpected_(window, image);
    if (auto* dialog = qobject_cast<QDialog*>(window))
        dialog->done(QDialog::Rejected);
    else
        window->close();
}

}  // namespace tembrel::gallery
