#pragma once
// The main window: a modeless property sheet with one page per function, OK, Cancel and the
// radio check box below the pages. It owns the adapter, the profile list, the connection
// snapshot and supervisor and the notification-area icon, and coordinates them with the pages
// (each built when first needed, see PageTabs); each page owns its own behaviour.

#include "adapter/Adapter.h"
#include "platform/gui/LibraryEventBridge.h"
#include "app/MonitorModeCheck.h"
#include "app/PageTabs.h"
#include "app/SheetContext.h"
#include "pages/CZarn9100Page.h"
#include "connection/AutoLinkDialog.h"
#include "connection/AutoLinkEvent.h"
#include "connection/ConnectionSnapshot.h"
#include "connection/LibraryEventHandler.h"
#include "connection/ProfileConnector.h"
#include "connection/SupervisorFlags.h"
#include "profiles/ProfileList.h"
#include "profiles/StoreResult.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QPushButton;

namespace tembrel {

class AutoLinkFlow;
class CAutoLinkDlg;
class CTrayIcon;
class CTrayMenu;
class ProfileStoreFile;
class SheetPageContext;
class StatusLine;
class StatusRefresher;
class Supervisor;

class CZarn9100Sheet : public QWidget, private AdapterHooks, private LibraryEventActions, private AutoLinkHost {
    Q_OBJECT
public:
    // Control and command ids of the window.
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdRadioCheck = 1252;
    // The line above the buttons that repeats the card's status text (code 1012) on pages
    // other than Network Status, which shows it itself (an id of this program's own).
    static constexpr int kIdStatusLine = 1253;
    static constexpr int kCmdRestore = 32778;
    static constexpr int kCmdToggleRadio = 32772;
    static constexpr int kCmdExit = 32781;
    static constexpr unsigned kTrayCallbackMessage = 0x8001;

    explicit CZarn9100Sheet(SheetContext context, QWidget* parent = nullptr);
    ~CZarn9100Sheet() override;

    // Dialog initialisation: controls, tray icon, library events, the adapter. Called once.
    void OnInitDialog();

    Adapter& adapter() { return *adapter_; }
    const Adapter& adapter() const { return *adapter_; }
    // The window's receiver of the library's events.
    const ZARN9100_EVENT_SINK* eventSink() const { return events_->sink(); }
    CTrayMenu& trayMenu() { return *trayMenu_; }

    // Writes the profile list to Data.cfg (at exit and at the end of the session).
    StoreResult SaveProfileStore();
    // Publishes one of the four notification-area states (0 unplugged, 1 connected, 2 no
    // connection, 3 scanning); from any thread, shown in the order of the calls.
    void SetTrayState(int state);
    int trayState() const { return trayState_; }
    // The icon is in the notification area (a desktop without one refuses it).
    bool trayIconShown() const;

    // Radio control.
    void UpdateRadioUi();
    void ToggleRadio();
    bool radioCheckEnabled() const;
    void OnHotKey();

    // Pages.
    void EnableAdapterPages(int usable);
    // Shows the monitor-mode or the normal page set (its documented name; pages are not rebuilt).
    void RebuildPages(bool monitor) { tabs_->showSet(monitor); }
    // The monitor-mode check: follows whether the system's wireless configuration controls the card.
    void CheckMonitorMode() { monitorCheck_->check(); }
    void reselectActivePage() override { tabs_->reselectActivePage(); }
    void selectFirstPage() override { tabs_->selectFirstPage(); }
    bool isMonitorMode() const { return monitorMode(); }
    PageTabs& pageTabs() { return *tabs_; }
    // What the pages see of this window (also for dialogs opened outside a page).
    PageContext& pageContext();
    // A page changed the profile list: every other page is told.
    void OnProfilesChanged(const QWidget* source) { tabs_->tellProfilesChanged(source); }

    // Window and menu commands.
    void OnCommand(int id);
    void Restore();
    // tellOnSaveFailure: the user chose Exit and is told when Data.cfg could not be written
    // (the previous file stays as it was); the session's end only reports it on stderr.
    void Exit(bool tellOnSaveFailure = false);
    // End of the user's log-on (desktop session end, SIGTERM, SIGINT, SIGHUP).
    void OnEndSession();
    // The session ends and the program with it: OnEndSession, then Exit without saving again.
    void EndSessionAndExit();
    // The notification-area icon's mouse events (callback message 0x8001).
    void OnTrayNotify(unsigned mouseMessage);

    // Device changes reported by the system or by the library's device-notify extension.
    void OnDeviceArrival(const QString& deviceName);
    void OnDeviceRemoveComplete(const QString& deviceName);

    // The library-event handler (codes 0..9 and the program's 1001..1012).
    void OnLibraryEvent(quintptr code, qintptr param, const QString& text);

    // Set by the application: what Exit releases besides the window's own resources.
    struct ExitHooks {
        std::function<void()> releaseDeviceNotifications;
        std::function<void()> releaseHotKey;
    };
    void setExitHooks(ExitHooks hooks) { exitHooks_ = std::move(hooks); }

signals:
    // Exit finished: the program may end.
    void exited();
    // The card's status text (a refused join says why) is now shown: on Network Status or the
    // status line, and as a balloon while the window is away. It stays until a link comes up
    // or the user acts.
    void statusTextShown(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // AdapterHooks and LibraryEventActions
    void refreshStatus(bool connected) override;
    void publishTrayState(int state) override { SetTrayState(state); }
    void adoptProfileInUse() override;
    void reapplyProfileInUse() override;
    bool snapshotConnected() const override;
    void storeChannelRange(uint32_t firstChannel, uint32_t lastChannel) override;
    int boostModeSetting() const override;
    bool monitorMode() const override { return monitorCheck_->monitor(); }
    bool windowVisible() const override { return isVisible(); }
    void setRadioCheckEnabled(bool enabled) override;
    void clearRadioCheck() override;
    void updateRadioUi() override { UpdateRadioUi(); }
    void disableAdapterPages() override { EnableAdapterPages(0); }
    void adapterOpened() override;
    void startSupervisor() override;
    void stopSupervisor(int waitMs) override;
    void closeAdapter() override { adapter_->CloseAdapter(); }
    void runAutoLink() override;

    // AutoLinkHost
    std::unique_ptr<AutoLinkDialog> createAutoLinkDialog() override;
    // Closes an open Auto Link dialog (the card went away, the program ends).
    void abandonAutoLinkDialog();
    void hideWindow() override { hide(); }
    void showWindow() override;

    // OK and Cancel: the window hides behind its notification-area icon, or is minimised.
    void putAway();
    void buildPages();
    void buildControls();
    void buildTray();
    void forwardToActivePage(quintptr code, qintptr param, const QString& text);
    Adapter::DeviceChangeHooks deviceChangeHooks();
    void monitorModeChanged(bool monitor);
    HistorySink& history() { return history_ ? *history_ : NoHistory(); }

    SheetContext context_;
    ProfileList profiles_;
    std::unique_ptr<ProfileStoreFile> store_;
    ConnectionSnapshotHolder snapshot_;
    SupervisorFlags flags_;
    AutoLinkEvent autoLinkEvent_;
    LibraryEventBridge* events_ = nullptr;  // owned by this widget
    std::unique_ptr<CTrayIcon> tray_;
    std::unique_ptr<CTrayMenu> trayMenu_;
    // The adapter and what works through it; the supervisor, declared last of them, goes first.
    std::unique_ptr<Adapter> adapter_;
    // Reads the adapter and snapshot on its own thread; told by everything after it.
    std::unique_ptr<HistorySink> history_;
    std::unique_ptr<StatusRefresher> refresher_;
    std::unique_ptr<ProfileConnector> connector_;
    std::unique_ptr<LibraryEventHandler> eventTable_;
    std::unique_ptr<AutoLinkFlow> autoLinkFlow_;
    std::unique_ptr<Supervisor> supervisor_;

    // What the pages see, then the pages, which use it (and the members above): they go first.
    std::unique_ptr<SheetPageContext> pageContext_;
    std::unique_ptr<PageTabs> tabs_;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;  // shown while no icon offers Exit
    QCheckBox* radioCheck_ = nullptr;
    std::unique_ptr<StatusLine> statusLine_;
    std::unique_ptr<MonitorModeCheck> monitorCheck_;
    QPointer<CAutoLinkDlg> autoLinkDialog_;  // while the Auto Link flow shows it
    ExitHooks exitHooks_;
    bool exiting_ = false;
    bool saveOnExit_ = true;
    bool saveFailureShown_ = false;  // Exit's "could not be saved" box is open
    int trayState_ = -1;
};

}  // namespace tembrel
