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

    using Inspect = std::function<void(QWidget* window)>;

    ModalWatcher(std::chrono::milliseconds settle, Unexpected unexpected);
    // Called with every modal window just before it is drawn.
    void setInspect(Inspect inspect) { inspect_ = std::move(inspect); }

    // Runs open() (which may block in the dialog's own event loop) and waits, at most bound,
    // until the modal window it opened has been grabbed; nothing when none appeared.
    std::optional<QImage> capture(const std::function<void()>& open, std::chrono::milliseconds bound);
    // The title of the window the last capture() drew.
    const QString& capturedTitle() const { return capturedTitle_; }

private:
    void tick();

    std::chrono::milliseconds settle_;
    Unexpected unexpected_;
    Inspect inspect_;
    QTimer poll_;
    QElapsedTimer clock_;
    QPointer<QWidget> current_;
    qint64 seenAt_ = 0;
    qint64 closedAt_ = 0;
    bool grabbed_ = false;
    bool expecting_ = false;
    std::optional<QImage> captured_;
    QString capturedTitle_;
};

}  // namespace tembrel::gallery
