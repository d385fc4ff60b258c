#include "CZarn9100Sheet.h"

#include "adapter/RegionTable.h"
#include "app/CReadmePage.h"
#include "app/SheetMainPageSource.h"
#include "pages/monitoring/CMainPage.h"
#include "platform/IpHelper.h"
#include "ui/DisablingTabWidget.h"
#include "pages/monitoring/CRssiStatistics.h"
#include "pages/monitoring/CStatistics.h"
#include "pages/profiles/CAdminTool.h"
#include "pages/profiles/CProfileManager.h"
#include "pages/settings/CAboutPage.h"
#include "pages/settings/CAdvancedPage.h"
#include "pages/settings/CDebugWin.h"
#include "pages/settings/CTestPage.h"
#include "pages/survey/CSiteSurvey.h"
#include "platform/Settings.h"
#include "platform/gui/DialogService.h"
#include "profiles/ProfileStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace tembrel {

CZarn9100Sheet::CZarn9100Sheet(SheetContext context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(std::move(context)) {
    adapter_ = std::make_unique<Adapter>(context_.library, static_cast<AdapterHooks&>(*this));
    adapter_->setChannelRange(static_cast<uint32_t>(settings().read(settings::kFirstChan)),
                              static_cast<uint32_t>(settings().read(settings::kLastChan)));
    connector_ = std::make_unique<ProfileConnector>(ConnectionContext{
        context_.library, adapter_->handle(), adapter_->radioState, profiles_, snapshot_,
        [this](bool connected) { refreshStatus(connected); }});

    if (QFile::exists("Vindra.ico")) setWindowIcon(QIcon("Vindra.ico"));

    tabs_ = new ui::DisablingTabWidget(this);
    tabs_->setObjectName("sheetTabs");
    ipHelper_.reset(context_.ipHelper);
    context_.ipHelper = nullptr;
    if (!ipHelper_) ipHelper_ = makeSystemIpHelper();
    mainPageSource_ = std::make_unique<SheetMainPageSource>(*this);
    mainPage_ = new CMainPage(*this, *mainPageSource_, *ipHelper_);
    statusPage_ = mainPage_;
    if (settings().read(settings::kStatistics) != 0)
        statisticsPage_ = new CRssiStatistics(*this);
    else
        statisticsPage_ = new CStatistics(*this);
    aboutPage_ = new CAboutPage(*this);
    normalPages_ = {statusPage_, new CProfileManager(*this), new CSiteSurvey(*this), statisticsPage_,
                    new CAdvancedPage(*this), new CAdminTool(*this)};
    if (settings().read(settings::kDebugWin) != 0) normalPages_.push_back(new CDebugWin(*this));
    if (settings().read(settings::kTestPage) != 0) normalPages_.push_back(new CTestPage(*this));
    normalPages_.push_back(aboutPage_);
    readmePage_ = new CReadmePage(*this);
    for (auto* page : normalPages_) page->setParent(this);
    readmePage_->setParent(this);
    RebuildPages(false);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int) {
        if (auto* page = activePage()) page->OnSetActive();
    });

    const StoreResult loaded = LoadProfiles(context_.profileStorePath, profiles_);
    if (!loaded && loaded.status != StoreStatus::NotFound)
        std::fprintf(stderr, "Tembrel: %s: %s\n", context_.profileStorePath.c_str(), loaded.reason.c_str());

    events_ = new LibraryEventBridge(this);
    connect(events_, &LibraryEventBridge::libraryEvent, this, &CZarn9100Sheet::OnLibraryEvent);
    buildControls();
}

CZarn9100Sheet::~CZarn9100Sheet() {
    // Stop the library's events before the receiver goes away.
    if (!exiting_) {
        ZARN9100_EVENT_SINK none{};
        context_.library.Initialize(&none);
    }
}

void CZarn9100Sheet::buildControls() {
    okButton_ = new QPushButton("&OK", this);
    okButton_->setProperty("controlId", kIdOk);
    cancelButton_ = new QPushButton("&Cancel", this);
    cancelButton_->setProperty("controlId", kIdCancel);
    cancelButton_->setDefault(true);
    radioCheck_ = new QCheckBox("Radio Off  ( Alt+F2 )", this);
    radioCheck_->setProperty("controlId", kIdRadioCheck);
    // The program sets the box's state; a click only asks for the toggle.
    connect(radioCheck_, &QCheckBox::clicked, this, [this](bool) {
        radioCheck_->setChecked(!radioCheck_->isChecked());
        ToggleRadio();
    });
    connect(okButton_, &QPushButton::clicked, this, [this] {
        if (auto* page = activePage(); page && !page->OnKillActive()) return;
        for (auto* page : pages()) page->OnOK();
        hide();
    });
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        for (auto* page : pages()) page->OnCancel();
        hide();
    });

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(radioCheck_);
    bottom->addStretch();
    bottom->addWidget(okButton_);
    bottom->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(bottom);
}

void CZarn9100Sheet::OnInitDialog() {
    context_.library.Initialize(events_->sink());
    EnableAdapterPages(0);
    adapter_->OpenAdapter();
    {
        auto lease = adapter_->handle().lease();
        if (lease) context_.library.SetGUIMonitorMode(lease.get(), 0);
    }
    if (context_.osFamily == 0) {
        monitorTimer_ = new QTimer(this);
        connect(monitorTimer_, &QTimer::timeout, this, &CZarn9100Sheet::CheckMonitorMode);
        monitorTimer_->start(kMonitorTimerMs);
        CheckMonitorMode();
    }
}

// ---- radio ----

void CZarn9100Sheet::UpdateRadioUi() {
    if (!adapter_->handle().held()) return;
    if (adapter_->radioState == kRadioOff) {
        publishTrayState(2);
        radioCheck_->setChecked(true);
        selectFirstPage();
        EnableAdapterPages(0);
    } else {
        bool connected;
        {
            auto lease = adapter_->handle().lease();
            connected = lease && context_.library.GetConnectStatus(lease.get()) != 0;
        }
        publishTrayState(connected ? 1 : 2);
        adapter_->radioState = kRadioOn;
        radioCheck_->setChecked(false);
        EnableAdapterPages(1);
    }
    mainPage_->RefreshLink();
}

void CZarn9100Sheet::ToggleRadio() {
    {
        auto lease = adapter_->handle().lease();
        if (!lease) return;
        const uint32_t next = adapter_->radioState == kRadioOn ? kRadioOff : kRadioOn;
        adapter_->radioState = next;
        context_.library.SetRadioControl(lease.get(), next);
    }
    UpdateRadioUi();
}

bool CZarn9100Sheet::radioCheckEnabled() const { return radioCheck_->isEnabled(); }

void CZarn9100Sheet::OnHotKey() {
    if (radioCheckEnabled()) ToggleRadio();
}

// ---- pages ----

void CZarn9100Sheet::EnableAdapterPages(int usable) {
    if (monitorMode_) return;
    if (!usable) {
        show();
        reselectActivePage();
        selectFirstPage();
    }
    for (auto* page : pages()) page->OnAdapterState(usable);
    // Site Survey, Statistics and Advanced need a working card.
    for (int index : {2, 3, 4})
        if (index < tabs_->count()) tabs_->setPageEnabled(index, usable != 0);
}

QTabWidget* CZarn9100Sheet::tabWidget() const { return tabs_; }

uint32_t CZarn9100Sheet::EncryptionStatus() {
    ConnectionSnapshot s = snapshot_.copy();
    if (s.encryptionStatus == 2 || s.encryptionStatus == 5 || s.encryptionStatus == 7) {
        auto lease = adapter_->handle().lease();
        uint32_t status = s.encryptionStatus;
        if (lease && context_.library.QueryWepStatus(lease.get(), &status) == 0) {
            s.encryptionStatus = status;
            snapshot_.write(s);
        }
    }
    return s.encryptionStatus;
}

void CZarn9100Sheet::RebuildPages(bool monitor) {
    while (tabs_->count() > 0) {
        QWidget* page = tabs_->widget(0);
        tabs_->removeTab(0);
        page->hide();
    }
    const std::vector<CZarn9100Page*> set =
        monitor ? std::vector<CZarn9100Page*>{statusPage_, statisticsPage_, aboutPage_, readmePage_} : normalPages_;
    for (auto* page : set) tabs_->addTab(page, page->caption());
    selectFirstPage();
}

void CZarn9100Sheet::CheckMonitorMode() {
    int active = 0;
    if (context_.library.QueryWZCStatusCheck(&active) == 1) return;
    const bool monitor = active != 0;
    if (monitor == monitorMode_) return;
    monitorMode_ = monitor;
    {
        auto lease = adapter_->handle().lease();
        context_.library.SetGUIMonitorMode(lease.get(), monitor ? 1 : 0);
    }
    RebuildPages(monitor);
    radioCheck_->setEnabled(!monitor);
}

std::vector<CZarn9100Page*> CZarn9100Sheet::pages() const {
    std::vector<CZarn9100Page*> out;
    for (int i = 0; i < tabs_->count(); ++i)
        if (auto* page = dynamic_cast<CZarn9100Page*>(tabs_->widget(i))) out.push_back(page);
    return out;
}

bool CZarn9100Sheet::selectPage(CZarn9100Page* page) {
    const int index = tabs_->indexOf(page);
    return index >= 0 && tabs_->selectPage(index);
}

CZarn9100Page* CZarn9100Sheet::activePage() const {
    return dynamic_cast<CZarn9100Page*>(tabs_->currentWidget());
}

void CZarn9100Sheet::reselectActivePage() {
    if (auto* page = activePage()) page->OnSetActive();
}

void CZarn9100Sheet::selectFirstPage() {
    if (tabs_->count() > 0) tabs_->setCurrentIndex(0);
}

// ---- window commands ----

void CZarn9100Sheet::Restore() {
    reselectActivePage();
    if (!adapter_->handle().held()) selectFirstPage();
    showNormal();
    raise();
    activateWindow();
}

StoreResult CZarn9100Sheet::SaveProfileStore() {
    StoreResult saved = SaveProfiles(context_.profileStorePath, profiles_);
    if (!saved) std::fprintf(stderr, "Tembrel: cannot save %s: %s\n", context_.profileStorePath.c_str(), saved.reason.c_str());
    return saved;
}

void CZarn9100Sheet::Exit() {
    if (exiting_) return;
    exiting_ = true;
    SaveProfileStore();
    if (exitHooks_.releaseDeviceNotifications) exitHooks_.releaseDeviceNotifications();
    stopSupervisor(0);
    if (adapter_->handle().held()) {
        {
            auto lease = adapter_->handle().lease();
            if (lease) context_.library.SetBoostMode(lease.get(), 1);
        }
        adapter_->stopping = 1;
        adapter_->CloseAdapter();
    }
    if (exitHooks_.releaseHotKey) exitHooks_.releaseHotKey();
    ZARN9100_EVENT_SINK none{};
    context_.library.Initialize(&none);
    hide();
    emit exited();
}

void CZarn9100Sheet::OnEndSession() {
    adapter_->OnEndSession([this] { stopSupervisor(0); });
    SaveProfileStore();
}

void CZarn9100Sheet::closeEvent(QCloseEvent* event) {
    if (exiting_) {
        event->accept();
        return;
    }
    event->ignore();
    hide();
}

void CZarn9100Sheet::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        QTimer::singleShot(0, this, &QWidget::hide);
    }
}

// ---- device changes ----

void CZarn9100Sheet::OnDeviceArrival(const QString& deviceName) {
    NoDynamicRegistry registry;
    DeviceNotification n{DeviceType::DeviceInterface, deviceName.toStdString(), 0};
    adapter_->OnDeviceArrival(n, context_.osFamily, registry, {});
}

void CZarn9100Sheet::OnDeviceRemoveComplete(const QString& deviceName) {
    NoDynamicRegistry registry;
    DeviceNotification n{DeviceType::DeviceInterface, deviceName.toStdString(), 0};
    adapter_->OnDeviceRemoveComplete(n, context_.osFamily, registry, {});
}

void CZarn9100Sheet::OnDeviceNodesChanged() {
    adapter_->OnDeviceNodesChanged(context_.osFamily);
}

// ---- library events ----

void CZarn9100Sheet::OnLibraryEvent(quintptr code, qintptr param, const QString& text) {
    switch (code) {
    case 0:
    case 4: {
        bool connected = true;
        {
            auto lease = adapter_->handle().lease();
            if (lease) connected = context_.library.GetConnectStatus(lease.get()) != 0;
        }
        if (!connected) refreshStatus(false);
        break;
    }
    case 1:
    case 3:
        refreshStatus(true);
        break;
    case 2:
        adapter_->CloseAdapter();
        break;
    case 8:
        radioCheck_->setEnabled(true);
        adapter_->radioState = kRadioOn;
        UpdateRadioUi();
        break;
    case 9:
        radioCheck_->setEnabled(false);
        adapter_->radioState = kRadioOff;
        UpdateRadioUi();
        break;
    case 1002:
        reselectActivePage();
        return;
    default:
        break;
    }
    forwardToActivePage(code, param, text);
}

void CZarn9100Sheet::forwardToActivePage(quintptr code, qintptr param, const QString& text) {
    if (isMinimized()) return;
    if (auto* page = activePage()) page->OnLibraryEvent(code, param, text);
}

// ---- AdapterHooks ----

void CZarn9100Sheet::refreshStatus(bool connected) {
    connected_ = connected && adapter_->handle().held();
    publishTrayState(!adapter_->handle().held() ? 0 : connected_ ? 1 : 2);
}

void CZarn9100Sheet::publishTrayState(int state) {
    if (state < 0 || state > 3) return;
    trayState_ = state;
}

void CZarn9100Sheet::adoptProfileInUse() { connector_->SyncProfileInUse(); }

void CZarn9100Sheet::reapplyProfileInUse() {
    if (auto profile = connector_->profileInUse()) connector_->ConnectProfile(profile);
}
bool CZarn9100Sheet::snapshotConnected() const { return connected_; }

void CZarn9100Sheet::storeChannelRange(uint32_t firstChannel, uint32_t lastChannel) {
    settings().write(settings::kFirstChan, static_cast<int>(firstChannel));
    settings().write(settings::kLastChan, static_cast<int>(lastChannel));
}

int CZarn9100Sheet::boostModeSetting() const { return context_.settings.read(settings::kBoostMode); }
bool CZarn9100Sheet::monitorMode() const { return monitorMode_; }
bool CZarn9100Sheet::windowVisible() const { return isVisible(); }
void CZarn9100Sheet::setRadioCheckEnabled(bool enabled) { radioCheck_->setEnabled(enabled); }
void CZarn9100Sheet::clearRadioCheck() { radioCheck_->setChecked(false); }

void CZarn9100Sheet::adapterOpened() { OnLibraryEvent(1001, 0, {}); }

void CZarn9100Sheet::startSupervisor() {}
void CZarn9100Sheet::stopSupervisor(int) {}

}  // namespace tembrel
