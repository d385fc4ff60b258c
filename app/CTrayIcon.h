#pragma once
// The program's icon in the notification area: adds, changes and removes it, sets its tooltip
// and balloon, and shows its menu. It keeps one record for its whole life and hands it to the
// shell on every change. User-interface thread only.

#include "app/TrayShell.h"

#include <QString>

#include <memory>
#include <optional>

class QMenu;
class QWidget;

namespace tembrel {

class CTrayIcon {
public:
    static constexpr unsigned kIconId = 1;

    explicit CTrayIcon(std::unique_ptr<TrayShell> shell);
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;
    ~CTrayIcon();

    // Names the receiver of the icon's mouse events; called once when the main window is set up.
    void Create(TrayCallback window, unsigned callbackMessage);
    bool IsCreated() const { return created_; }

    // Shows the icon resource with the given texts. Without a tooltip the shell keeps the one it
    // shows; without a balloon (or with an empty one) a showing balloon is removed.
    // iconResourceId 0 removes the icon. Returns what the shell answered.
    bool SetIcon(int iconResourceId, const std::optional<QString>& tooltip = std::nullopt,
                 const std::optional<QString>& balloon = std::nullopt);

    // Opens the first submenu of trayMenu at the cursor with its first item as the default,
    // hiding owner (the main window) first.
    void ShowMenu(QMenu* trayMenu, QWidget* owner);

    // The icon resource currently shown, 0 when none.
    int shownIcon() const { return record_.iconResource; }
    const TrayIconRecord& record() const { return record_; }

private:
    std::unique_ptr<TrayShell> shell_;
    TrayIconRecord record_;
    bool created_ = false;
};

}  // namespace tembrel
