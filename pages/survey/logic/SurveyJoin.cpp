#include "pages/survey/logic/SurveyJoin.h"

#include "profiles/ImportNormalize.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "survey/ChannelPlan.h"

namespace tembrel::survey {

ProfilePtr FindProfileForEntry(const ProfileSequence& profiles, const ScanEntry& entry) {
    const std::string_view ssid = entry.ssid();
    const uint32_t band = ClassifyBand(entry);
    for (const auto& profile : profiles) {
        if (ProfileSsid(*profile) != ssid) continue;
        if (profile->networkType != entry.infrastructureMode()) continue;
        if (profile->wirelessMode != kWirelessModeAny && profile->wirelessMode != band) continue;
        if (entry.privacy() == 0 && profile->encryption != 0) continue;
        return profile;
    }
    return nullptr;
}

ProfilePtr NewProfileForEntry(const ScanEntry& entry, const ScanSecurity& security, const ProfileSequence& profiles) {
    auto record = NewEmptyProfile();
    const std::string_view ssid = entry.ssid();
    SetProfileName(*record, UniqueProfileName(ssid, profiles));
    SetProfileSsid(*record, ssid);
    const uint32_t band = ClassifyBand(entry);
    record->networkType = entry.infrastructureMode();
    record->wirelessMode = band;
    record->adHocWirelessMode = band == kBand80211a ? 2 : 0;
    if (record->networkType == ZARN9100_NETWORK_ADHOC) {
        const uint32_t channel = ChannelFromFrequency(entry.dsConfigKHz());
        record->adHocChannel = channel < 1 ? 0 : static_cast<int32_t>(channel);
    }
    record->keepAdapterSettings = 1;
    record->preamble = kPreambleAuto;
    record->powerSaveMode = 0;
    record->txRate = kTxRateAuto;
    record->fragThreshold = kDefaultFragThreshold;
    record->rtsThreshold = kDefaultRtsThreshold;
    record->inPreferList = 1;
    record->hiddenSsid = 0;
    record->useDhcp = 0;
    if (entry.privacy() != 0) {
        record->authMode = security.authentication;
        record->encryption = static_cast<int32_t>(security.cipher);
    }
    return record;
}

JoinFollowUp FollowUpAfterConnect(int result, bool newRecord, const PROFILE_RECORD& record, const LinkState& link) {
    if (result == 0) return JoinFollowUp::kInsertAndMarkInUse;
    const bool sameNetwork = ProfileSsid(record) == link.ssid && record.networkType == link.networkType;
    if (result == 1 || result == 4) {
        if (!newRecord) return JoinFollowUp::kRebuild;
        const bool linked = link.connected || link.adHocStarted;
        if (linked && sameNetwork) return JoinFollowUp::kInsertMarkAndRebuild;
        return JoinFollowUp::kDiscardAndClearInUse;
    }
    // Any other result: a new record that was not kept must not stay in use.
    return newRecord ? JoinFollowUp::kDiscardAndClearInUse : JoinFollowUp::kNothing;
}

}  // namespace tembrel::survey
