#include "pages/profiles/CTtlsDlg.h"

#include "pages/profiles/CredentialIds.h"

namespace tembrel {

CTtlsDlg::CTtlsDlg(Credentials& values, DialogService& dialogs, QWidget* parent)
    : CCredentialDlg(CredentialDialogKind::Ttls, values, dialogs, parent) {
    using namespace credentials::ids;
    addInnerProtocol("Inner Authentication Protocol:");
    addEdit(kAnonymousName, "Anonymous Name:", &Credentials::anonymousName);
    addEdit(kLoginName, "Login Name:", &Credentials::loginName);
    addEdit(kPassword, "Password:", &Credentials::password);
    addEdit(kDomain, "Domain:", &Credentials::domain);
    addButtons();
}

}  // namespace tembrel
