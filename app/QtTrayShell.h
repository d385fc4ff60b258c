#pragma once
// The production tray shell: a QSystemTrayIcon. Add shows it, modify changes it, delete hides
// it; a balloon is QSystemTrayIcon::showMessage. Mouse events reach the record's window as the
// callback message with the matching mouse message. The context menu is the program's own
// (CTrayIcon::ShowMenu), so none is set on the icon.
//
// Notification areas of the StatusNotifierItem kind (KDE Plasma, GNOME with the AppIndicator
// extension) report a single activation and never a double click; there a single activation
// is reported as the double click, so that it restores the window.

#include "app/TrayShell.h"

#include <QElapsedTimer>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>
#include <optional>

namespace tembrel {

// The mouse message the icon reports for an activation; 0 for one it does not report.
// Without double clicks a single activation (Trigger) becomes the double click.
unsigned TrayMouseMessageFor(QSystemTrayIcon::ActivationReason reason, bool trayReportsDoubleClick = true);

// False where Qt shows the icon as a StatusNotifierItem: a host is registered with the
// StatusNotifierWatcher on the session bus (the test Qt itself makes when it creates the icon).
bool NotificationAreaReportsDoubleClick();

class QtTrayShell : public TrayShell {
public:
    // reportsDoubleClick is asked once, at the first activation.
    explicit QtTrayShell(std::function<bool()> reportsDoubleClick = NotificationAreaReportsDoubleClick);
    ~QtTrayShell() override;

    bool Notify(Operation operation, const TrayIconRecord& record) override;

    bool isIconVisible() const;
    QString toolTip() const;

private:
    bool Apply(const TrayIconRecord& record);
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<QSystemTrayIcon> icon_;
    std::function<bool()> reportsDoubleClick_;
    std::optional<bool> trayReportsDoubleClick_;
    TrayCallback window_;
    unsigned callbackMessage_ = 0;
    QElapsedTimer balloonShown_;  // valid while a balloon of ours may still be showing
    int balloonTimeoutMs_ = 0;
};

}  // namespace tembrel
