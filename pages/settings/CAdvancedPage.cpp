#include "pages/settings/CAdvancedPage.h"

#include "connection/EventCodes.h"
#include "pages/settings/AdvancedIds.h"
#include "pages/settings/SpinButtons.h"
#include "platform/gui/DialogService.h"
#include "ui/UserText.h"
#include "ui/BusyCursor.h"
#include "ui/ControlId.h"
#include "ui/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPalette>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tembrel {

using namespace advanced;

namespace {

QString qt(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

CardAccess cardAccessOf(PageContext& context) {
    return CardAccess{context.library(), context.handle(), [&context] { return context.snapshot(); }};
}

QLineEdit* thresholdEdit(int id, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    ui::SetControlId(*edit, id);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    edit->setMaximumWidth(80);
    return edit;
}

}  // namespace

CAdvancedPage::CAdvancedPage(PageContext& context, QWidget* parent)
    : CZarn9100Page(context, kCaption, kDialogId, parent), environment_(context),
      model_(cardAccessOf(context), context.settings(), context.supervisorFlags()) {
    buildControls();
    applyView();
}

QComboBox* CAdvancedPage::makeList(List list, int id, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    ui::SetControlId(*combo, id);
    combo->setMinimumWidth(160);
    lists_[static_cast<size_t>(list)] = combo;
    fillList(list);
    // Only the user's choices mark a parameter as changed.
    connect(combo, &QComboBox::activated, this, [this, list, combo](int index) {
        if (index >= 0) model_.select(list, combo->itemData(index).toUInt());
    });
    return combo;
}

void CAdvancedPage::fillList(List list) {
    QComboBox* combo = lists_[static_cast<size_t>(list)];
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const Entry& entry : model_.entries(list)) combo->addItem(qt(entry.text), QVariant::fromValue(entry.value));
}

void CAdvancedPage::buildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* cardGroup = new QGroupBox("Orvix Wireless Card", this);
    description_ = new QComboBox(cardGroup);
    ui::SetControlId(*description_, ids::kDescription);
    description_->setAccessibleName("Wireless card");
    description_->setEnabled(false);
    // Read-only, not greyed out: the card's name is read in the normal text colour.
    QPalette readable = description_->palette();
    for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::Text, QPalette::WindowText})
        readable.setColor(QPalette::Disabled, role, readable.color(QPalette::Active, role));
    description_->setPalette(readable);
    (new QVBoxLayout(cardGroup))->addWidget(description_);
    layout->addWidget(cardGroup);

    auto* protocol = new QGroupBox("Protocol", this);
    auto* form = new QFormLayout;
    auto addRow = [&](const QString& caption, QWidget* field, QWidget* focus) {
        auto* label = new QLabel(caption, protocol);
        label->setBuddy(focus);
        form->addRow(label, field);
    };
    const struct {
        const char* caption;
        List list;
        int id;
    } rows[] = {
        {"Power Save Mode:", List::PowerSave, ids::kPowerSave},
        {"Preamble (802.11b):", List::Preamble, ids::kPreamble},
        {"Receive Antenna:", List::RxAntenna, ids::kRxAntenna},
        {"Transmit Antenna:", List::TxAntenna, ids::kTxAntenna},
        {"Transmit Power:", List::TxPower, ids::kTxPower},
        {"Transmit Rate:", List::TxRate, ids::kTxRate},
    };
    for (const auto& row : rows) {
        QComboBox* combo = makeList(row.list, row.id, protocol);
        addRow(row.caption, combo, combo);
    }
    lists_[static_cast<size_t>(List::TxAntenna)]->setEnabled(false);

    auto thresholdRow = [&](const QString& caption, int editId, int spinId, int minimum, int maximum,
                            void (AdvancedModel::*edited)(std::string)) {
        QLineEdit* edit = thresholdEdit(editId, protocol);
        auto* spin = new SpinButtons(*edit, minimum, maximum, protocol);
        ui::SetControlId(*spin, spinId);
        // Before anything names the edit: a name change has assistive technology look at it.
        ui::exposeAsSpinButton(*edit, minimum, maximum, [spin](int delta) { spin->step(delta); });
        auto* field = new QHBoxLayout;
        field->setSpacing(0);
        field->addWidget(edit);
        field->addWidget(spin);
        field->addStretch();
        auto* holder = new QWidget(protocol);
        holder->setLayout(field);
        field->setContentsMargins(0, 0, 0, 0);
        addRow(caption, holder, edit);
        // The label's buddy names only controls beside it, not inside the holder.
        edit->setAccessibleName(caption);
        spin->nameAfter(caption);
        ui::onUserText(edit, this, [this, editId] {
            return qt(editId == ids::kFragThreshold ? model_.view().fragText : model_.view().rtsText);
        }, [this, edited](const QString& text) { (model_.*edited)(text.toStdString()); });
        connect(spin, &SpinButtons::stepped, this, [this, edited](const QString& text) {
            (model_.*edited)(text.toStdString());
        });
        return std::pair{edit, spin};
    };
    std::tie(frag_, fragSpin_) = thresholdRow("Fragment Threshold:", ids::kFragThreshold, ids::kFragSpin, kFragMin,
                                              kFragMax, &AdvancedModel::editFragThreshold);
    rts_ = thresholdRow("RTS/CTS Threshold:", ids::kRtsThreshold, ids::kRtsSpin, kRtsMin, kRtsMax,
                        &AdvancedModel::editRtsThreshold)
               .first;
    frag_->setEnabled(false);
    fragSpin_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    auto* apply = ui::MakeButton("&Apply Changes", protocol, ids::kApply);
    auto* defaults = ui::MakeButton("&Default", protocol, ids::kDefault);
    connect(apply, &QPushButton::clicked, this, [this] { run(&AdvancedModel::apply); });
    connect(defaults, &QPushButton::clicked, this, [this] { run(&AdvancedModel::resetToDefaults); });
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(defaults);
    auto* protocolLayout = new QVBoxLayout(protocol);
    protocolLayout->addLayout(form);
    protocolLayout->addLayout(buttons);
    layout->addWidget(protocol);

    auto* misc = new QGroupBox("Miscellaneous", this);
    auto* miscLayout = new QVBoxLayout(misc);
    auto checkBox = [&](const QString& caption, int id, void (AdvancedModel::*clicked)(bool)) {
        auto* box = new QCheckBox(caption, misc);
        ui::SetControlId(*box, id);
        connect(box, &QCheckBox::clicked, this, [this, clicked](bool checked) { (model_.*clicked)(checked); });
        miscLayout->addWidget(box);
        return box;
    };
    autoConnect_ = checkBox("Auto connect if link loss or no connection (Use checked profiles in <Profile Manager>)",
                            ids::kAutoConnect, &AdvancedModel::autoConnectClicked);
    autoLink_ = checkBox("Enable Auto Link", ids::kAutoLink, &AdvancedModel::autoLinkClicked);
    boost_ = checkBox("Boost Mode", ids::kBoostMode, &AdvancedModel::boostClicked);
    tcpIp_ = checkBox("Manage TCP/IP Properties according to the Profile", ids::kTcpIpUseProfile,
                      &AdvancedModel::tcpIpClicked);
    // Both are created hidden and disabled; the boost box is enabled for the card that has it.
    boost_->hide();
    tcpIp_->hide();
    tcpIp_->setEnabled(false);
    layout->addWidget(misc);
    layout->addStretch();
}

void CAdvancedPage::applyView() {
    const AdvancedView& view = model_.view();
    {
        const QSignalBlocker blocker(description_);
        description_->clear();
        description_->addItem(qt(view.description));
        description_->setCurrentIndex(0);
    }
    if (shownRates_ != view.rates) {
        fillList(List::TxRate);
        shownRates_ = view.rates;
    }
    for (size_t i = 0; i < lists_.size(); ++i) {
        const QSignalBlocker blocker(lists_[i]);
        const auto& value = view.selected[i];
        lists_[i]->setCurrentIndex(value ? lists_[i]->findData(QVariant::fromValue(*value)) : -1);
    }
    lists_[static_cast<size_t>(List::PowerSave)]->setEnabled(view.powerSaveEnabled);
    if (frag_->text() != qt(view.fragText)) frag_->setText(qt(view.fragText));
    if (rts_->text() != qt(view.rtsText)) rts_->setText(qt(view.rtsText));
    if (view.fragEnabled) {
        frag_->setEnabled(true);
        fragSpin_->setEnabled(true);
    }
    boost_->setEnabled(view.boostEnabled);
    boost_->setChecked(view.boostChecked);
    autoConnect_->setChecked(view.autoConnectChecked);
    autoLink_->setChecked(view.autoLinkChecked);
    tcpIp_->setChecked(view.tcpIpChecked);
}

void CAdvancedPage::run(ApplyResult (AdvancedModel::*action)()) {
    ApplyResult result;
    {
        const ui::BusyCursor busy;
        result = (model_.*action)();
    }
    applyView();
    if (result == ApplyResult::NotAnInteger) tellNotAnInteger();
}

void CAdvancedPage::tellNotAnInteger() {
    environment_.dialogs().showMessage(environment_.dialogParent(), kNotAnIntegerMessage);
}

void CAdvancedPage::OnSetActive() {
    model_.pageShown();
    applyView();
}

bool CAdvancedPage::leftForAnotherPage() const {
    // The window's tabs show the next page before this one is told; the window's OK asks the
    // page it still shows, whose changes OK then applies. The tab holds this page or the
    // widget it was built into.
    for (const QWidget* w = this; w; w = w->parentWidget())
        if (const auto* stack = qobject_cast<const QStackedWidget*>(w->parentWidget()))
            return stack->currentWidget() != w;
    return true;
}

bool CAdvancedPage::OnKillActive() {
    if (!model_.readEdits()) {
        tellNotAnInteger();
        return false;
    }
    if (leftForAnotherPage()) model_.clearPending();
    return true;
}

void CAdvancedPage::OnOK() {
    if (model_.pending() != 0) run(&AdvancedModel::applyIfPending);
}

void CAdvancedPage::OnCancel() {
    model_.discard();
    applyView();
}

void CAdvancedPage::OnLibraryEvent(quintptr code, qintptr, const QString&) {
    if (code == kEventAdapterOpened) {
        model_.refresh();
        applyView();
    }
}

}  // namespace tembrel
