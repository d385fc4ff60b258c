#include "profiles/ProfileText.h"

namespace tembrel {

void TerminateTextFields(PROFILE_RECORD& record) {
    record.name[sizeof record.name - 1] = '\0';
    record.ssid[sizeof record.ssid - 1] = '\0';
    record.passphrase[sizeof record.passphrase - 1] = '\0';
    record.loginName[sizeof record.loginName - 1] = '\0';
    record.password[sizeof record.password - 1] = '\0';
    record.domain[sizeof record.domain - 1] = '\0';
    record.certificateName[sizeof record.certificateName - 1] = '\0';
    record.anonymousName[sizeof record.anonymousName - 1] = '\0';
}

}  // namespace tembrel
