#include "pages/settings/CRegionCtrl.h"
#include "ui/ControlId.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace tembrel {

CRegionCtrl::CRegionCtrl(PageContext& context, QWidget* parent)
    : CZarn9100Page(context, kCaption, kDialogId, parent), card_(context), environment_(context) {
    auto* layout = new QVBoxLayout(this);
    auto* box = new QGroupBox("802.11d (Regulatory Domain) support:", this);
    auto* boxLayout = new QVBoxLayout(box);
    disabled_ = new QRadioButton("Disabled: Use wireless card default setting", box);
    ui::SetControlId(*disabled_, kIdDisabled);
    flexible_ = new QRadioButton("Flexible: Depends on the received beacons from access points", box);
    ui::SetControlId(*flexible_, kIdFlexible);
    strict_ = new QRadioButton("Strict: Use this country region for operation:", box);
    ui::SetControlId(*strict_, kIdStrict);
    country_ = new QComboBox(box);
    ui::SetControlId(*country_, kIdCountry);
    country_->setAccessibleName("Country region");
    country_->setMaxVisibleItems(15);
    information_ = new QPlainTextEdit(box);
    ui::SetControlId(*information_, kIdInformation);
    information_->setReadOnly(true);
    information_->setAccessibleName("Region control of the card");
    information_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    information_->setTabStopDistance(information_->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);
    boxLayout->addWidget(disabled_);
    boxLayout->addWidget(flexible_);
    boxLayout->addWidget(strict_);
    boxLayout->addWidget(country_);
    boxLayout->addWidget(information_, 1);
    layout->addWidget(box);

    connect(disabled_, &QRadioButton::clicked, this, &CRegionCtrl::OnDisabled);
    connect(flexible_, &QRadioButton::clicked, this, &CRegionCtrl::OnFlexible);
    connect(strict_, &QRadioButton::clicked, this, &CRegionCtrl::OnStrict);
    connect(country_, &QComboBox::activated, this, &CRegionCtrl::OnCountryChosen);
}

void CRegionCtrl::OnSetActive() { Refresh(); }

void CRegionCtrl::Refresh() {
    {
        const QSignalBlocker blocker(country_);
        country_->clear();
        auto loaded = RegionFile::Load(environment_.dataFolder() / kRegionFileName);
        countries_ = loaded ? std::move(*loaded) : std::vector<RegionEntry>{};
        strict_->setEnabled(loaded.has_value());
        country_->setEnabled(loaded.has_value());
        if (!loaded) {
            information_->clear();
        } else {
            for (size_t i = 0; i < countries_.size(); ++i) {
                const std::string& name = countries_[i].name;
                country_->addItem(QString::fromLatin1(name.data(), qsizetype(name.size())), int(i));
            }
        }
        country_->setCurrentIndex(countries_.empty() ? -1 : 0);
    }

    _ZARN9100_REGION_CTRL card = RegionModeRecord(0);
    {
        auto lease = card_.handle().lease();
        if (!lease || card_.library().QueryRegionCtrl(lease.get(), &card) != 0) return;
    }
    if (card.mode == kRegionFlexible) {
        flexible_->setChecked(true);
        clearSelectionAndText(true);
    } else if (card.mode == kRegionStrict) {
        strict_->setChecked(true);
        country_->setEnabled(true);
        for (size_t i = 0; i < countries_.size(); ++i) {
            if (SameCountry(countries_[i].record, card)) {
                const QSignalBlocker blocker(country_);
                country_->setCurrentIndex(country_->findData(int(i)));
                break;
            }
        }
    } else {
        disabled_->setChecked(true);
        clearSelectionAndText(true);
    }
    showInformation(card);
}

void CRegionCtrl::OnDisabled() { sendMode(kRegionDisabled); }
void CRegionCtrl::OnFlexible() { sendMode(kRegionFlexible); }

void CRegionCtrl::OnStrict() {
    if (card_.handle().held()) country_->setEnabled(true);
}

void CRegionCtrl::OnCountryChosen(int position) {
    const QVariant data = country_->itemData(position);
    if (!data.isValid()) return;
    const int index = data.toInt();
    if (index < 0 || size_t(index) >= countries_.size()) return;
    const RegionEntry& entry = countries_[size_t(index)];
    showInformation(entry.record);
    if (card_.handle().held()) send(StrictRegionRecord(entry));
}

void CRegionCtrl::sendMode(uint8_t mode) {
    if (!card_.handle().held()) return;
    clearSelectionAndText(false);
    send(RegionModeRecord(mode));
}

void CRegionCtrl::send(const _ZARN9100_REGION_CTRL& record) {
    {
        auto lease = card_.handle().lease();
        if (!lease) return;
        card_.library().SetRegionCtrl(lease.get(), &record);
    }
    // The card's answer is read back once it had its time, without holding up the window.
    QPointer<CRegionCtrl> self(this);
    QTimer::singleShot(kSetSettleMs, this, [self] {
        if (self) self->Refresh();
    });
}

void CRegionCtrl::clearSelectionAndText(bool disableList) {
    const QSignalBlocker blocker(country_);
    country_->setCurrentIndex(-1);
    if (disableList) country_->setEnabled(false);
    information_->clear();
}

void CRegionCtrl::showInformation(const _ZARN9100_REGION_CTRL& record) {
    // The text's lines end in CR LF; the edit breaks lines at LF alone.
    QString text = QString::fromLatin1(RegionInformationText(record).c_str());
    text.remove('\r');
    information_->setPlainText(text);
}

}  // namespace tembrel
