#pragma once
// The supervisor thread's notifications, run on the thread of the object that receives them,
// queued in the order they were sent (none runs once the receiver is gone).

#include "connection/SupervisorRoutine.h"

#include <QString>

#include <functional>

class QObject;

namespace tembrel {

struct ReceivedNotifications {
    // Called on the supervisor's thread: the receiver queues tray states itself.
    std::function<void(int state)> publishTrayState;
    std::function<void(uint32_t code, const QString& text)> notifyStatusPage;
    std::function<void()> requestAutoLink;
    // Returns once the user has closed the message.
    std::function<void(const QString& text)> showMessage;
};

SupervisorNotifications QueuedOn(QObject& receiver, ReceivedNotifications notifications);

}  // namespace tembrel
