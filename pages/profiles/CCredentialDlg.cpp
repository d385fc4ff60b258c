#include "pages/profiles/CCredentialDlg.h"

#include "pages/profiles/CredentialIds.h"
#include "platform/gui/DialogService.h"
#include "ui/ByteLimitValidator.h"
#include "ui/SecretEdit.h"
#include "ui/ControlId.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tembrel {

CCredentialDlg::CCredentialDlg(CredentialDialogKind kind, Credentials& values, DialogService& dialogs,
                               QWidget* parent)
    : QDialog(parent), kind_(kind), values_(values), shown_(CredentialsOnOpen(kind, values)), dialogs_(dialogs) {
    setWindowTitle(QString::fromUtf8(CredentialDialogCaption(kind_, shown_.protocol)));
    grid_ = new QGridLayout(this);
    grid_->setColumnStretch(1, 1);
    grid_->setColumnMinimumWidth(1, 180);
}

CCredentialDlg::~CCredentialDlg() = default;

QLineEdit* CCredentialDlg::addEdit(int id, const char* label, std::string Credentials::*field) {
    auto* edit = new QLineEdit(QString::fromUtf8(shown_.*field), this);
    ui::SetControlId(*edit, id);
    edit->setValidator(new ui::ByteLimitValidator(static_cast<int>(kCredentialMaxBytes), edit));
    if (field == &Credentials::password) {
        // Shown in clear as documented, but never read back through the accessibility bus.
        ui::exposeAsSecret(*edit);
    }
    auto* caption = new QLabel(QString::fromLatin1(label), this);
    caption->setBuddy(edit);
    grid_->addWidget(caption, rows_, 0);
    grid_->addWidget(edit, rows_, 1);
    ++rows_;
    edits_.emplace_back(edit, field);
    return edit;
}

QComboBox* CCredentialDlg::addInnerProtocol(const char* label) {
    auto* list = new QComboBox(this);
    ui::SetControlId(*list, credentials::ids::kInnerProtocol);
    list->addItem(QStringLiteral("EAP/MS-CHAP V2"));
    list->setCurrentIndex(0);
    list->setEnabled(false);
    auto* caption = new QLabel(QString::fromLatin1(label), this);
    caption->setBuddy(list);
    grid_->addWidget(caption, rows_, 0);
    grid_->addWidget(list, rows_, 1);
    ++rows_;
    return list;
}

void CCredentialDlg::addButtons() {
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ui::SetControlId(*ok, credentials::ids::kOk);
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    ui::SetControlId(*cancel, credentials::ids::kCancel);
    grid_->addWidget(buttons, rows_, 0, 1, grid_->columnCount());
    ++rows_;
    connect(ok, &QPushButton::clicked, this, &CCredentialDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CCredentialDlg::readEdits() {
    for (const auto& [edit, field] : edits_) shown_.*field = CutCredential(edit->text().toStdString());
}

void CCredentialDlg::OnOK() {
    readEdits();
    if (const auto message = MissingCredentialMessage(kind_, shown_)) {
        dialogs().showMessage(this, QString::fromUtf8(*message), MessageIcon::Exclamation);
        return;
    }
    StoreCredentials(kind_, shown_, values_);
    accept();
}

}  // namespace tembrel
