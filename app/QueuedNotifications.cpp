#include "app/QueuedNotifications.h"

#include <QMetaObject>
#include <QObject>

#include <memory>

namespace tembrel {

SupervisorNotifications QueuedOn(QObject& receiver, ReceivedNotifications notifications) {
    auto received = std::make_shared<const ReceivedNotifications>(std::move(notifications));
    QObject* target = &receiver;
    SupervisorNotifications out;
    out.publishTrayState = received->publishTrayState;
    out.notifyStatusPage = [target, received](uint32_t code, const std::string& text) {
        const QString copy = QString::fromStdString(text);
        QMetaObject::invokeMethod(
            target, [received, code, copy] { received->notifyStatusPage(code, copy); }, Qt::QueuedConnection);
    };
    out.requestAutoLink = [target, received] {
        QMetaObject::invokeMethod(target, [received] { received->requestAutoLink(); }, Qt::QueuedConnection);
    };
    out.showMessage = [target, received](const std::string& text, std::function<void()> dismissed) {
        const QString copy = QString::fromStdString(text);
        QMetaObject::invokeMethod(
            target,
            [received, copy, dismissed] {
                received->showMessage(copy);
                dismissed();  // the supervisor waits for this
            },
            Qt::QueuedConnection);
    };
    return out;
}

}  // namespace tembrel
