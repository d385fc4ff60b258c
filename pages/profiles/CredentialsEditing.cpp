#include "pages/profiles/CredentialsEditing.h"

#include "pages/profiles/CEapTlsDlg.h"
#include "pages/profiles/CLeapDlg.h"
#include "pages/profiles/CPeapDlg.h"
#include "pages/profiles/CTtlsDlg.h"
#include "pages/profiles/logic/CredentialRules.h"

namespace tembrel {

bool EditCredentials(Credentials& values, PageContext& context, QWidget* parent) {
    switch (CredentialDialogFor(values.protocol)) {
    case CredentialDialogKind::Leap: return CLeapDlg(values, context.dialogs(), parent).exec() == QDialog::Accepted;
    case CredentialDialogKind::EapTls:
        return CEapTlsDlg(values, context.certificateStore(), context.dialogs(), parent).exec() == QDialog::Accepted;
    case CredentialDialogKind::Peap: return CPeapDlg(values, context.dialogs(), parent).exec() == QDialog::Accepted;
    case CredentialDialogKind::Ttls: return CTtlsDlg(values, context.dialogs(), parent).exec() == QDialog::Accepted;
    case CredentialDialogKind::None: return false;
    }
    return false;
}

}  // namespace tembrel
