#include "app/CTrayIcon.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace tembrel {

CTrayIcon::CTrayIcon(std::unique_ptr<TrayShell> shell)
    : shell_(std::move(shell))
{
    record_.iconId = kIconId;
}

CTrayIcon::~CTrayIcon() = default;

void CTrayIcon::Create(TrayCallback window, unsigned callbackMessage)
{
    record_.window = std::move(window);
    record_.callbackMessage = callbackMessage;
    created_ = true;
}

bool CTrayIcon::SetIcon(int iconResourceId, const std::optional<QString>& tooltip,
                        const std::optional<QString>& balloon)
{
    record_.flags = 0;
    TrayShell::Operation operation;
    if (iconResourceId != 0) {
        const bool wasShown = record_.iconResource != 0;
        record_.iconResource = iconResourceId;
        record_.flags |= TrayIconRecord::kIcon;
        operation = wasShown ? TrayShell::Operation::Modify : TrayShell::Operation::Add;
    } else {
        if (record_.iconResource == 0)
            return true;
        operation = TrayShell::Operation::Delete;
    }

    if (tooltip) {
        record_.tooltip = tooltip->left(TrayIconRecord::kTooltipCapacity - 1);
        if (!record_.tooltip.isEmpty())
            record_.flags |= TrayIconRecord::kTip;
    }

    record_.balloonText = balloon ? balloon->left(TrayIconRecord::kBalloonCapacity - 1) : QString();
    record_.balloonTitle.clear();
    record_.balloonTimeoutMs = TrayIconRecord::kBalloonTimeoutMs;
    record_.flags |= TrayIconRecord::kInfo;

    if (record_.window && record_.callbackMessage != 0)
        record_.flags |= TrayIconRecord::kMessage;

    const bool ok = shell_ && shell_->Notify(operation, record_);
    // Forgetting the icon makes the next change add it afresh (after a shell restart, say).
    if (operation == TrayShell::Operation::Delete || !ok)
        record_.iconResource = 0;
    return ok;
}

void CTrayIcon::ShowMenu(QMenu* trayMenu, QWidget* owner)
{
    if (!trayMenu || trayMenu->actions().isEmpty())
        return;
    QMenu* popup = trayMenu->actions().constFirst()->menu();
    if (!popup || popup->actions().isEmpty())
        return;
    popup->setDefaultAction(popup->actions().constFirst());
    if (owner)
        owner->hide();
    // A Qt popup closes by itself when the user clicks elsewhere, so the owner need not be
    // brought to the foreground first.
    popup->popup(QCursor::pos());
}

}  // namespace tembrel
