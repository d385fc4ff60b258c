#include "pages/settings/CTestPage.h"

#include "pages/settings/logic/TestThresholds.h"
#include "platform/gui/DialogService.h"
#include "ui/ControlId.h"

#include <QEvent>
#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace tembrel {

namespace {

QLineEdit* NumberEdit(QWidget* parent, int id, int digits, const QString& name) {
    auto* edit = new QLineEdit(parent);
    ui::SetControlId(*edit, id);
    edit->setMaxLength(digits);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    edit->setAccessibleName(name);
    edit->setMaximumWidth(60);
    return edit;
}

}  // namespace

CTestPage::CTestPage(PageContext& context, QWidget* parent)
    : CZarn9100Page(context, kCaption, kDialogId, parent), card_(context), environment_(context) {
    auto* layout = new QVBoxLayout(this);

    auto* range = new QGroupBox("Channel Range Change", this);
    auto* rangeLayout = new QGridLayout(range);
    auto* fromLabel = new QLabel("From:", range);
    auto* toLabel = new QLabel("To:", range);
    from_ = NumberEdit(range, kIdFrom, 2, "From");
    to_ = NumberEdit(range, kIdTo, 2, "To");
    fromLabel->setBuddy(from_);
    toLabel->setBuddy(to_);
    QPushButton* rangeGet = ui::MakeButton("Get", range, kIdRangeGet);
    QPushButton* rangeSet = ui::MakeButton("Set", range, kIdRangeSet);
    rangeLayout->addWidget(fromLabel, 0, 0);
    rangeLayout->addWidget(from_, 0, 1);
    rangeLayout->addWidget(toLabel, 0, 2);
    rangeLayout->addWidget(to_, 0, 3);
    rangeLayout->addWidget(rangeGet, 0, 4);
    rangeLayout->addWidget(rangeSet, 0, 5);
    rangeLayout->setColumnStretch(6, 1);
    layout->addWidget(range);

    const auto thresholdGroup = [&](const char* title, int editId, int getId, int setId, QLineEdit*& edit) {
        auto* box = new QGroupBox(QString::fromLatin1(title), this);
        auto* boxLayout = new QHBoxLayout(box);
        edit = NumberEdit(box, editId, 3, QString::fromLatin1(title));
        edit->installEventFilter(this);
        QPushButton* get = ui::MakeButton("Get", box, getId);
        QPushButton* set = ui::MakeButton("Set", box, setId);
        boxLayout->addWidget(edit);
        boxLayout->addWidget(get);
        boxLayout->addWidget(set);
        boxLayout->addStretch();
        layout->addWidget(box);
        return std::pair{get, set};
    };
    const auto [signalGet, signalSet] =
        thresholdGroup("Signal Threshold (10 - 200)", kIdSignal, kIdSignalGet, kIdSignalSet, signal_);
    const auto [txFailGet, txFailSet] =
        thresholdGroup("Tx Fail Threshold (0 - 100)", kIdTxFail, kIdTxFailGet, kIdTxFailSet, txFail_);

    auto* misc = new QGroupBox("Misc", this);
    auto* miscLayout = new QHBoxLayout(misc);
    QPushButton* radar = ui::MakeButton("Radar Detect", misc, kIdRadarDetect);
    miscLayout->addWidget(radar);
    miscLayout->addStretch();
    layout->addWidget(misc);
    layout->addStretch();

    connect(rangeGet, &QPushButton::clicked, this, &CTestPage::OnGetChannelRange);
    connect(rangeSet, &QPushButton::clicked, this, &CTestPage::OnSetChannelRange);
    connect(signalGet, &QPushButton::clicked, this, &CTestPage::OnGetSignalThreshold);
    connect(signalSet, &QPushButton::clicked, this, &CTestPage::OnSetSignalThreshold);
    connect(txFailGet, &QPushButton::clicked, this, &CTestPage::OnGetTxFailThreshold);
    connect(txFailSet, &QPushButton::clicked, this, &CTestPage::OnSetTxFailThreshold);
    connect(radar, &QPushButton::clicked, this, &CTestPage::OnRadarDetect);
}

void CTestPage::OnSetActive() {
    OnGetChannelRange();
    OnGetSignalThreshold();
    OnGetTxFailThreshold();
}

void CTestPage::OnGetChannelRange() {
    uint32_t word = 0;
    auto lease = card_.handle().lease();
    if (!lease || card_.library().QueryChannelRange(lease.get(), &word) != 0) return;
    const ChannelRange range = DecodeChannelRange(word);
    from_->setText(QString::number(range.first));
    to_->setText(QString::number(range.last));
}

void CTestPage::OnSetChannelRange() {
    if (!card_.handle().held()) return;
    const auto first = ParseChannelEdit(from_->text().toStdString());
    if (!first) return refuse(from_, kChannelEditMessage, false);
    const auto last = ParseChannelEdit(to_->text().toStdString());
    if (!last) return refuse(to_, kChannelEditMessage, false);
    if (auto lease = card_.handle().lease())
        card_.library().SetChannelRange(lease.get(), EncodeChannelRange({*first, *last}));
}

void CTestPage::OnGetSignalThreshold() {
    uint32_t value = 0;
    auto lease = card_.handle().lease();
    if (!lease || card_.library().QuerySignalThreshold(lease.get(), &value) != 0) return;
    signal_->setText(QString::number(value));
}

void CTestPage::OnSetSignalThreshold() {
    if (!card_.handle().held()) return;
    const auto value = ParseDecimalEdit(signal_->text().toStdString());
    if (!value || !SignalThresholdAllowed(*value)) return refuse(signal_, kSignalThresholdMessage, true);
    if (auto lease = card_.handle().lease()) card_.library().SetSignalThreshold(lease.get(), *value);
}

void CTestPage::OnGetTxFailThreshold() {
    uint32_t value = 0;
    auto lease = card_.handle().lease();
    if (!lease || card_.library().QueryTxFailThreshold(lease.get(), &value) != 0) return;
    txFail_->setText(QString::number(value));
}

void CTestPage::OnSetTxFailThreshold() {
    if (!card_.handle().held()) return;
    const auto value = ParseDecimalEdit(txFail_->text().toStdString());
    if (!value || !TxFailThresholdAllowed(*value)) return refuse(txFail_, kTxFailThresholdMessage, true);
    if (auto lease = card_.handle().lease()) card_.library().SetTxFailThreshold(lease.get(), *value);
}

void CTestPage::OnRadarDetect() {
    if (auto lease = card_.handle().lease()) card_.library().RadarDetected(lease.get());
}

void CTestPage::refuse(QLineEdit* edit, const char* message, bool clear) {
    environment_.dialogs().showMessage(environment_.dialogParent(), QString::fromLatin1(message), MessageIcon::Exclamation);
    if (clear) edit->clear();
    edit->setFocus();
}

bool CTestPage::eventFilter(QObject* watched, QEvent* event) {
    // A threshold edit left empty holds 0.
    if (event->type() == QEvent::FocusOut && (watched == signal_ || watched == txFail_)) {
        auto* edit = static_cast<QLineEdit*>(watched);
        if (edit->text().isEmpty()) edit->setText("0");
    }
    return CZarn9100Page::eventFilter(watched, event);
}

}  // namespace tembrel
