#include "pages/profiles/CLeapDlg.h"

#include "pages/profiles/CredentialIds.h"

namespace tembrel {

CLeapDlg::CLeapDlg(Credentials& values, DialogService& dialogs, QWidget* parent)
    : CCredentialDlg(CredentialDialogKind::Leap, values, dialogs, parent) {
    using namespace credentials::ids;
    addEdit(kLoginName, "Login Name:", &Credentials::loginName);
    addEdit(kPassword, "Password:", &Credentials::password);
    addEdit(kDomain, "Domain:", &Credentials::domain);
    addButtons();
}

}  // namespace tembrel
