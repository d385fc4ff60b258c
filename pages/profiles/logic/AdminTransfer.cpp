#include "pages/profiles/logic/AdminTransfer.h"

#include "profiles/ImportNormalize.h"
#include "profiles/ProfileStore.h"

namespace tembrel {

StoreResult ImportWholeProfileFile(const std::filesystem::path& source, ProfileList& list) {
    ProfileList staged;
    StoreResult result = ReadProfileFile(source, staged);
    if (!result.ok()) {
        result.records = 0;
        return result;
    }
    const ProfileSequence records = staged.Snapshot();
    list.Edit([&](ProfileSequence& all) {
        all.insert(all.end(), records.begin(), records.end());
        NormalizeImportedProfiles(all);
    });
    return result;
}

}  // namespace tembrel
