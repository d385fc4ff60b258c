#include "app/QtTrayShell.h"

#include "app/TrayBalloon.h"
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
        if (balloon_)
            balloon_->Remove();
        icon_->hide();
        shown_.Forget();
        balloonShown_.invalidate();
        return true;
    }
    return false;
}

TrayShown::Changes TrayShown::Apply(const TrayIconRecord& record)
{
    Changes changes;
    if ((record.flags & TrayIconRecord::kIcon) && record.iconResource != icon_) {
        icon_ = record.iconResource;
        changes.icon = true;
    }
    if ((record.flags & TrayIconRecord::kTip) && tooltip_ != record.tooltip) {
        tooltip_ = record.tooltip;
        changes.tooltip = true;
    }
    return changes;
}

void TrayShown::Forget()
{
    icon_ = 0;
    tooltip_.reset();
}

const QIcon& QtTrayShell::IconFor(int resource)
{
    auto found = icons_.find(resource);
    if (found == icons_.end())
        found = icons_.emplace(resource, TrayIcon(resource)).first;
    return found->second;
}

bool QtTrayShell::Apply(const TrayIconRecord& record)
{
    if ((record.flags & TrayIconRecord::kIcon) && IconFor(record.iconResource).isNull()) {
        shown_.Forget();
        return false;
    }
    const TrayShown::Changes changes = shown_.Apply(record);
    if (changes.icon)
        icon_->setIcon(IconFor(record.iconResource));
    if (changes.tooltip)
        icon_->setToolTip(record.tooltip);
    if (record.flags & TrayIconRecord::kMessage) {
        window_ = record.window;
        callbackMessage_ = record.callbackMessage;
    }
    if (record.flags & TrayIconRecord::kInfo) {
        if (!record.balloonText.isEmpty()) {
            ShowBalloon(record);
        } else if (balloonShown_.isValid() && !balloonShown_.hasExpired(balloonTimeoutMs_)) {
            // Only while one may show: desktop notification services would show an empty one.
            RemoveBalloon();
        }
    }
    return true;
}

void QtTrayShell::ShowBalloon(const TrayIconRecord& record)
{
    icon_->show();  // a message needs a visible icon
    // Without a StatusNotifierItem host (the same test as for double clicks) Qt docks the icon
    // by XEmbed and would make a new window for every balloon.
    if (TrayReportsDoubleClick()) {
        if (!balloon_)
            balloon_ = std::make_unique<TrayBalloon>();
        balloon_->ShowMessage(record.balloonTitle, record.balloonText, icon_->geometry(), record.balloonTimeoutMs);
    } else {
        icon_->showMessage(record.balloonTitle, record.balloonText, QSystemTrayIcon::NoIcon, record.balloonTimeoutMs);
    }
    balloonShown_.start();
    balloonTimeoutMs_ = record.balloonTimeoutMs;
}

void QtTrayShell::RemoveBalloon()
{
    if (balloon_)
        balloon_->Remove();
    else
        icon_->showMessage(QString(), QString(), QSystemTrayIcon::NoIcon, 0);
    balloonShown_.invalidate();
}

bool QtTrayShell::TrayReportsDoubleClick()
{
    if (!trayReportsDoubleClick_)
        trayReportsDoubleClick_ = !reportsDoubleClick_ || reportsDoubleClick_();
    return *trayReportsDoubleClick_;
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
    const unsigned mouse = TrayMouseMessageFor(reason, TrayReportsDoubleClick());
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
