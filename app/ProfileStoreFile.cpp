#include "app/ProfileStoreFile.h"

#include "profiles/ProfileStore.h"

#include <cstdio>

namespace tembrel {

ProfileStoreFile::ProfileStoreFile(std::string path, ProfileList& profiles)
    : path_(std::move(path)), profiles_(profiles) {
    const StoreResult loaded = LoadProfiles(path_, profiles_);
    keepAtSave_ = NotReadWhole(loaded);
    if (!loaded && loaded.status != StoreStatus::NotFound)
        std::fprintf(stderr, "Tembrel: %s: %s\n", path_.c_str(), loaded.reason.c_str());
}

StoreResult ProfileStoreFile::save() {
    StoreResult saved = SaveProfiles(path_, profiles_, keepAtSave_);
    if (saved) keepAtSave_ = false;
    if (!saved)
        std::fprintf(stderr, "Tembrel: cannot save %s: %s\n", path_.c_str(), saved.reason.c_str());
    else if (!saved.keptAs.empty())
        std::fprintf(stderr, "Tembrel: %s could not be read whole; the previous file is kept as %s\n", path_.c_str(),
                     saved.keptAs.c_str());
    return saved;
}

}  // namespace tembrel
