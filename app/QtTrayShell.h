#pragma once
// The production tray shell: a QSystemTrayIcon. Add shows it, modify changes it, delete hides
// it; a balloon is QSystemTrayIcon::showMessage. Mouse events reach the record's window as the
// callback message with the matching mouse message. The context menu is the program's own
// (CTrayIcon::ShowMenu), so none is set on the icon.
//
// Notification areas of the StatusNotifierItem kind (KDE Plasma, GNOME with the AppIndicator
// extension) report a single activation and never a double click; there a single activation
// is reported as the double click, so that it restores the window.
//
// The icon is drawn once per resource and handed to Qt only when it differs from the one shown,
// the tooltip likewise: the supervisor republishes its state every few seconds, and each hand-over
// makes Qt redraw the icon and send it to the notification area again. Where Qt has no
// StatusNotifierItem host, it would show each balloon as a new window of its own; TrayBalloon,
// built once, shows them there instead.

#include "app/TrayShell.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QSystemTrayIcon>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace tembrel {

// The mouse message the icon reports for an activation; 0 for one it does not report.
// Without double clicks a single activation (Trigger) becomes the double click.
unsigned TrayMouseMessageFor(QSystemTrayIcon::ActivationReason reason, bool trayReportsDoubleClick = true);

// False where Qt shows the icon as a StatusNotifierItem: a host is registered with the
// StatusNotifierWatcher on the session bus (the test Qt itself makes when it creates the icon).
bool NotificationAreaReportsDoubleClick();

// What the icon shows already, to hand Qt only what a record changes.
class TrayShown {
public:
    struct Changes {
        bool icon = false;
        bool tooltip = false;
    };
    // Which of the record's icon and tooltip differ from what is shown; they count as shown
    // from then on.
    Changes Apply(const TrayIconRecord& record);
    // The icon was hidden or could not be set: the next record sets everything again.
    void Forget();

private:
    int icon_ = 0;
    std::optional<QString> tooltip_;
};

class TrayBalloon;

class QtTrayShell : public TrayShell {
public:
    // reportsDoubleClick is asked once, at the first activation or balloon.
    explicit QtTrayShell(std::function<bool()> reportsDoubleClick = NotificationAreaReportsDoubleClick);
    ~QtTrayShell() override;

    bool Notify(Operation operation, const TrayIconRecord& record) override;

    bool isIconVisible() const;
    QString toolTip() const;

private:
    bool Apply(const TrayIconRecord& record);
    void ShowBalloon(const TrayIconRecord& record);
    void RemoveBalloon();
    bool TrayReportsDoubleClick();
    const QIcon& IconFor(int resource);
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<TrayBalloon> balloon_;  // built at the first balloon Qt would draw itself
    std::map<int, QIcon> icons_;            // drawn once per resource
    TrayShown shown_;
    std::function<bool()> reportsDoubleClick_;
    std::optional<bool> trayReportsDoubleClick_;
    TrayCallback window_;
    unsigned callbackMessage_ = 0;
    QElapsedTimer balloonShown_;  // valid while a balloon of ours may still be showing
    int balloonTimeoutMs_ = 0;
};

}  // namespace tembrel
