#include "pages/autolink/CAutoLinkDlg.h"

#include "pages/autolink/logic/AutoLinkCalls.h"
#include "pages/autolink/logic/AutoLinkRules.h"
#include "platform/Settings.h"
#include "platform/gui/DialogService.h"
#include "platform/gui/LibraryEventBridge.h"
#include "ui/CountdownBox.h"
#include "ui/QtDialogClock.h"
#include "ui/ControlId.h"
#include "ui/SecretEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <chrono>

namespace tembrel {

using namespace autolink;

namespace {

// The texts keep their Windows line breaks; a label shows a plain line break.
QString Shown(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).replace("\r\n", "\n"); }

}  // namespace

CAutoLinkDlg::CAutoLinkDlg(PageContext& context, AutoLinkDlgSetup setup, QWidget* parent)
    : QDialog(parent), context_(context), setup_(std::move(setup)) {
    if (!setup_.clock) setup_.clock = std::make_shared<ui::QtDialogClock>();
    events_ = new LibraryEventBridge(this);
    connect(events_, &LibraryEventBridge::libraryEvent, this,
            [this](quintptr code, qintptr param, const QString&) { OnLibraryEvent(code, param); });
    buildControls();
}

CAutoLinkDlg::~CAutoLinkDlg() {
    setBusy(false);
    if (open_) context_.library().Initialize(setup_.mainWindowSink);
}

void CAutoLinkDlg::buildControls() {
    setWindowTitle("Auto Link");
    setObjectName("autoLinkDialog");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* group = new QGroupBox("Connect to Access Point", this);
    accessPoints_ = new QComboBox(group);
    ui::SetControlId(*accessPoints_, kIdAccessPoints);
    accessPoints_->setAccessibleName("Access point");
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(accessPoints_);

    status_ = new QLabel(this);
    ui::SetControlId(*status_, kIdStatus);
    status_->setMinimumHeight(2 * status_->fontMetrics().lineSpacing());
    status_->setWordWrap(true);

    // Printable ASCII only: the PIN travels as bytes and becomes a WPA-PSK passphrase.
    auto* ascii = new QRegularExpressionValidator(QRegularExpression("[\\x20-\\x7E]*"), this);
    auto* pinLabel = new QLabel("Enter PIN:", this);
    pin_ = new QLineEdit(this);
    // The PIN becomes the network's passphrase: a screen reader gets it as a password (it stays
    // readable on screen).
    ui::exposeAsSecret(*pin_);
    ui::SetControlId(*pin_, kIdPin);
    pin_->setMaxLength(kPinMaxLength);
    pin_->setValidator(ascii);
    pinLabel->setBuddy(pin_);
    confirmLabel_ = new QLabel("Confirm:", this);
    ui::SetControlId(*confirmLabel_, kIdConfirmLabel);
    confirm_ = new QLineEdit(this);
    ui::exposeAsSecret(*confirm_);
    ui::SetControlId(*confirm_, kIdConfirm);
    confirm_->setMaxLength(kPinMaxLength);
    confirm_->setValidator(ascii);
    confirmLabel_->setBuddy(confirm_);

    doNotAsk_ = new QCheckBox("Please do not ask me again", this);
    ui::SetControlId(*doNotAsk_, kIdDoNotAsk);
    apply_ = ui::MakeButton("&Apply", this, kIdApply);
    apply_->setDefault(true);
    apply_->setAutoDefault(true);
    exit_ = ui::MakeButton("E&xit", this, kIdExit);
    exit_->setAutoDefault(false);

    auto* pins = new QGridLayout;
    pins->addWidget(pinLabel, 0, 0);
    pins->addWidget(pin_, 0, 1);
    pins->addWidget(confirmLabel_, 1, 0);
    pins->addWidget(confirm_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(apply_);
    buttons->addWidget(exit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(status_);
    layout->addLayout(pins);
    layout->addWidget(doNotAsk_);
    layout->addLayout(buttons);

    setTabOrder(accessPoints_, pin_);
    setTabOrder(pin_, confirm_);
    setTabOrder(confirm_, doNotAsk_);
    setTabOrder(doNotAsk_, apply_);
    setTabOrder(apply_, exit_);

    connect(accessPoints_, &QComboBox::currentIndexChanged, this, [this](int) { OnSelChange(); });
    connect(apply_, &QPushButton::clicked, this, [this] { OnApply(); });
    connect(exit_, &QPushButton::clicked, this, [this] { OnExit(); });
}

void CAutoLinkDlg::setCandidates(const std::vector<AutoLinkCandidate>& candidates) {
    const QSignalBlocker quiet(accessPoints_);
    accessPoints_->clear();
    for (const AutoLinkCandidate& c : candidates) {
        accessPoints_->addItem(QString::fromStdString(CandidateEntryText(c)), QVariant::fromValue(CandidateEntryValue(c)));
        accessPoints_->setItemData(accessPoints_->count() - 1, QByteArray::fromStdString(c.ssid), kSsidRole);
    }
}

int CAutoLinkDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CAutoLinkDlg::OnInitDialog() {
    open_ = true;
    context_.library().Initialize(events_->sink());
    if (accessPoints_->count() > 0) {
        const QSignalBlocker quiet(accessPoints_);
        accessPoints_->setCurrentIndex(0);
    }
    raise();
    activateWindow();
    OnSelChange();
}

void CAutoLinkDlg::OnSelChange() {
    const int index = accessPoints_->currentIndex() >= 0 ? accessPoints_->currentIndex() : 0;
    const uint32_t value = accessPoints_->itemData(index).toUInt();
    ssid_ = accessPoints_->itemData(index, kSsidRole).toByteArray().toStdString();
    apTag_ = EntryApTag(value);
    state_ = EntryState(value);
    pin_->setFocus();
    const bool unconfigured = state_ == kAutoLinkUnconfigured;
    confirmLabel_->setEnabled(unconfigured);
    confirm_->setEnabled(unconfigured);
    setStatus(unconfigured ? kTextNotConfigured : kTextConfigured);
}

void CAutoLinkDlg::OnApply() {
    if (!open_) return;
    setBusy(true);
    pending_ = false;
    exchanging_ = false;
    done_ = false;
    const std::string pin = pin_->text().toStdString();
    const auto refuse = [this](std::string_view text, bool clear) {
        if (clear) {
            pin_->clear();
            confirm_->clear();
        }
        setBusy(false);
        context_.dialogs().showMessage(this, Shown(text), MessageIcon::Exclamation);
    };
    if (state_ == kAutoLinkUnconfigured) {
        const std::string confirmation = confirm_->text().toStdString();
        switch (CheckPin(pin, confirmation)) {
            case PinProblem::kLength: refuse(kTextPinLength, true); break;
            case PinProblem::kMismatch: refuse(kTextPinMismatch, false); break;
            case PinProblem::kNone:
                appliedPin_ = pin;
                profile_ = OpenAssociationProfile(ssid_);
                // Waiting for the link only makes sense when the association was not refused.
                pending_ = associate();
                break;
        }
    } else if (state_ == kAutoLinkConfiguredByAutoLink) {
        if (CheckPin(pin, std::nullopt) != PinProblem::kNone) {
            refuse(kTextPinLength, true);
        } else {
            appliedPin_ = pin;
            profile_ = ConfiguredAccessPointProfile(ssid_, pin);
            if (associate()) {
                stopTimer();
                timer_ = setup_.clock->start(std::chrono::milliseconds(kAssociationLimitMs), [this] { OnTimer(); });
            }
            setBusy(false);
            return;
        }
    } else {
        setBusy(false);
    }
    if (open_) storeAutoLinkChoice();
}

bool CAutoLinkDlg::associate() {
    switch (AssociateWith(context_.library(), context_.handle(), profile_)) {
        case AssociateResult::kStarted: return true;
        case AssociateResult::kRefused:
            DisconnectCard(context_.library(), context_.handle());
            setStatus(kTextCannotAssociate);
            setBusy(false);
            return false;
        case AssociateResult::kNoCard: break;
    }
    setBusy(false);
    return false;
}

void CAutoLinkDlg::OnExit() {
    if (!open_) {
        QDialog::done(Rejected);
        return;
    }
    storeAutoLinkChoice();
    // An open association or exchange of this dialog's must not go on without it.
    if (pending_ || exchanging_) DisconnectCard(context_.library(), context_.handle());
    done(Rejected);
}

void CAutoLinkDlg::Abandon() { done(Rejected); }

void CAutoLinkDlg::storeAutoLinkChoice() {
    if (doNotAsk_->isChecked()) {
        context_.supervisorFlags().autoLink = 0;
        // Kept for the next start as well, as the Advanced page's option is.
        context_.settings().write(settings::kAutoLink, 0);
    } else {
        context_.supervisorFlags().autoLink = 1;
    }
}

void CAutoLinkDlg::done(int result) {
    if (open_) {
        open_ = false;
        stopTimer();
        pending_ = false;
        for (const auto& box : countdowns_)
            if (box) box->abandon();
        for (QEventLoop* loop : waits_) loop->quit();
        setBusy(false);
        context_.library().Initialize(setup_.mainWindowSink);
    }
    QDialog::done(result);
}

void CAutoLinkDlg::OnLibraryEvent(quintptr code, qintptr param) {
    // An event queued before the dialog closed, or one arriving after, is not the dialog's any more.
    if (!open_) return;
    switch (ActionFor(code)) {
        case EventAction::kIgnore: break;
        case EventAction::kLinkUp:
            if (pending_) {
                pending_ = false;
                setBusy(true);
                startExchange();
            }
            break;
        case EventAction::kAdapterGone:
            passOn(code, param);
            // After the main window has handled the event passed on (queued before this).
            QMetaObject::invokeMethod(this, [this] { done(Rejected); }, Qt::QueuedConnection);
            break;
        case EventAction::kDisconnected: setStatus(kTextDisconnect); break;
        case EventAction::kPassOn: passOn(code, param); break;
        case EventAction::kConfigured: done(Accepted); break;
        case EventAction::kExchangeStatus: setStatus(ExchangeStatusText(code)); break;
        case EventAction::kSucceeded: exchangeSucceeded(); break;
        case EventAction::kFailed: exchangeFailed(); break;
        case EventAction::kWrongPin:
            exchanging_ = false;
            DisconnectCard(context_.library(), context_.handle());
            setBusy(false);
            setStatus(kTextAssociationFailed);
            showBox(kTextAssociationFailed);
            break;
    }
}

void CAutoLinkDlg::startExchange() {
    if (!countdown(kTextPreparing, kPreparingSeconds)) return;
    const auto read = [this] {
        ReadCardIpSettings(context_.library(), context_.handle(), context_.ipHelper(), context_.osFamily(), ip_);
    };
    read();
    if (!ip_.dhcp && ip_.ipAddress == 0) {
        if (!countdown(kTextNoIpAddress, kNoIpAddressSeconds)) return;
        read();
    }
    exchanging_ = SendSetupRecords(context_.library(), context_.handle(), apTag_, appliedPin_, ip_);
}

void CAutoLinkDlg::exchangeSucceeded() {
    exchanging_ = false;
    DisconnectCard(context_.library(), context_.handle());
    if (!waitMs(kSettleAfterExchangeMs)) return;
    const auto ssid = QueryLearntSsid(context_.library(), context_.handle());
    if (!ssid) {
        setBusy(false);
        return;
    }
    PROFILE_RECORD prepared = ExchangeProfile(*ssid, appliedPin_);
    if (!countdown(kTextSucceeded, kSucceededSeconds)) return;
    profile_ = prepared;
    done_ = true;
    done(Rejected);
}

void CAutoLinkDlg::exchangeFailed() {
    exchanging_ = false;
    DisconnectCard(context_.library(), context_.handle());
    if (!waitMs(kSettleAfterExchangeMs)) return;
    setStatus(kTextFailed);
    if (!countdown(kTextFailed, kFailedSeconds)) return;
    done(Rejected);
}

void CAutoLinkDlg::OnTimer() {
    if (!open_) return;
    stopTimer();
    DisconnectCard(context_.library(), context_.handle());
    setBusy(false);
    setStatus(kTextAssociationFailed);
    showBox(kTextAssociationFailed);
}

void CAutoLinkDlg::stopTimer() {
    // Only stopped here: this may run inside the timer's own callback.
    if (timer_) timer_->stop();
}

void CAutoLinkDlg::passOn(quintptr code, qintptr param) {
    const ZARN9100_EVENT_SINK* sink = setup_.mainWindowSink;
    if (sink && sink->notify) sink->notify(sink->context, ZARN9100_EVENT_MESSAGE, code, param);
}

void CAutoLinkDlg::setStatus(std::string_view text) { status_->setText(Shown(text)); }

void CAutoLinkDlg::showBox(std::string_view text) {
    context_.dialogs().showMessage(this, Shown(text), MessageIcon::Exclamation, Shown(kBoxTitle));
}

void CAutoLinkDlg::setBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

bool CAutoLinkDlg::countdown(std::string_view text, int seconds) {
    if (!alive()) return false;
    auto box = std::make_unique<ui::CountdownBox>(Shown(text), seconds, *setup_.clock, this);
    countdowns_.push_back(box.get());
    box->run();
    countdowns_.pop_back();
    return alive();
}

bool CAutoLinkDlg::waitMs(int ms) {
    if (!alive()) return false;
    QEventLoop loop;
    waits_.push_back(&loop);
    auto timer = setup_.clock->start(std::chrono::milliseconds(ms), [&loop] { loop.quit(); });
    loop.exec();
    timer->stop();
    waits_.pop_back();
    return alive();
}

bool CAutoLinkDlg::alive() const { return open_ && context_.handle().held(); }

}  // namespace tembrel
