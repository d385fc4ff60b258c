#include "app/QtTrayShell.h"

#include "app/TrayIconArt.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

namespace tembrel {

QtTrayShell::QtTrayShell(std::function<bool()> reportsDoubleClick)
    : icon_(std::make_unique<QSystemTrayIcon>()), reportsDoubleClick_(std::move(reportsDoubleClick))
{
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) { OnActivated(reason); });
}

QtTrayShell::~QtTrayShell() = default;

bool QtTrayShell::Notify(Operation operation, const TrayIconRecord& record)
{
    switch (operation) {
    case Operation::Add:
        // Without a notification area the add fails, so the next change tries again.
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            return false;
        if (!Apply(record))
            return false;
        icon_->show();
        return true;
    case Operation::Modify:
        if (!icon_->isVisible())
            return false;
        return Apply(record);
    case Operation::Delete:
        if (!icon_->isVisible())
            return false;
        icon_->hide();
        balloonShown_.invalidate();
        return true;
    }
    return false;
}

bool QtTrayShell::Apply(const TrayIconRecord& record)
{
    if (record.flags & TrayIconRecord::kIcon) {
        const QIcon icon = TrayIcon(record.iconResource);
        if (icon.isNull())
            return false;
        icon_->setIcon(icon);
    }
    if (record.flags & TrayIconRecord::kTip)
        icon_->setToolTip(record.tooltip);
    if (record.flags & TrayIconRecord::kMessage) {
        window_ = record.window;
        callbackMessage_ = record.callbackMessage;
    }
    if (record.flags & TrayIconRecord::kInfo) {
        if (!record.balloonText.isEmpty()) {
            icon_->show();  // a message needs a visible icon
            icon_->showMessage(record.balloonTitle, record.balloonText, QSystemTrayIcon::NoIcon,
                               record.balloonTimeoutMs);
            balloonShown_.start();
            balloonTimeoutMs_ = record.balloonTimeoutMs;
        } else if (balloonShown_.isValid() && !balloonShown_.hasExpired(balloonTimeoutMs_)) {
            // An empty message removes the showing balloon; sent only while one may show,
            // since desktop notification services would show an empty one instead.
            icon_->showMessage(QString(), QString(), QSystemTrayIcon::NoIcon, 0);
            balloonShown_.invalidate();
        }
    }
    return true;
}

unsigned TrayMouseMessageFor(QSystemTrayIcon::ActivationReason reason, bool trayReportsDoubleClick)
{
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        return TrayMouse::kLeftDoubleClick;
    case QSystemTrayIcon::Context:
        return TrayMouse::kRightButtonUp;
    case QSystemTrayIcon::Trigger:
        return trayReportsDoubleClick ? TrayMouse::kLeftButtonUp : TrayMouse::kLeftDoubleClick;
    case QSystemTrayIcon::MiddleClick:
        return TrayMouse::kMiddleButtonUp;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

bool NotificationAreaReportsDoubleClick()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return true;
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusMessage get = QDBusMessage::createMethodCall(watcher, QStringLiteral("/StatusNotifierWatcher"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
    get.setAutoStartService(false);
    const QDBusReply<QDBusVariant> reply = bus.call(get, QDBus::Block, 1000);
    return !(reply.isValid() && reply.value().variant().toBool());
}

void QtTrayShell::OnActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (!trayReportsDoubleClick_)
        trayReportsDoubleClick_ = !reportsDoubleClick_ || reportsDoubleClick_();
    const unsigned mouse = TrayMouseMessageFor(reason, *trayReportsDoubleClick_);
    if (mouse != 0 && window_ && callbackMessage_ != 0)
        window_(callbackMessage_, mouse);
}

bool QtTrayShell::isIconVisible() const
{
    return icon_->isVisible();
}

QString QtTrayShell::toolTip() const
{
    return icon_->toolTip();
}

}  // namespace tembrel
