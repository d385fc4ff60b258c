#pragma once
// Grabs modal windows. Whatever modal window shows up while the watcher lives is drawn once it
// has settled, handed over and closed again (Cancel), so that a message box can never stop
// the gallery. capture() runs something that opens a dialog and returns that dialog's picture.

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

namespace tembrel::gallery {

class ModalWatcher : public QObject {
    Q_OBJECT
public:
    using Unexpected = std::function<void(QWidget* window, const QImage& image)>;

    ModalWatcher(std::chrono::milliseconds settle, Unexpected unexpected);

    // Runs open() (which may block in the dialog's own event loop) and waits, at most bound,
    // until the modal window it opened has been grabbed; nothing when none appeared.
    std::optional<QImage> capture(const std::function<void()>& open, std::chrono::milliseconds bound);

private:
    void tick();

    std::chrono::milliseconds settle_;
    Unexpected unexpected_;
    QTimer poll_;
    QElapsedTimer clock_;
    QPointer<QWidget> current_;
    qint64 seenAt_ = 0;
    qint64 closedAt_ = 0;
    bool grabbed_ = false;
    bool expecting_ = false;
    std::optional<QImage> captured_;
};

}  // namespace tembrel::gallery
