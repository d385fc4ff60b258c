#pragma once
// Receives the driver library's events on the library's own thread and hands them to the
// user-interface thread, queued, as posted window messages would arrive; an event repeated while
// it still waits is handled once (platform/EventCoalescer.h), so a flood cannot pile up.

#include <Tembrel.h>

#include "platform/EventCoalescer.h"

#include <QObject>
#include <QString>

namespace tembrel {

class LibraryEventBridge : public QObject {
    Q_OBJECT
public:
    explicit LibraryEventBridge(QObject* parent = nullptr);

    // The record to pass to Zarn9100Initialize; valid as long as this object lives.
    const ZARN9100_EVENT_SINK* sink() const { return &sink_; }

signals:
    // Emitted on the thread this object lives in. text is the copied status text of code 1012.
    void libraryEvent(quintptr code, qintptr param, const QString& text);

private:
    static void Notify(void* context, uint32_t message, uintptr_t code, intptr_t param);
    void deliverWaiting();
    ZARN9100_EVENT_SINK sink_{};
    EventCoalescer waiting_;
};

}  // namespace tembrel
