#include "pages/profiles/CBasicSettgPage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "pages/profiles/CProfileWizard.h"
#include "pages/profiles/ProfileControls.h"
#include "platform/Settings.h"
#include "ui/UserText.h"
#include "ui/ControlId.h"

namespace tembrel {

namespace {

// Cuts an edit's text to the field's bytes, as the model holds it, keeping the caret.
void ShowLimited(QLineEdit& edit, const std::string& stored) {
    const QString text = Text(stored);
    if (edit.text() == text) return;
    const int caret = std::min(edit.cursorPosition(), static_cast<int>(text.size()));
    edit.setText(text);
    edit.setCursorPosition(caret);
}

}  // namespace

CBasicSettgPage::CBasicSettgPage(CProfileWizard& wizard, bool large, QWidget* parent)
    : QWidget(parent), wizard_(wizard) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    name_ = ui::WithId(new QLineEdit(this), kIdName);
    name_->setMaxLength(static_cast<int>(kProfileNameBytes));
    ssid_ = ui::WithId(new QLineEdit(this), kIdSsid);
    ssid_->setMaxLength(static_cast<int>(kSsidBytes));
    networkType_ = ui::WithId(new QComboBox(this), kIdNetworkType);
    wirelessMode_ = ui::WithId(new QComboBox(this), kIdWirelessMode);
    wirelessModeLabel_ = MakeLabel("Wireless Mode:", this, kIdWirelessModeLabel, wirelessMode_);
    form->addRow(MakeLabel("Profile Name:", this, 0, name_), name_);
    form->addRow(MakeLabel("Network SSID:", this, 0, ssid_), ssid_);
    form->addRow(MakeLabel("Network Type:", this, 0, networkType_), networkType_);
    form->addRow(wirelessModeLabel_, wirelessMode_);

    adHocGroup_ = ui::WithId(new QGroupBox(large ? "When starting AdHoc network" : "When starting an AdHoc network:", this),
                             kIdAdHocGroup);
    auto* groupForm = new QFormLayout(adHocGroup_);
    band_ = ui::WithId(new QComboBox(adHocGroup_), kIdAdHocBand);
    channel_ = ui::WithId(new QComboBox(adHocGroup_), kIdChannel);
    bandLabel_ = MakeLabel("Wireless Mode:", adHocGroup_, kIdAdHocBandLabel, band_);
    channelLabel_ = MakeLabel("Prefer Channel:", adHocGroup_, kIdChannelLabel, channel_);
    groupForm->addRow(bandLabel_, band_);
    groupForm->addRow(channelLabel_, channel_);
    layout->addWidget(adHocGroup_);
    layout->addStretch(1);

    FillChoices(*networkType_, NetworkPageModel::NetworkTypeChoices(), 1);
    FillChoices(*wirelessMode_, NetworkPageModel::WirelessModeChoices(), 255);
    FillChoices(*band_, NetworkPageModel::AdHocBandChoices(), 0);

    ui::onUserText(name_, this, [this] { return Text(model().name()); }, [this](const QString& t) { onNameEdited(t); });
    ui::onUserText(ssid_, this, [this] { return Text(model().ssid()); }, [this](const QString& t) { onSsidEdited(t); });
    connect(networkType_, &QComboBox::activated, this, &CBasicSettgPage::onNetworkType);
    connect(wirelessMode_, &QComboBox::activated, this, &CBasicSettgPage::onWirelessMode);
    connect(band_, &QComboBox::activated, this, &CBasicSettgPage::onAdHocBand);
    connect(channel_, &QComboBox::activated, this, &CBasicSettgPage::onChannel);
    refresh();
}

NetworkPageModel& CBasicSettgPage::model() const { return wizard_.editor().network(); }

void CBasicSettgPage::fillChannels() {
    Settings& settings = wizard_.context().settings();
    const ChannelRange range = ClampChannelRange(settings.read(settings::kFirstChan), settings.read(settings::kLastChan));
    std::vector<Choice> choices = ChannelChoices(range);
    // A channel outside the range (set elsewhere) is neither shown nor lost: "Auto Select" is
    // shown and the stored channel stays unless the user picks one.
    FillChoices(*channel_, choices, Offers(choices, model().channel()) ? model().channel() : 0);
}

void CBasicSettgPage::refresh() {
    const NetworkPageModel& m = model();
    SelectValue(*networkType_, m.networkType());
    if (networkType_->currentIndex() < 0) {
        const QSignalBlocker blocker(networkType_);
        networkType_->setCurrentIndex(0);
    }
    SelectValue(*wirelessMode_, m.wirelessMode());
    if (wirelessMode_->currentIndex() < 0) {
        const QSignalBlocker blocker(wirelessMode_);
        wirelessMode_->setCurrentIndex(0);
    }
    SelectValue(*band_, m.adHocBand());
    fillChannels();
    ShowLimited(*name_, m.name());
    ShowLimited(*ssid_, m.ssid());
    arrange();
}

bool CBasicSettgPage::channelLocked() const {
    // The channel of the ad-hoc network in use cannot change under the link.
    if (wizard_.mode() != WizardMode::Pane || !wizard_.editedRecord()) return false;
    PageContext& context = wizard_.context();
    return context.connector().profileInUse() == wizard_.editedRecord() && context.snapshot().connected != 0;
}

void CBasicSettgPage::arrange() {
    const bool adHoc = model().adHoc();
    name_->setEnabled(enabled_);
    ssid_->setEnabled(enabled_);
    networkType_->setEnabled(enabled_);
    wirelessModeLabel_->setVisible(!adHoc);
    wirelessMode_->setVisible(!adHoc);
    wirelessMode_->setEnabled(!adHoc && enabled_);
    adHocGroup_->setVisible(adHoc);
    band_->setEnabled(adHoc && enabled_);
    channelLabel_->setVisible(adHoc);
    channel_->setVisible(adHoc);
    channel_->setEnabled(adHoc && enabled_ && !channelLocked());
}

void CBasicSettgPage::setPageEnabled(bool enabled) {
    enabled_ = enabled;
    arrange();
}

void CBasicSettgPage::onNameEdited(const QString& text) {
    model().setName(Utf8(text));
    ShowLimited(*name_, model().name());
    wizard_.pageChanged();
}

void CBasicSettgPage::onSsidEdited(const QString& text) {
    model().setSsid(Utf8(text));
    ShowLimited(*ssid_, model().ssid());
    wizard_.pageChanged();
}

void CBasicSettgPage::onNetworkType(int index) {
    const auto value = static_cast<uint32_t>(ValueAt(*networkType_, index));
    if (value == model().networkType()) return;  // the same type again resets nothing
    model().chooseNetworkType(value);
    refresh();
    wizard_.networkChangedByUser();
}

void CBasicSettgPage::onWirelessMode(int index) {
    model().chooseWirelessMode(static_cast<uint32_t>(ValueAt(*wirelessMode_, index)));
    wizard_.networkChangedByUser();
}

void CBasicSettgPage::onAdHocBand(int index) {
    model().chooseAdHocBand(static_cast<uint8_t>(ValueAt(*band_, index)));
    wizard_.networkChangedByUser();
}

void CBasicSettgPage::onChannel(int index) {
    model().chooseChannel(static_cast<int32_t>(ValueAt(*channel_, index)));
    wizard_.pageChanged();
}

}  // namespace tembrel
