#include "pages/survey/CAdvancedFilterDlg.h"

#include "platform/gui/DialogService.h"
#include "ui/ControlId.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace tembrel {

CAdvancedFilterDlg::CAdvancedFilterDlg(SurveyFilter& filter, DialogService& dialogs, QWidget* parent)
    : QDialog(parent), filter_(filter), dialogs_(dialogs) {
    setWindowTitle("Advanced Filter");
    ui::SetControlId(*this, kDialogId);
    const survey::FilterForm form = survey::FormFromFilter(filter);

    auto* ssidGroup = new QGroupBox("SSID", this);
    anySsid_ = ui::WithId(new QRadioButton("Any SSID", ssidGroup), kIdAnySsid);
    findSsid_ = ui::WithId(new QRadioButton("Find network with this SSID:", ssidGroup), kIdFindSsid);
    ssid_ = ui::WithId(new QLineEdit(QString::fromStdString(form.ssid), ssidGroup), kIdSsid);
    ssid_->setMaxLength(static_cast<int>(survey::kFilterSsidMaxBytes));
    ssid_->setAccessibleName("SSID");
    auto* ssidLayout = new QGridLayout(ssidGroup);
    ssidLayout->addWidget(anySsid_, 0, 0, 1, 2);
    ssidLayout->addWidget(findSsid_, 1, 0);
    ssidLayout->addWidget(ssid_, 1, 1);
    auto* ssidChoice = new QButtonGroup(this);
    ssidChoice->addButton(anySsid_);
    ssidChoice->addButton(findSsid_);

    auto* bssidGroup = new QGroupBox("BSSID", this);
    anyBssid_ = ui::WithId(new QRadioButton("Any BSSID", bssidGroup), kIdAnyBssid);
    findBssid_ = ui::WithId(new QRadioButton("Find network with this BSSID:", bssidGroup), kIdFindBssid);
    auto* bssidLayout = new QGridLayout(bssidGroup);
    bssidLayout->addWidget(anyBssid_, 0, 0, 1, 2);
    bssidLayout->addWidget(findBssid_, 1, 0);
    auto* bytes = new QHBoxLayout;
    const auto* hex = new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f]{0,2}"), this);
    for (int i = 0; i < 6; ++i) {
        auto* edit = ui::WithId(new QLineEdit(QString::fromStdString(form.bssid[static_cast<size_t>(i)]), bssidGroup),
                                kIdBssidFirst + i);
        edit->setMaxLength(2);
        edit->setValidator(hex);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("WWW") + 8);
        edit->setAccessibleName(QString("BSSID byte %1").arg(i + 1));
        // Any change, also one made by assistive technology; cleaning again changes nothing.
        connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
            const QString clean = QString::fromStdString(survey::CleanBssidText(text.toStdString()));
            if (clean != text) edit->setText(clean);
        });
        bssid_[static_cast<size_t>(i)] = edit;
        bytes->addWidget(edit);
        if (i < 5) bytes->addWidget(new QLabel("-", bssidGroup));
    }
    bytes->addStretch();
    bssidLayout->addLayout(bytes, 1, 1);
    auto* bssidChoice = new QButtonGroup(this);
    bssidChoice->addButton(anyBssid_);
    bssidChoice->addButton(findBssid_);

    auto* channelGroup = new QGroupBox("Channels", this);
    allChannels_ = ui::WithId(new QRadioButton("Scan all channels", channelGroup), kIdAllChannels);
    singleChannel_ = ui::WithId(new QRadioButton("Scan channel", channelGroup), kIdSingleChannel);
    channelRange_ = ui::WithId(new QRadioButton("Scan channel", channelGroup), kIdChannelRange);
    // Both captions read "Scan channel"; the sentence each begins tells them apart.
    singleChannel_->setAccessibleName("Scan channel, one channel only");
    channelRange_->setAccessibleName("Scan channel, a range of channels");
    single_ = ui::WithId(new QComboBox(channelGroup), kIdSingle);
    single_->setAccessibleName("Single channel");
    rangeStart_ = ui::WithId(new QComboBox(channelGroup), kIdRangeStart);
    rangeStart_->setAccessibleName("First channel");
    rangeEnd_ = ui::WithId(new QComboBox(channelGroup), kIdRangeEnd);
    rangeEnd_->setAccessibleName("Last channel");
    auto* channelLayout = new QGridLayout(channelGroup);
    channelLayout->addWidget(allChannels_, 0, 0, 1, 4);
    channelLayout->addWidget(singleChannel_, 1, 0);
    channelLayout->addWidget(single_, 1, 1);
    channelLayout->addWidget(new QLabel("only", channelGroup), 1, 2);
    channelLayout->addWidget(channelRange_, 2, 0);
    channelLayout->addWidget(rangeStart_, 2, 1);
    channelLayout->addWidget(new QLabel("to channel ", channelGroup), 2, 2);
    channelLayout->addWidget(rangeEnd_, 2, 3);
    auto* channelChoice = new QButtonGroup(this);
    for (auto* radio : {allChannels_, singleChannel_, channelRange_}) channelChoice->addButton(radio);

    fillCombo(single_, survey::RangeEndChoices(survey::kFirstFilterChannel), form.single);
    // Without a range the start box offers every channel and the end box falls back to its first.
    const bool hasRange = form.mode == survey::ChannelMode::Range;
    fillCombo(rangeStart_, survey::RangeStartChoices(hasRange ? form.rangeEnd : survey::kLastFilterChannel),
              form.rangeStart);
    fillCombo(rangeEnd_, survey::RangeEndChoices(form.rangeStart), form.rangeEnd);
    connect(rangeStart_, &QComboBox::activated, this, [this] {
        const uint32_t end = rangeEnd_->currentData().toUInt();
        fillCombo(rangeEnd_, survey::RangeEndChoices(rangeStart_->currentData().toUInt()), end);
    });
    connect(rangeEnd_, &QComboBox::activated, this, [this] {
        const uint32_t start = rangeStart_->currentData().toUInt();
        fillCombo(rangeStart_, survey::RangeStartChoices(rangeEnd_->currentData().toUInt()), start);
    });

    (form.anySsid ? anySsid_ : findSsid_)->setChecked(true);
    (form.anyBssid ? anyBssid_ : findBssid_)->setChecked(true);
    (form.mode == survey::ChannelMode::All      ? allChannels_
     : form.mode == survey::ChannelMode::Single ? singleChannel_
                                                : channelRange_)
        ->setChecked(true);
    applyBssidRule();
    applyChannelRule();
    connect(anySsid_, &QRadioButton::clicked, this, &CAdvancedFilterDlg::applySsidRule);
    connect(findSsid_, &QRadioButton::clicked, this, &CAdvancedFilterDlg::applySsidRule);
    connect(anyBssid_, &QRadioButton::clicked, this, &CAdvancedFilterDlg::applyBssidRule);
    connect(findBssid_, &QRadioButton::clicked, this, &CAdvancedFilterDlg::applyBssidRule);
    for (auto* radio : {allChannels_, singleChannel_, channelRange_})
        connect(radio, &QRadioButton::clicked, this, &CAdvancedFilterDlg::applyChannelRule);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
    ui::SetControlId(*ok, 1);
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
    ui::SetControlId(*cancel, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ssidGroup);
    layout->addWidget(bssidGroup);
    layout->addWidget(channelGroup);
    layout->addWidget(buttons);
}

void CAdvancedFilterDlg::fillCombo(QComboBox* box, const std::vector<uint32_t>& channels, uint32_t selected) {
    box->clear();
    for (uint32_t channel : channels) box->addItem(QString::number(channel), channel);
    const int index = box->findData(selected);
    box->setCurrentIndex(index >= 0 ? index : 0);
}

void CAdvancedFilterDlg::applyBssidRule() {
    const bool specific = findBssid_->isChecked();
    for (auto* edit : bssid_) edit->setEnabled(specific);
    if (specific) {
        anySsid_->setChecked(true);
        ssid_->setEnabled(false);
    } else {
        ssid_->setEnabled(findSsid_->isChecked());
    }
}

void CAdvancedFilterDlg::applySsidRule() {
    const bool specific = findSsid_->isChecked();
    ssid_->setEnabled(specific);
    if (specific) {
        anyBssid_->setChecked(true);
        for (auto* edit : bssid_) edit->setEnabled(false);
    }
}

void CAdvancedFilterDlg::applyChannelRule() {
    single_->setEnabled(singleChannel_->isChecked());
    rangeStart_->setEnabled(channelRange_->isChecked());
    rangeEnd_->setEnabled(channelRange_->isChecked());
}

void CAdvancedFilterDlg::accept() {
    survey::FilterForm form;
    form.anySsid = anySsid_->isChecked();
    form.anyBssid = anyBssid_->isChecked();
    form.ssid = ssid_->text().toStdString();
    for (size_t i = 0; i < bssid_.size(); ++i) form.bssid[i] = bssid_[i]->text().toStdString();
    form.mode = allChannels_->isChecked()     ? survey::ChannelMode::All
                : singleChannel_->isChecked() ? survey::ChannelMode::Single
                                              : survey::ChannelMode::Range;
    form.single = single_->currentData().toUInt();
    form.rangeStart = rangeStart_->currentData().toUInt();
    form.rangeEnd = rangeEnd_->currentData().toUInt();
    const auto filter = survey::FilterFromForm(form);
    if (!filter) {
        dialogs_.showMessage(this, "Please enter a valid SSID!", MessageIcon::Exclamation);
        return;
    }
    filter_ = *filter;
    QDialog::accept();
}

}  // namespace tembrel
