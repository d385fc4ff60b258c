#include "CZarn9100Sheet.h"

#include "app/CTrayIcon.h"
#include "app/CTrayMenu.h"
#include "app/ProfileStoreFile.h"
#include "app/HistoryWiring.h"
#include "app/QueuedNotifications.h"
#include "app/QtTrayShell.h"
#include "app/SheetPageContext.h"
#include "app/StatusLine.h"
#include "app/TrayState.h"
#include "connection/AutoLinkFlow.h"
#include "connection/EventCodes.h"
#include "connection/StatusRefresher.h"
#include "connection/Supervisor.h"
#include "pages/autolink/AutoLinkDialogRunner.h"
#include "pages/monitoring/CMainPage.h"
#include "platform/Settings.h"
#include "platform/gui/DialogService.h"
#include "ui/Accessibility.h"
#include "ui/ControlId.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>

namespace tembrel {

CZarn9100Sheet::CZarn9100Sheet(SheetContext context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(std::move(context)) {
    ui::exposeAsWindow(*this);
    Settings& settings = context_.settings;
    flags_.autoConfiguration = settings.read(settings::kAutoConfiguration) != 0 ? 1 : 0;
    flags_.autoLink = settings.read(settings::kAutoLink) != 0 ? 1 : 0;

    monitorCheck_ =
        std::make_unique<MonitorModeCheck>(context_.library, [this](bool monitor) { monitorModeChanged(monitor); });
    events_ = new LibraryEventBridge(this);
    connect(events_, &LibraryEventBridge::libraryEvent, this, &CZarn9100Sheet::OnLibraryEvent);

    adapter_ = std::make_unique<Adapter>(context_.library, static_cast<AdapterHooks&>(*this),
                                         std::chrono::milliseconds(context_.closeWaitMs));
    adapter_->setChannelRange(static_cast<uint32_t>(settings.read(settings::kFirstChan)),
                              static_cast<uint32_t>(settings.read(settings::kLastChan)));
    if (context_.makeHistory)
        history_ = context_.makeHistory(MakeHistoryProbe(context_.library, adapter_->handle(), snapshot_));
    refresher_ = std::make_unique<StatusRefresher>(context_.library, adapter_->handle(), snapshot_,
                                                   [this](int state) { SetTrayState(state); });
    ConnectionContext connection{context_.library, adapter_->handle(), adapter_->radioState, profiles_, snapshot_,
                                 [this](bool connected) { refresher_->RefreshStatus(connected); }};
    connection.history = &history();
    connector_ = std::make_unique<ProfileConnector>(std::move(connection));
    eventTable_ = std::make_unique<LibraryEventHandler>(
        LibraryEventContext{context_.library, adapter_->handle(), adapter_->stopping.value(), adapter_->radioState, flags_,
                            autoLinkEvent_},
        static_cast<LibraryEventActions&>(*this));
    autoLinkFlow_ = std::make_unique<AutoLinkFlow>(
        AutoLinkFlowContext{context_.library, adapter_->handle(), profiles_, *refresher_, flags_, autoLinkEvent_,
                            events_->sink(),
                            [this](const ProfilePtr& profile) { connector_->SetProfileInUse(profile); }},
        static_cast<AutoLinkHost&>(*this));

    SupervisorNotifications notify = QueuedOn(
        *this, {[this](int state) { SetTrayState(state); },
                [this](uint32_t code, const QString& text) { forwardToActivePage(code, 0, text); },
                [this] { OnLibraryEvent(kEventRunAutoLink, 0, {}); },
                [this](const QString& text) { context_.dialogs.showMessage(this, text); }});
    SupervisorTiming timing;
    timing.period = std::chrono::milliseconds(context_.supervisorPeriodMs);
    timing.emptyWalkPause = std::chrono::milliseconds(context_.supervisorPauseMs);
    SupervisorContext supervision{
        context_.library, adapter_->handle(), adapter_->stopping.value(), adapter_->radioState, profiles_, snapshot_, flags_,
        autoLinkEvent_, [this](const ProfilePtr& profile) { return connector_->ConnectProfile(profile); },
        std::move(notify), std::move(timing)};
    supervision.history = &history();
    supervision.networksHeard = [this] { return ReadNetworksHeard(context_.library, adapter_->handle()); };
    supervisor_ = std::make_unique<Supervisor>(std::move(supervision));

    if (QFile::exists("Vindra.ico")) setWindowIcon(QIcon("Vindra.ico"));

    store_ = std::make_unique<ProfileStoreFile>(context_.profileStorePath, profiles_);

    buildPages();
    buildControls();
}

CZarn9100Sheet::~CZarn9100Sheet() {
    supervisor_->stop(std::chrono::milliseconds(3000));
    // A join running when Exit saved ends with the list changed (a profile inserted or moved):
    // that reaches the store too.
    if (exiting_ && store_->changedSinceSave()) SaveProfileStore();
    // Stop the library's events before the receiver goes away, also after Exit: the Auto Link
    // flow hands them back to the window when its dialog closes, which may be after Exit.
    ZARN9100_EVENT_SINK none{};
    context_.library.Initialize(&none);
}

void CZarn9100Sheet::buildPages() {
    pageContext_ = std::make_unique<SheetPageContext>(
        context_, SheetParts{*adapter_, profiles_, snapshot_, flags_, *connector_, *refresher_, *this,
                             [this] { return monitorCheck_->monitor(); },
                             [this](const QWidget* source) { OnProfilesChanged(source); }});
    tabs_ = std::make_unique<PageTabs>(*pageContext_, context_.settings, *this, std::move(context_.extraPages));
}

void CZarn9100Sheet::buildControls() {
    // As on a property sheet, OK and Cancel have no mnemonic: the pages' letters stay theirs.
    okButton_ = ui::MakeButton("OK", this, kIdOk);
    cancelButton_ = ui::MakeButton("Cancel", this, kIdCancel);
    cancelButton_->setDefault(true);
    radioCheck_ = new QCheckBox("Radio Off  ( Alt+F2 )", this);
    ui::SetControlId(*radioCheck_, kIdRadioCheck);
    // The program sets the box's state; a click only asks for the toggle.
    connect(radioCheck_, &QCheckBox::clicked, this, [this](bool) {
        radioCheck_->setChecked(!radioCheck_->isChecked());
        ToggleRadio();
    });
    // A page never built holds nothing to apply or to forget.
    connect(okButton_, &QPushButton::clicked, this, [this] {
        if (!tabs_->leaveActivePage()) return;
        for (auto* page : tabs_->builtPages()) page->OnOK();
        putAway();
    });
    // Exit where the window has no icon to offer it: Ctrl+Q always, a button while no icon is shown.
    exitButton_ = ui::MakeButton("Exit", this, kCmdExit);
    exitButton_->setToolTip("End the program (Ctrl+Q)");
    connect(exitButton_, &QPushButton::clicked, this, [this] { OnCommand(kCmdExit); });
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, this, [this] { OnCommand(kCmdExit); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        for (auto* page : tabs_->builtPages()) page->OnCancel();
        putAway();
    });

    statusLine_ = std::make_unique<StatusLine>(*this, kIdStatusLine, [this] { return tabs_->mainPageShown(); });
    connect(&tabs_->widget(), &QTabWidget::currentChanged, this, [this] { statusLine_->follow(); });

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(radioCheck_);
    bottom->addStretch();
    bottom->addWidget(exitButton_);
    bottom->addWidget(okButton_);
    bottom->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&tabs_->widget());
    layout->addWidget(&statusLine_->label());
    layout->addLayout(bottom);
}

void CZarn9100Sheet::buildTray() {
    std::unique_ptr<TrayShell> shell = std::move(context_.trayShell);
    if (!shell) shell = std::make_unique<QtTrayShell>();
    tray_ = std::make_unique<CTrayIcon>(std::move(shell));
    trayMenu_ = std::make_unique<CTrayMenu>(this);
    connect(trayMenu_.get(), &CTrayMenu::command, this, &CZarn9100Sheet::OnCommand);
    tray_->Create(
        [this](unsigned message, unsigned mouseMessage) {
            if (message == kTrayCallbackMessage) OnTrayNotify(mouseMessage);
        },
        kTrayCallbackMessage);
}

void CZarn9100Sheet::OnInitDialog() {
    history().programStarted();
    buildTray();
    context_.library.Initialize(events_->sink());
    EnableAdapterPages(0);
    adapter_->OpenAdapter();
    {
        auto lease = adapter_->handle().lease();
        if (lease) context_.library.SetGUIMonitorMode(lease.get(), 0);
    }
    // Only the system family that has a wireless configuration service is checked.
    if (context_.osFamily == 0) monitorCheck_->start();
    // Once the window is up: what a damaged store gave back and where the file as it was is kept.
    if (!store_->startNotice().empty())
        QTimer::singleShot(0, this, [this] {
            if (!exiting_) context_.dialogs.showMessage(this, QString::fromStdString(store_->startNotice()));
        });
}

// ---- notification-area icon ----

void CZarn9100Sheet::SetTrayState(int state) {
    // Always queued, also from this thread: the supervisor's states are queued too, and the icon
    // must show them in the order they were published.
    QMetaObject::invokeMethod(
        this,
        [this, state] {
            // Nothing is published before the window exists or after Exit removed the icon.
            if (!tray_ || exiting_ || state < 0 || state > 3) return;
            trayState_ = state;
            tembrel::SetTrayState(*tray_, state);
            exitButton_->setVisible(!trayIconShown());
        },
        Qt::QueuedConnection);
}

void CZarn9100Sheet::OnTrayNotify(unsigned mouseMessage) {
    if (mouseMessage == TrayMouse::kLeftDoubleClick)
        Restore();
    else if (mouseMessage == TrayMouse::kRightButtonUp)
        tray_->ShowMenu(trayMenu_->menu(), this);
}

void CZarn9100Sheet::OnCommand(int id) {
    switch (id) {
    case kCmdRestore:
        Restore();
        break;
    case kCmdToggleRadio:
        ToggleRadio();
        break;
    case kCmdExit:
        Exit(true);
        break;
    }
}

// ---- radio ----

void CZarn9100Sheet::UpdateRadioUi() {
    if (!adapter_->handle().held()) return;
    QString menuText;
    if (adapter_->radioState == ZARN9100_RADIO_OFF) {
        SetTrayState(kTrayNoConnection);
        radioCheck_->setChecked(true);
        menuText = "Turn Radio On";
        selectFirstPage();
        EnableAdapterPages(0);
    } else {
        bool connected;
        {
            auto lease = adapter_->handle().lease();
            connected = lease && context_.library.GetConnectStatus(lease.get()) != 0;
        }
        SetTrayState(connected ? kTrayConnected : kTrayNoConnection);
        adapter_->radioState = ZARN9100_RADIO_ON;
        radioCheck_->setChecked(false);
        menuText = "Turn Radio Off";
        EnableAdapterPages(1);
    }
    if (trayMenu_) trayMenu_->SetItemText(kCmdToggleRadio, menuText);
    tabs_->mainPage().RefreshLink();
}

void CZarn9100Sheet::ToggleRadio() {
    {
        auto lease = adapter_->handle().lease();
        if (!lease) return;
        const uint32_t next = adapter_->radioState == ZARN9100_RADIO_ON ? ZARN9100_RADIO_OFF : ZARN9100_RADIO_ON;
        adapter_->radioState = next;
        context_.library.SetRadioControl(lease.get(), next);
        history().radioSetByUser(next == ZARN9100_RADIO_ON);
    }
    UpdateRadioUi();
}

bool CZarn9100Sheet::radioCheckEnabled() const { return radioCheck_->isEnabled(); }

void CZarn9100Sheet::OnHotKey() {
    if (radioCheckEnabled()) ToggleRadio();
}

// ---- pages ----

void CZarn9100Sheet::EnableAdapterPages(int usable) {
    if (monitorCheck_->monitor()) return;
    if (!usable) {
        show();
        reselectActivePage();
        selectFirstPage();
    }
    tabs_->setAdapterUsable(usable);
}

PageContext& CZarn9100Sheet::pageContext() { return *pageContext_; }

void CZarn9100Sheet::monitorModeChanged(bool monitor) {
    flags_.monitorMode = monitor ? 1 : 0;
    {
        auto lease = adapter_->handle().lease();
        context_.library.SetGUIMonitorMode(lease.get(), monitor ? 1 : 0);
    }
    RebuildPages(monitor);
    radioCheck_->setEnabled(!monitor);
    // The card rule was not applied in monitor mode: the normal set starts from what is true now.
    if (!monitor)
        tabs_->setAdapterUsable(adapter_->handle().held() && adapter_->radioState == ZARN9100_RADIO_ON ? 1 : 0);
}

// ---- window commands ----

void CZarn9100Sheet::Restore() {
    if (flags_.autoLinkRunning) return;
    reselectActivePage();
    if (!adapter_->handle().held()) selectFirstPage();
    showWindow();
}

void CZarn9100Sheet::showWindow() {
    if (exiting_) return;  // Exit may run inside the Auto Link dialog's event loop
    showNormal();
    raise();
    activateWindow();
}

StoreResult CZarn9100Sheet::SaveProfileStore() { return store_->save(); }

void CZarn9100Sheet::Exit(bool tellOnSaveFailure) {
    if (exiting_) return;
    exiting_ = true;
    if (saveOnExit_ && !SaveProfileStore() && tellOnSaveFailure) {
        saveFailureShown_ = true;
        context_.dialogs.showMessage(this, QString::fromStdString(context_.profileStorePath) +
                                        "\nThe profiles could not be saved.");
        saveFailureShown_ = false;
    }
    if (exitHooks_.releaseDeviceNotifications) exitHooks_.releaseDeviceNotifications();
    // An open Auto Link dialog closes first and hands the library's events back.
    abandonAutoLinkDialog();
    supervisor_->stop(std::chrono::milliseconds(0));  // the stop event; CloseAdapter waits for it
    if (adapter_->handle().held()) {
        {
            auto lease = adapter_->handle().lease();
            if (lease) context_.library.SetBoostMode(lease.get(), 1);
        }
        adapter_->CloseAdapter();  // sets `stopping` first
    }
    if (tray_) tray_->SetIcon(0);
    if (exitHooks_.releaseHotKey) exitHooks_.releaseHotKey();
    ZARN9100_EVENT_SINK none{};
    context_.library.Initialize(&none);
    hide();
    history().programEnded();
    emit exited();
}

void CZarn9100Sheet::OnEndSession() {
    adapter_->OnEndSession([this] { supervisor_->stop(std::chrono::milliseconds(0)); });
    SaveProfileStore();
}

void CZarn9100Sheet::EndSessionAndExit() {
    // Exit is already under way but waits on its box: the session's end closes it as it closes
    // any other dialog, and Exit goes on from there.
    if (exiting_) {
        if (saveFailureShown_) emit exited();
        return;
    }
    OnEndSession();
    // A second save would find the first one's file; the one save keeps the store of the start.
    saveOnExit_ = false;
    Exit();
}

bool CZarn9100Sheet::trayIconShown() const { return tray_ && tray_->shownIcon() != 0; }

void CZarn9100Sheet::putAway() {
    // Hidden without an icon to restore it from, the program would run on unseen.
    if (trayIconShown())
        hide();
    else
        showMinimized();
}

void CZarn9100Sheet::closeEvent(QCloseEvent* event) {
    if (exiting_) {
        event->accept();
        return;
    }
    event->ignore();
    // Without an icon in the notification area a hidden window could not be brought back:
    // closing then ends the program as Exit does.
    if (trayIconShown())
        hide();
    else
        Exit();
}

void CZarn9100Sheet::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (tabs_ && !isMinimized()) tabs_->resumeActivePage();
}

void CZarn9100Sheet::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (tabs_) tabs_->resumeLater();
}

void CZarn9100Sheet::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Out of sight the page shown gets no events and a page left by OK runs nothing; back from
    // the task bar, or activated where nothing minimises it, the page shown runs again and
    // reads what changed meanwhile, whichever way the window came back.
    if (!tabs_) return;
    if (event->type() == QEvent::WindowStateChange && isMinimized()) tabs_->resumeLater();
    if ((event->type() == QEvent::WindowStateChange || event->type() == QEvent::ActivationChange) && isVisible() &&
        !isMinimized())
        tabs_->resumeActivePage();
    // Minimised, the window hides behind its icon; without one it stays in the task bar.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && trayIconShown()) {
        QTimer::singleShot(0, this, &QWidget::hide);
    }
}

// ---- device changes ----

Adapter::DeviceChangeHooks CZarn9100Sheet::deviceChangeHooks() {
    Adapter::DeviceChangeHooks hooks;
    hooks.afterArrivalOpened = [this] {
        if (context_.osFamily == 0) monitorCheck_->start();
    };
    hooks.beforeRemovalClose = [this] {
        monitorCheck_->stop();
        if (flags_.autoLinkRunning) autoLinkEvent_.Signal(flags_, kAutoLinkConnected);
        abandonAutoLinkDialog();
    };
    return hooks;
}

void CZarn9100Sheet::OnDeviceArrival(const QString& deviceName) {
    NoDynamicRegistry registry;
    adapter_->OnDeviceArrival({DeviceType::DeviceInterface, deviceName.toStdString(), 0}, context_.osFamily, registry,
                              deviceChangeHooks());
}

void CZarn9100Sheet::OnDeviceRemoveComplete(const QString& deviceName) {
    NoDynamicRegistry registry;
    adapter_->OnDeviceRemoveComplete({DeviceType::DeviceInterface, deviceName.toStdString(), 0}, context_.osFamily,
                                     registry, deviceChangeHooks());
}

// ---- library events ----

void CZarn9100Sheet::OnLibraryEvent(quintptr code, qintptr param, const QString& text) {
    if (eventTable_->Handle(code) == EventRoute::kForward) forwardToActivePage(code, param, text);
    history().libraryEvent(static_cast<uint32_t>(code), text.toStdString());
    if (code == ZARN9100_EVENT_STATUS_TEXT && !monitorCheck_->monitor() && !text.isEmpty()) {
        statusLine_->tell(text, (isHidden() || isMinimized()) && trayIconShown() ? tray_.get() : nullptr);
        emit statusTextShown(text);
    }
    if (code == ZARN9100_EVENT_LINK_UP || code == ZARN9100_EVENT_ADHOC_LINK_UP) statusLine_->linkUp();
}

void CZarn9100Sheet::forwardToActivePage(quintptr code, qintptr param, const QString& text) {
    CZarn9100Page* page = tabs_->activePage();
    if (ShouldForwardToPage(EventRoute::kForward, isMinimized(), page != nullptr)) page->OnLibraryEvent(code, param, text);
}

void CZarn9100Sheet::runAutoLink() { autoLinkFlow_->RunAutoLink(); }

std::unique_ptr<AutoLinkDialog> CZarn9100Sheet::createAutoLinkDialog() {
    auto runner = std::make_unique<AutoLinkDialogRunner>(pageContext(), AutoLinkDlgSetup{events_->sink(), context_.dialogClock},
                                                         this);
    autoLinkDialog_ = runner->window();
    return runner;
}

void CZarn9100Sheet::abandonAutoLinkDialog() {
    if (autoLinkDialog_) autoLinkDialog_->Abandon();
}

// ---- AdapterHooks ----

void CZarn9100Sheet::refreshStatus(bool connected) {
    refresher_->RefreshStatus(connected);
    // The card just went (its handle is released): Network Status drops the link it showed.
    if (!adapter_->handle().held() && tabs_) tabs_->mainPage().RefreshLink();
}

void CZarn9100Sheet::adoptProfileInUse() { connector_->SyncProfileInUse(); }

void CZarn9100Sheet::reapplyProfileInUse() {
    if (auto profile = connector_->profileInUse()) connector_->ConnectProfile(profile);
}

bool CZarn9100Sheet::snapshotConnected() const { return snapshot_.copy().connected != 0; }

void CZarn9100Sheet::storeChannelRange(uint32_t firstChannel, uint32_t lastChannel) {
    context_.settings.write(settings::kFirstChan, static_cast<int>(firstChannel));
    context_.settings.write(settings::kLastChan, static_cast<int>(lastChannel));
}

int CZarn9100Sheet::boostModeSetting() const { return context_.settings.read(settings::kBoostMode); }
void CZarn9100Sheet::setRadioCheckEnabled(bool enabled) { radioCheck_->setEnabled(enabled); }
void CZarn9100Sheet::clearRadioCheck() { radioCheck_->setChecked(false); }

void CZarn9100Sheet::adapterOpened() { OnLibraryEvent(kEventAdapterOpened, 0, {}); }

void CZarn9100Sheet::startSupervisor() { supervisor_->start(); }
void CZarn9100Sheet::stopSupervisor(int waitMs) { supervisor_->stop(std::chrono::milliseconds(waitMs)); }

}  // namespace tembrel
