#include "pages/profiles/logic/AdminTransfer.h"

#include "profiles/ImportNormalize.h"
#include "profiles/ProfileStore.h"

namespace tembrel {

StoreResult ImportProfileFile(const std::filesystem::path& source, ProfileList& list) {
    ProfileList staged;
    StoreResult result = ReadProfileFile(source, staged);
    if (!result.ok() && result.records == 0) return result;
    const ProfileSequence records = staged.Snapshot();
    if (list.Edit([&](ProfileSequence& all) { return AppendImportedProfiles(all, records); })) return result;
    StoreResult full;
    full.status = StoreStatus::ListFull;
    // A file over the per-file bound was read only in part: its own count is the one to name.
    const std::size_t inFile = result.status == StoreStatus::TooManyRecords ? result.inFile : records.size();
    full.reason = source.string() + ": " + std::to_string(inFile) + " profiles would make the list longer than " +
                  std::to_string(kMaxProfiles);
    return full;
}

std::string ImportDamageText(const StoreResult& imported) {
    if (imported.status == StoreStatus::ListFull)
        return "The profile list cannot hold more than " + std::to_string(kMaxProfiles) + " profiles; no profile was imported.";
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
