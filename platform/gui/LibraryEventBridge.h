#pragma once
// Receives the driver library's events on the library's own thread and hands each to the
// user-interface thread, queued, as a posted window message would arrive.

#include <Tembrel.h>

#include <QObject>
#include <QString>

namespace tembrel {

class LibraryEventBridge : public QObject {
    Q_OBJECT
public:
    explicit LibraryEventBridge(QObject* parent = nullptr);

    // The record to pass to Zarn9100Initialize; valid as long as this object lives.
    const ZARN9100_EVENT_SINK* sink() const { return &sink_; }

    // Event code 1012 carries a status text that is valid only during the library's call.
    static constexpr uintptr_t kStatusTextEvent = 1012;

signals:
    // Emitted on the thread this object lives in. text is the copied status text of code 1012.
    void libraryEvent(quintptr code, qintptr param, const QString& text);

private:
    static void Notify(void* context, uint32_t message, uintptr_t code, intptr_t param);
    ZARN9100_EVENT_SINK sink_{};
};

}  // namespace tembrel
