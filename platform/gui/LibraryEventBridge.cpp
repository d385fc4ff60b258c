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
    QString text;
    if (code == kStatusTextEvent && param) {
        const char* s = reinterpret_cast<const char*>(param);
        text = QString::fromLocal8Bit(s, static_cast<qsizetype>(strnlen(s, 1024)));
        param = 0;  // the pointer dies with this call
    }
    QMetaObject::invokeMethod(
        self, [self, code, param, text] { emit self->libraryEvent(code, param, text); }, Qt::QueuedConnection);
}

}  // namespace tembrel
