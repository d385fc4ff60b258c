#include "AutoLinkStandInDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tembrel {

AutoLinkStandInDialog::AutoLinkStandInDialog(SupervisorFlags& flags, QWidget* parent)
    : flags_(flags), dialog_(new QDialog(parent)) {
    dialog_->setWindowTitle("Auto Link");
    dialog_->setObjectName("autoLinkDialog");
    auto* group = new QGroupBox("Connect to Access Point", dialog_);
    accessPoints_ = new QComboBox(group);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(accessPoints_);
    auto* note = new QLabel("One-touch setup with a PIN is not available in this version.", dialog_);
    note->setWordWrap(true);
    doNotAsk_ = new QCheckBox("Please do not ask me again", dialog_);
    auto* buttons = new QDialogButtonBox(dialog_);
    QPushButton* exitButton = buttons->addButton("&E&xit", QDialogButtonBox::RejectRole);
    exitButton->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog_, &QDialog::reject);
    QObject::connect(doNotAsk_, &QCheckBox::toggled, dialog_, [this](bool checked) { flags_.autoLink = checked ? 0 : 1; });

    auto* layout = new QVBoxLayout(dialog_);
    layout->addWidget(group);
    layout->addWidget(note);
    layout->addWidget(doNotAsk_);
    layout->addWidget(buttons);
}

AutoLinkStandInDialog::~AutoLinkStandInDialog() { delete dialog_.data(); }

void AutoLinkStandInDialog::setCandidates(std::vector<AutoLinkCandidate> candidates) {
    accessPoints_->clear();
    for (const auto& c : candidates) {
        const QString text =
            QString::asprintf("%s%s%d%%)", c.ssid.c_str(), " (Rssi=", static_cast<int>(c.signal * 100 / 40));
        accessPoints_->addItem(text, static_cast<uint>((c.state << 16) | (c.apTag & 0xFFFF)));
    }
}

AutoLinkDialog::Outcome AutoLinkStandInDialog::exec() {
    if (!dialog_) return Outcome::kOther;
    return dialog_->exec() == QDialog::Accepted ? Outcome::kOk : Outcome::kOther;
}

}  // namespace tembrel
