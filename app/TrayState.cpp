#include "app/TrayState.h"

#include "app/CTrayIcon.h"
#include "app/TrayIconArt.h"

#include <QThread>

namespace tembrel {

std::optional<TrayStateLook> TrayStateLookFor(int state)
{
    switch (state) {
    case kTrayCardUnplugged:
        return TrayStateLook{kIconCardUnplugged, QStringLiteral("Card Unplugged"), std::nullopt};
    case kTrayConnected:
        return TrayStateLook{kIconConnected, QStringLiteral("Connected"), std::nullopt};
    case kTrayNoConnection:
        return TrayStateLook{kIconNotConnected, QStringLiteral("No Connection"), std::nullopt};
    case kTrayScanning:
        return TrayStateLook{kIconNotConnected, std::nullopt,
                             QStringLiteral("Auto Configuration:  Scanning in progress...")};
    default:
        return std::nullopt;
    }
}

void SetTrayState(CTrayIcon& tray, int state)
{
    if (!tray.IsCreated())
        return;
    if (const auto look = TrayStateLookFor(state))
        tray.SetIcon(look->iconResourceId, look->tooltip, look->balloon);
}

TrayStatePublisher::TrayStatePublisher(CTrayIcon& tray, QObject* parent)
    : QObject(parent)
    , tray_(tray)
{
}

void TrayStatePublisher::SetTrayState(int state)
{
    if (QThread::currentThread() == thread()) {
        tembrel::SetTrayState(tray_, state);
        return;
    }
    QMetaObject::invokeMethod(this, [this, state] { tembrel::SetTrayState(tray_, state); },
                              Qt::QueuedConnection);
}

}  // namespace tembrel
