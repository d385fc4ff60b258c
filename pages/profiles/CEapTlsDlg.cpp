#include "pages/profiles/CEapTlsDlg.h"

#include "pages/profiles/CSelectCertDlg.h"
#include "pages/profiles/CViewCertDlg.h"
#include "pages/profiles/CredentialIds.h"
#include "ui/ControlId.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tembrel {

CEapTlsDlg::CEapTlsDlg(Credentials& values, const CertificateStore& store, DialogService& dialogs, QWidget* parent)
    : CCredentialDlg(CredentialDialogKind::EapTls, values, dialogs, parent), store_(store) {
    using namespace credentials::ids;
    addEdit(kLoginName, "Login Name:", &Credentials::loginName);

    const int row = takeRow();
    certificate_ = new QLineEdit(this);
    ui::SetControlId(*certificate_, kCertificate);
    certificate_->setReadOnly(true);
    auto* caption = new QLabel(QStringLiteral("Certificate:"), this);
    caption->setBuddy(certificate_);
    view_ = ui::MakeButton("View", this, kViewCertificate);
    auto* browse = ui::MakeButton("&Browse...", this, kBrowse);
    grid().addWidget(caption, row, 0);
    grid().addWidget(certificate_, row, 1);
    grid().addWidget(view_, row, 2);
    grid().addWidget(browse, row, 3);
    addButtons();

    connect(view_, &QPushButton::clicked, this, &CEapTlsDlg::OnView);
    connect(browse, &QPushButton::clicked, this, &CEapTlsDlg::OnBrowse);
    showCertificate();
}

void CEapTlsDlg::showCertificate() {
    certificate_->setText(QString::fromUtf8(shown().certificateName));
    view_->setEnabled(!shown().certificateName.empty());
}

void CEapTlsDlg::OnBrowse() {
    readEdits();
    CSelectCertDlg list(store_, shown().certificateName, shown().certificateHash, this);
    if (list.exec() == QDialog::Accepted) showCertificate();
}

void CEapTlsDlg::OnView() { CViewCertDlg::ShowFor(store_, shown().certificateName, shown().certificateHash, this); }

}  // namespace tembrel
