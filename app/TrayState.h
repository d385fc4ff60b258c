#pragma once
// The four states the notification-area icon shows for the connection:
// 0 card unplugged, 1 connected, 2 not connected, 3 scanning (balloon over the previous tooltip).

#include "connection/StatusRefresher.h"  // the TrayState numbers

#include <QObject>
#include <QString>

#include <optional>

namespace tembrel {

class CTrayIcon;

struct TrayStateLook {
    int iconResourceId = 0;
    std::optional<QString> tooltip;  // none: the icon keeps its tooltip
    std::optional<QString> balloon;  // none: a showing balloon is removed
};

// The icon and texts of a state; nothing for a number that is no state.
std::optional<TrayStateLook> TrayStateLookFor(int state);

// Shows the state on the icon. Nothing happens before the icon is created (the main window
// exists) or for a number that is no state. User-interface thread only.
void SetTrayState(CTrayIcon& tray, int state);

// Publishes states from any thread: calls from other threads are queued to the thread this
// object lives in (the user-interface thread), in the order they were made.
class TrayStatePublisher : public QObject {
    Q_OBJECT
public:
    explicit TrayStatePublisher(CTrayIcon& tray, QObject* parent = nullptr);

    void SetTrayState(int state);

private:
    CTrayIcon& tray_;
};

}  // namespace tembrel
