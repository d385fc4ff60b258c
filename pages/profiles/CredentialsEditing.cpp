#include "pages/profiles/CredentialsEditing.h"

#include "pages/profiles/logic/SecurityRules.h"

namespace tembrel {

bool EditCredentials(Credentials& values, PageContext&, QWidget*) {
    // The credential dialogs arrive with their own change; until then nothing is edited here.
    (void)CredentialDialogFor(values.protocol);
    return false;
}

}  // namespace tembrel
