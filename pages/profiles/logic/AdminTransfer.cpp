#include "pages/profiles/logic/AdminTransfer.h"

#include "profiles/ImportNormalize.h"
#include "profiles/ProfileStore.h"

namespace tembrel {

StoreResult ImportProfileFile(const std::filesystem::path& source, ProfileList& list) {
    ProfileList staged;
    StoreResult result = ReadProfileFile(source, staged);
    if (!result.ok() && result.records == 0) return result;
    const ProfileSequence records = staged.Snapshot();
    list.Edit([&](ProfileSequence& all) {
        all.insert(all.end(), records.begin(), records.end());
        NormalizeImportedProfiles(all);
    });
    return result;
}

std::string ImportDamageText(const StoreResult& imported) {
    switch (imported.status) {
        case StoreStatus::Truncated:
        case StoreStatus::TooManyRecords:
        case StoreStatus::PartlyRead:
        case StoreStatus::ReadFailed:
            break;
        default:
            return {};
    }
    if (imported.records == 0) return "The file is damaged; no profile was imported.";
    if (imported.records == 1) return "The file is damaged; 1 profile was imported.";
    return "The file is damaged; " + std::to_string(imported.records) + " profiles were imported.";
}

}  // namespace tembrel
