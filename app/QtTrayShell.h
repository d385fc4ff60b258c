#pragma once
// The production tray shell: a QSystemTrayIcon. Add shows it, modify changes it, delete hides
// it; a balloon is QSystemTrayIcon::showMessage. Mouse events reach the record's window as the
// callback message with the matching mouse message. The context menu is the program's own
// (CTrayIcon::ShowMenu), so none is set on the icon.

#include "app/TrayShell.h"

#include <QElapsedTimer>
#include <QSystemTrayIcon>

#include <memory>

namespace tembrel {

// The mouse message the icon reports for an activation; 0 for one it does not report.
unsigned TrayMouseMessageFor(QSystemTrayIcon::ActivationReason reason);

class QtTrayShell : public TrayShell {
public:
    QtTrayShell();
    ~QtTrayShell() override;

    bool Notify(Operation operation, const TrayIconRecord& record) override;

    bool isIconVisible() const;
    QString toolTip() const;

private:
    bool Apply(const TrayIconRecord& record);
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<QSystemTrayIcon> icon_;
    TrayCallback window_;
    unsigned callbackMessage_ = 0;
    QElapsedTimer balloonShown_;  // valid while a balloon of ours may still be showing
    int balloonTimeoutMs_ = 0;
};

}  // namespace tembrel
