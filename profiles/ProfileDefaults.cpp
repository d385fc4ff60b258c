#include "profiles/ProfileDefaults.h"

#include <cstring>

#include "profiles/Cipher.h"
#include "profiles/ProfileText.h"

namespace tembrel {

PROFILE_RECORD MakeEmptyProfile() {
    PROFILE_RECORD record;
    std::memset(&record, 0, sizeof record);
    return record;
}

ProfilePtr NewEmptyProfile() { return std::make_shared<PROFILE_RECORD>(MakeEmptyProfile()); }

ProfilePtr NewProfileCopy(const PROFILE_RECORD& record) { return std::make_shared<PROFILE_RECORD>(record); }

PROFILE_RECORD MakeDefaultProfile() {
    PROFILE_RECORD record = MakeEmptyProfile();
    SetProfileName(record, kDefaultProfileName);
    SetProfileSsid(record, kAnySsid);
    record.networkType = ZARN9100_NETWORK_INFRASTRUCTURE;
    record.wirelessMode = kWirelessModeAny;
    record.adHocChannel = 0;
    record.encryption = kCipherNone;
    record.authMode = 0;  // open
    record.keepAdapterSettings = 1;
    record.powerSaveMode = 0;
    record.preamble = kPreambleAuto;
    record.txRate = kTxRateAuto;
    record.fragThreshold = kDefaultFragThreshold;
    record.rtsThreshold = kDefaultRtsThreshold;
    record.inPreferList = 1;
    return record;
}

ProfilePtr NewDefaultProfile() { return std::make_shared<PROFILE_RECORD>(MakeDefaultProfile()); }

bool IsDefaultProfile(const PROFILE_RECORD& record) { return HasName(record, kDefaultProfileName); }

bool IsSiteSurveyProfile(const PROFILE_RECORD& record) { return HasName(record, kSiteSurveyProfileName); }

bool IsBuiltInProfile(const PROFILE_RECORD& record) {
    return IsDefaultProfile(record) || IsSiteSurveyProfile(record);
}

}  // namespace tembrel
