#include "CZarn9100Sheet.h"

#include "adapter/RegionTable.h"
#include "platform/Settings.h"

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

namespace tembrel {

namespace {

// Until the pages of the later features are built, the first page shows what the adapter
// layer knows: presence, MAC address and region.
class AdapterSummaryPage final : public CZarn9100Page {
public:
    explicit AdapterSummaryPage(CZarn9100Sheet& sheet) : CZarn9100Page(sheet, "Network Status", 102) {
        auto* layout = new QVBoxLayout(this);
        label_ = new QLabel(this);
        label_->setObjectName("adapterSummary");
        label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label_);
        layout->addStretch();
    }
    void setText(const QString& text) { label_->setText(text); }

private:
    QLabel* label_;
};

QString MacText(const std::array<uint8_t, 6>& mac) {
    return QString::asprintf("%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

}  // namespace

CZarn9100Sheet::CZarn9100Sheet(SheetContext context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(std::move(context)) {
    adapter_ = std::make_unique<Adapter>(context_.library, static_cast<AdapterHooks&>(*this));
    adapter_->setChannelRange(static_cast<uint32_t>(settings().read(settings::kFirstChan)),
                              static_cast<uint32_t>(settings().read(settings::kLastChan)));

    if (QFile::exists("Vindra.ico")) setWindowIcon(QIcon("Vindra.ico"));

    tabs_ = new QTabWidget(this);
    auto* summary = new AdapterSummaryPage(*this);
    pages_.push_back(summary);
    tabs_->addTab(summary, summary->caption());
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int) {
        if (auto* page = activePage()) page->OnSetActive();
    });

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
        for (auto* page : pages_) page->OnOK();
        hide();
    });
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        for (auto* page : pages_) page->OnCancel();
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
    refreshSummary();
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
    refreshSummary();
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
    for (auto* page : pages_) page->OnAdapterState(usable);
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

void CZarn9100Sheet::Exit() {
    if (exiting_) return;
    exiting_ = true;
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
    adapter_->OnEndSession([] {});
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
    refreshSummary();
}

void CZarn9100Sheet::OnDeviceRemoveComplete(const QString& deviceName) {
    NoDynamicRegistry registry;
    DeviceNotification n{DeviceType::DeviceInterface, deviceName.toStdString(), 0};
    adapter_->OnDeviceRemoveComplete(n, context_.osFamily, registry, {});
    refreshSummary();
}

void CZarn9100Sheet::OnDeviceNodesChanged() {
    adapter_->OnDeviceNodesChanged(context_.osFamily);
    refreshSummary();
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
    refreshSummary();
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

void CZarn9100Sheet::adoptProfileInUse() {}
void CZarn9100Sheet::reapplyProfileInUse() {}
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

// ---- status placeholder ----

QString CZarn9100Sheet::adapterSummary() const {
    if (!adapter_->handle().held()) return "Card Unplugged";
    const RegionInfo region = LookupRegion(adapter_->regionCode());
    QString text = QString("Card present\nMAC address: %1\nRegion: %2 (channels %3 to %4)\nRadio: %5")
                       .arg(MacText(adapter_->macAddress()))
                       .arg(QString::fromUtf8(region.name.data(), static_cast<qsizetype>(region.name.size())))
                       .arg(adapter_->firstChannel())
                       .arg(adapter_->lastChannel())
                       .arg(adapter_->radioState == kRadioOn ? "on" : "off");
    text += connected_ ? "\nConnected" : "\nNo Connection";
    return text;
}

void CZarn9100Sheet::refreshSummary() {
    if (auto* page = dynamic_cast<AdapterSummaryPage*>(pages_.empty() ? nullptr : pages_.front()))
        page->setText(adapterSummary());
}

}  // namespace tembrel
