#include "pages/profiles/CAdvSettgPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "pages/profiles/CProfileWizard.h"
#include "pages/profiles/ProfileControls.h"
#include "ui/UserText.h"
#include "ui/ControlId.h"
#include "ui/SpinEdit.h"

namespace tembrel {

namespace {

// The up-down arrows beside a threshold edit: only the arrows show, the edit holds the text.
QSpinBox* MakeArrows(QWidget* parent, int id, int minimum, int maximum, const QString& name) {
    auto* spin = ui::WithId(new QSpinBox(parent), id);
    spin->setRange(minimum, maximum);
    spin->setFixedWidth(18);
    spin->setFocusPolicy(Qt::NoFocus);
    spin->setAccessibleName(name);
    return spin;
}

void ShowText(QLineEdit& edit, const std::string& text) {
    if (edit.text() != Text(text)) edit.setText(Text(text));
}

void FollowText(QSpinBox& spin, const std::string& text) {
    const QSignalBlocker blocker(spin);
    if (const auto value = ParseThreshold(text)) spin.setValue(static_cast<int>(std::min<uint32_t>(*value, 1u << 30)));
}

}  // namespace

CAdvSettgPage::CAdvSettgPage(CProfileWizard& wizard, bool large, QWidget* parent) : QWidget(parent), wizard_(wizard) {
    auto* layout = new QVBoxLayout(this);
    keep_ = ui::WithId(new QCheckBox(large ? "Do not change settings (Keep original settings)" : "Do not change settings", this),
                       kIdKeep);
    layout->addWidget(keep_);
    group_ = ui::WithId(new QGroupBox("Use below settings", this), kIdGroup);
    layout->addWidget(group_);
    layout->addStretch(1);

    auto* grid = new QGridLayout(group_);
    powerSave_ = ui::WithId(new QComboBox(group_), kIdPowerSave);
    preamble_ = ui::WithId(new QComboBox(group_), kIdPreamble);
    txRate_ = ui::WithId(new QComboBox(group_), kIdTxRate);
    frag_ = ui::WithId(new QLineEdit(group_), kIdFrag);
    rts_ = ui::WithId(new QLineEdit(group_), kIdRts);
    fragSpin_ = MakeArrows(group_, kIdFragSpin, static_cast<int>(kMinFragThreshold), static_cast<int>(kMaxFragThreshold),
                           "Fragment Threshold arrows");
    rtsSpin_ = MakeArrows(group_, kIdRtsSpin, 0, static_cast<int>(kMaxRtsThreshold), "RTS/CTS Threshold arrows");
    for (auto [edit, spin] : {std::pair{frag_, fragSpin_}, std::pair{rts_, rtsSpin_}}) {
        ui::exposeAsSpinButton(*edit, spin->minimum(), spin->maximum(), [spin](int delta) { spin->stepBy(delta); });
    }
    const char* texts[5] = {"Power Save Mode:", "Preamble (802.11b):", "Transmit Rate:", "Fragment Threshold:",
                            "RTS/CTS Threshold:"};
    QWidget* fields[5] = {powerSave_, preamble_, txRate_, frag_, rts_};
    for (int i = 0; i < 5; ++i) {
        labels_[i] = MakeLabel(texts[i], group_, kIdPowerSaveLabel + i, fields[i]);
        grid->addWidget(labels_[i], i, 0);
        grid->addWidget(fields[i], i, 1);
    }
    grid->addWidget(fragSpin_, 3, 2);
    grid->addWidget(rtsSpin_, 4, 2);
    reset_ = ui::MakeButton("&Reset", group_, kIdReset);
    grid->addWidget(reset_, 5, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);

    FillChoices(*powerSave_, ProtocolPageModel::PowerSaveChoices(), 0);
    FillChoices(*preamble_, ProtocolPageModel::PreambleChoices(), 1);

    const auto changed = [this] { wizard_.pageChanged(); };
    connect(keep_, &QCheckBox::clicked, this, [this, changed](bool checked) {
        model().setKeep(checked);
        refresh();  // clearing the box may have moved the lists to values they offer
        changed();
    });
    connect(powerSave_, &QComboBox::activated, this, [this, changed](int i) {
        model().choosePowerSave(static_cast<uint32_t>(ValueAt(*powerSave_, i)));
        changed();
    });
    connect(preamble_, &QComboBox::activated, this, [this, changed](int i) {
        model().choosePreamble(static_cast<uint32_t>(ValueAt(*preamble_, i)));
        changed();
    });
    connect(txRate_, &QComboBox::activated, this, [this, changed](int i) {
        model().chooseTxRate(static_cast<uint32_t>(ValueAt(*txRate_, i)));
        changed();
    });
    ui::onUserText(frag_, this, [this] { return Text(model().fragText()); }, [this, changed](const QString& text) {
        model().setFragText(Utf8(text));
        FollowText(*fragSpin_, model().fragText());
        changed();
    });
    ui::onUserText(rts_, this, [this] { return Text(model().rtsText()); }, [this, changed](const QString& text) {
        model().setRtsText(Utf8(text));
        FollowText(*rtsSpin_, model().rtsText());
        changed();
    });
    // The arrows report every value change, also those made here: they are quiet while refreshed.
    connect(fragSpin_, &QSpinBox::valueChanged, this, [this, changed](int value) {
        model().setFragText(std::to_string(value));
        ShowText(*frag_, model().fragText());
        changed();
    });
    connect(rtsSpin_, &QSpinBox::valueChanged, this, [this, changed](int value) {
        model().setRtsText(std::to_string(value));
        ShowText(*rts_, model().rtsText());
        changed();
    });
    connect(reset_, &QPushButton::clicked, this, &CAdvSettgPage::OnReset);
    refresh();
}

ProtocolPageModel& CAdvSettgPage::model() const { return wizard_.editor().protocol(); }

void CAdvSettgPage::refresh() {
    const ProtocolPageModel& m = model();
    keep_->setChecked(m.keep());
    SelectValue(*powerSave_, m.powerSave());
    SelectValue(*preamble_, m.preamble());
    ShowText(*frag_, m.fragText());
    ShowText(*rts_, m.rtsText());
    FollowText(*fragSpin_, m.fragText());
    FollowText(*rtsSpin_, m.rtsText());
    arrange();
}

void CAdvSettgPage::arrange() {
    const ProtocolPageModel& m = model();
    const bool use = !m.keep() && enabled_;
    keep_->setEnabled(enabled_);
    for (QWidget* w : std::initializer_list<QWidget*>{labels_[1], labels_[2], labels_[3], labels_[4], preamble_, txRate_,
                                                      frag_, rts_, fragSpin_, rtsSpin_, reset_, group_})
        w->setEnabled(use);
    labels_[0]->setEnabled(use);
    if (m.powerSaveForced()) SelectValue(*powerSave_, 0);
    powerSave_->setEnabled(use && !m.powerSaveForced());
    FillChoices(*txRate_, m.txRateChoices(), m.txRate());
}

void CAdvSettgPage::setPageEnabled(bool enabled) {
    enabled_ = enabled;
    arrange();
}

void CAdvSettgPage::OnReset() {
    model().reset();
    refresh();
    wizard_.pageChanged();
}

}  // namespace tembrel
