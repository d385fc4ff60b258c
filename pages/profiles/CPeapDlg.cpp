#include "pages/profiles/CPeapDlg.h"

#include "pages/profiles/CredentialIds.h"

namespace tembrel {

CPeapDlg::CPeapDlg(Credentials& values, DialogService& dialogs, QWidget* parent)
    : CCredentialDlg(CredentialDialogKind::Peap, values, dialogs, parent) {
    using namespace credentials::ids;
    addInnerProtocol("Inner EAP Protocol:");
    addEdit(kLoginName, "Login Name:", &Credentials::loginName);
    addEdit(kPassword, "Password:", &Credentials::password);
    addEdit(kDomain, "Domain:", &Credentials::domain);
    addButtons();
}

}  // namespace tembrel
