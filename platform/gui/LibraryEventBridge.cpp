#include "LibraryEventBridge.h"

#include <QMetaObject>

#include <cstring>

namespace tembrel {

LibraryEventBridge::LibraryEventBridge(QObject* parent) : QObject(parent) {
    sink_.notify = &LibraryEventBridge::Notify;
    sink_.context = this;
}

void LibraryEventBridge::Notify(void* context, uint32_t message, uintptr_t code, intptr_t param) {
    if (message != ZARN9100_EVENT_MESSAGE || !context) return;
    auto* self = static_cast<LibraryEventBridge*>(context);
    std::string text;
    if (code == ZARN9100_EVENT_STATUS_TEXT && param) {  // its text lives only during this call
        const char* s = reinterpret_cast<const char*>(param);
        text.assign(s, strnlen(s, 1024));
        param = 0;  // the pointer dies with this call
    }
    // One delivery is queued for whatever waits; events arriving meanwhile join it.
    if (self->waiting_.push({code, param, std::move(text)}))
        QMetaObject::invokeMethod(self, [self] { self->deliverWaiting(); }, Qt::QueuedConnection);
}

void LibraryEventBridge::deliverWaiting() {
    for (const QueuedLibraryEvent& e : waiting_.take())
        emit libraryEvent(e.code, e.param, QString::fromLocal8Bit(e.text.data(), static_cast<qsizetype>(e.text.size())));
}

}  // namespace tembrel
