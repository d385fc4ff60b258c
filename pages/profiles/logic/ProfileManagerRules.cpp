#include "pages/profiles/logic/ProfileManagerRules.h"

#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"

#include <algorithm>
#include <cctype>

namespace tembrel::profile_manager {

namespace {

bool IsAnyText(std::string_view ssid) {
    return ssid.size() == 3 && std::tolower(static_cast<unsigned char>(ssid[0])) == 'a' &&
           std::tolower(static_cast<unsigned char>(ssid[1])) == 'n' &&
           std::tolower(static_cast<unsigned char>(ssid[2])) == 'y';
}

}  // namespace

bool ShowsInUse(const PROFILE_RECORD& record, bool isProfileInUse, const ConnectionSnapshot& snapshot) {
    if (!isProfileInUse || !LinkExists(snapshot)) return false;
    const std::string_view ssid = ProfileSsid(record);
    if (ssid == kAnySsid || IsAnyText(ssid)) return true;
    return ssid == snapshot.ssid() && record.networkType == snapshot.currentNetworkMode;
}

ButtonStates ButtonsFor(const ProfileSequence& records, std::optional<std::size_t> index,
                        const ProfilePtr& profileInUse, bool linkExists) {
    ButtonStates states;
    if (!index || *index >= records.size()) return states;
    const std::size_t i = *index;
    const PROFILE_RECORD& record = *records[i];
    states = {true, true, true, true, true};
    if (IsDefaultProfile(record)) {
        states.remove = false;
        states.pane = false;
    }
    if (linkExists && records[i] == profileInUse) states.remove = false;
    states.moveUp = CanStep(records, i, -1);
    states.moveDown = CanStep(records, i, +1);
    return states;
}

std::vector<ListRow> ListRows(const ProfileList& list) {
    return list.Read([](const ProfileSequence& records) {
        std::vector<ListRow> rows;
        rows.reserve(records.size());
        for (const auto& record : records) rows.push_back({record, *record});
        return rows;
    });
}

void SetAllPreferred(ProfileList& list, bool preferred) {
    list.Edit([&](ProfileSequence& records) {
        for (auto& record : records) record->inPreferList = preferred ? 1 : 0;
    });
}

bool SetPreferred(ProfileList& list, const PROFILE_RECORD* record, bool preferred) {
    return list.Edit([&](ProfileSequence& records) {
        const auto index = IndexOfRecord(records, record);
        if (!index) return false;
        records[*index]->inPreferList = preferred ? 1 : 0;
        return true;
    });
}

}  // namespace tembrel::profile_manager
