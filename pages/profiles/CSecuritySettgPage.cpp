#include "pages/profiles/CSecuritySettgPage.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "pages/profiles/CProfileWizard.h"
#include "pages/profiles/CWepKeyDlg.h"
#include "pages/profiles/CredentialsEditing.h"
#include "pages/profiles/ProfileControls.h"
#include "ui/UserText.h"
#include "ui/ControlId.h"

namespace tembrel {

CSecuritySettgPage::CSecuritySettgPage(CProfileWizard& wizard, QWidget* parent) : QWidget(parent), wizard_(wizard) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    authentication_ = ui::WithId(new QComboBox(this), kIdAuthentication);
    encryption_ = ui::WithId(new QComboBox(this), kIdEncryption);
    form->addRow(MakeLabel("Authentication Mode:", this, 0, authentication_), authentication_);
    form->addRow(MakeLabel("Encryption Method:", this, 0, encryption_), encryption_);

    wepGroup_ = ui::WithId(new QGroupBox("WEP Key Setting", this), kIdWepGroup);
    auto* wepLayout = new QGridLayout(wepGroup_);
    keyGroup_ = new QButtonGroup(this);
    for (int k = 0; k < 4; ++k) {
        keys_[k] = ui::WithId(new QRadioButton(QString("Key %1 is not set").arg(k + 1), wepGroup_), kIdKey1 + k);
        keyGroup_->addButton(keys_[k], k + 1);
        wepLayout->addWidget(keys_[k], k / 2, k % 2);
    }
    configureWep_ = ui::MakeButton("Configure WEP Keys", wepGroup_, kIdConfigureWep);
    wepLayout->addWidget(configureWep_, 2, 0, 1, 2, Qt::AlignRight);
    layout->addWidget(wepGroup_);

    auto* lower = new QFormLayout;
    layout->addLayout(lower);
    passphrase_ = ui::WithId(new QLineEdit(this), kIdPassphrase);
    passphrase_->setEchoMode(QLineEdit::Password);
    passphrase_->setMaxLength(static_cast<int>(kPassphraseFieldBytes));
    confirm_ = ui::WithId(new QLineEdit(this), kIdConfirm);
    confirm_->setEchoMode(QLineEdit::Password);
    confirm_->setMaxLength(static_cast<int>(kPassphraseFieldBytes));
    passphraseLabel_ = MakeLabel("Passphrase", this, kIdPassphraseLabel, passphrase_);
    confirmLabel_ = MakeLabel("Confirm:", this, kIdConfirmLabel, confirm_);
    lower->addRow(passphraseLabel_, passphrase_);
    lower->addRow(confirmLabel_, confirm_);
    protocol_ = ui::WithId(new QComboBox(this), kIdProtocol);
    protocolLabel_ = MakeLabel("802.1x Authentication Protocol:", this, kIdProtocolLabel, protocol_);
    lower->addRow(protocolLabel_, protocol_);
    credentials_ = ui::MakeButton("Configure WPA Radius", this, kIdCredentials);
    layout->addWidget(credentials_, 0, Qt::AlignRight);
    layout->addStretch(1);

    passphrase_->installEventFilter(this);
    connect(authentication_, &QComboBox::activated, this, &CSecuritySettgPage::onAuthentication);
    connect(protocol_, &QComboBox::activated, this, &CSecuritySettgPage::onProtocol);
    connect(encryption_, &QComboBox::activated, this, &CSecuritySettgPage::onEncryption);
    ui::onUserText(passphrase_, this, [this] { return Text(model().passphrase()); },
                   [this](const QString& t) { onPassphraseEdited(t); });
    ui::onUserText(confirm_, this, [this] { return Text(model().confirmation()); },
                   [this](const QString& t) { onConfirmEdited(t); });
    connect(keyGroup_, &QButtonGroup::idClicked, this, &CSecuritySettgPage::onTransmitKey);
    connect(configureWep_, &QPushButton::clicked, this, &CSecuritySettgPage::OnConfigureWepKeys);
    connect(credentials_, &QPushButton::clicked, this, &CSecuritySettgPage::OnConfigureCredentials);

    if (wizard_.mode() == WizardMode::Configure) QTimer::singleShot(0, configureWep_, [this] { configureWep_->setFocus(); });
    refresh();
}

SecurityPageModel& CSecuritySettgPage::model() const { return wizard_.editor().security(); }

void CSecuritySettgPage::refresh() {
    const SecurityPageModel& m = model();
    FillChoices(*authentication_, m.authenticationChoices(), m.authentication());
    FillChoices(*protocol_, m.protocolChoices(), m.protocol());
    FillChoices(*encryption_, m.encryptionChoices(), m.encryption());

    const bool wep = m.wepArea();
    // Without WEP the frame would stand empty: it goes with its contents.
    wepGroup_->setVisible(wep);

    const bool psk = m.passphraseArea();
    for (QWidget* w : std::initializer_list<QWidget*>{passphraseLabel_, passphrase_, confirmLabel_, confirm_}) w->setVisible(psk);
    const bool group = m.protocolArea();
    for (QWidget* w : std::initializer_list<QWidget*>{protocolLabel_, protocol_, credentials_}) {
        w->setVisible(group);
        w->setEnabled(group && enabled_);
    }
    credentials_->setText(Text(m.credentialsButtonText()));
    authentication_->setEnabled(enabled_);
    encryption_->setEnabled(enabled_);
    showPassphrase();
    updateWepControls();
}

void CSecuritySettgPage::showPassphrase() {
    const SecurityPageModel& m = model();
    if (passphrase_->text() != Text(m.passphrase())) passphrase_->setText(Text(m.passphrase()));
    if (confirm_->text() != Text(m.confirmation())) confirm_->setText(Text(m.confirmation()));
    passphrase_->setEnabled(m.passphraseArea() && enabled_);
    confirm_->setEnabled(m.confirmationEnabled() && enabled_);
}

void CSecuritySettgPage::updateWepControls() {
    const SecurityPageModel& m = model();
    const bool configurable = m.wepKeysConfigurable() && enabled_;
    configureWep_->setEnabled(configurable);
    keyGroup_->setExclusive(false);
    for (int k = 1; k <= 4; ++k) {
        QRadioButton* key = keys_[k - 1];
        key->setText(Text(m.transmitKeyCaption(k)));
        key->setEnabled(configurable && m.transmitKeySet(k));
        key->setChecked(static_cast<int>(m.wepKeys().txKeyIndex) == k);
    }
    keyGroup_->setExclusive(true);
}

QWidget* CSecuritySettgPage::firstFieldToFill() const {
    const SecurityPageModel& m = model();
    if (!enabled_) return nullptr;
    if (m.passphraseArea()) return passphrase_;
    if (m.wepArea() && m.wepKeysConfigurable()) return configureWep_;
    if (m.protocolArea()) return credentials_;
    return nullptr;
}

void CSecuritySettgPage::setPageEnabled(bool enabled) {
    enabled_ = enabled;
    refresh();
}

bool CSecuritySettgPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == passphrase_ && event->type() == QEvent::FocusIn) {
        // Only a focus the user moved empties the field; a window's own activation does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if ((reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
             reason == Qt::ShortcutFocusReason) &&
            !model().passphrase().empty()) {
            model().passphraseFocused();
            showPassphrase();
            wizard_.pageChanged();
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Picking the entry already chosen changes nothing (it would empty the passphrase or the
// credentials otherwise).
void CSecuritySettgPage::onAuthentication(int index) {
    const auto value = static_cast<uint32_t>(ValueAt(*authentication_, index));
    if (value == model().authentication()) return;
    model().chooseAuthentication(value);
    refresh();
    wizard_.pageChanged();
}

void CSecuritySettgPage::onProtocol(int index) {
    const auto value = static_cast<uint32_t>(ValueAt(*protocol_, index));
    if (value == model().protocol()) return;
    model().chooseProtocol(value);
    refresh();
    wizard_.pageChanged();
}

void CSecuritySettgPage::onEncryption(int index) {
    const auto value = static_cast<int32_t>(ValueAt(*encryption_, index));
    if (value == model().encryption()) return;
    model().chooseEncryption(value);
    showPassphrase();
    updateWepControls();
    wizard_.pageChanged();
}

void CSecuritySettgPage::onPassphraseEdited(const QString& text) {
    model().setPassphrase(Utf8(text));
    showPassphrase();
    wizard_.pageChanged();
}

void CSecuritySettgPage::onConfirmEdited(const QString& text) {
    model().setConfirmation(Utf8(text));
    wizard_.pageChanged();
}

void CSecuritySettgPage::onTransmitKey(int key) {
    model().selectTransmitKey(key);
    wizard_.pageChanged();
}

void CSecuritySettgPage::OnConfigureWepKeys() {
    CWepKeyDlg dialog(model().wepKeys(), wizard_.context().settings(), wizard_.context().dialogs(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    updateWepControls();
    wizard_.pageChanged();
}

void CSecuritySettgPage::OnConfigureCredentials() {
    if (!EditCredentials(model().credentials(), wizard_.context(), this)) return;
    wizard_.pageChanged();
}

}  // namespace tembrel
