#include "pages/survey/logic/SurveyJoin.h"

#include "profiles/ImportNormalize.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "survey/ChannelPlan.h"

#include <cstddef>
#include <cstring>

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

bool JoinRefused(int result, const PROFILE_RECORD& record, const LinkState& link) {
    const bool sameNetwork = ProfileSsid(record) == link.ssid && record.networkType == link.networkType;
    return result != 0 && !((link.connected || link.adHocStarted) && sameNetwork);
}

namespace {

struct Span {
    size_t offset;
    size_t size;
};

// Byte ranges of the record that make up its security, each a run of whole fields.
constexpr Span kPassphrase{offsetof(PROFILE_RECORD, passphrase),
                           offsetof(PROFILE_RECORD, reserved2) - offsetof(PROFILE_RECORD, passphrase)};
constexpr Span kWep{offsetof(PROFILE_RECORD, wep), sizeof(WEP_KEY_SET)};
constexpr Span kSecurity[] = {
    {offsetof(PROFILE_RECORD, encryption), offsetof(PROFILE_RECORD, wep) - offsetof(PROFILE_RECORD, encryption)},
    kWep,
    kPassphrase,
    {offsetof(PROFILE_RECORD, loginName), offsetof(PROFILE_RECORD, reserved3) - offsetof(PROFILE_RECORD, loginName)},
    {offsetof(PROFILE_RECORD, certificateHash), sizeof(PROFILE_RECORD::certificateHash)},
    {offsetof(PROFILE_RECORD, anonymousName), sizeof(PROFILE_RECORD::anonymousName)},
};

bool Differ(const PROFILE_RECORD& a, const PROFILE_RECORD& b, Span span) {
    return std::memcmp(reinterpret_cast<const char*>(&a) + span.offset, reinterpret_cast<const char*>(&b) + span.offset,
                       span.size) != 0;
}

}  // namespace

std::optional<std::string> KeepPreviousSecurity(PROFILE_RECORD& record, const PROFILE_RECORD& before) {
    bool changed = false;
    for (const Span& span : kSecurity) changed = changed || Differ(record, before, span);
    if (!changed) return std::nullopt;
    const char* what = Differ(record, before, kPassphrase) ? "passphrase"
                       : Differ(record, before, kWep)      ? "WEP keys"
                                                           : "security settings";
    for (const Span& span : kSecurity)
        std::memcpy(reinterpret_cast<char*>(&record) + span.offset,
                    reinterpret_cast<const char*>(&before) + span.offset, span.size);
    return std::string(ProfileName(record)) + " keeps its previous " + what;
}

}  // namespace tembrel::survey
