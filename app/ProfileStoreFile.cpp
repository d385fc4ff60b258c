#include "app/ProfileStoreFile.h"

#include "profiles/ProfileList.h"
#include "profiles/ProfileStore.h"

#include <cstdio>
#include <cstring>

namespace tembrel {

ProfileStoreFile::ProfileStoreFile(std::string path, ProfileList& profiles)
    : path_(std::move(path)), profiles_(profiles) {
    const StoreResult loaded = LoadProfiles(path_, profiles_);
    keepAtSave_ = NotReadWhole(loaded);
    if (!loaded && loaded.status != StoreStatus::NotFound)
        std::fprintf(stderr, "Tembrel: %s: %s\n", path_.c_str(), loaded.reason.c_str());
}

StoreResult ProfileStoreFile::save() {
    std::vector<PROFILE_RECORD> writing = contents();
    StoreResult saved = SaveProfiles(path_, profiles_, keepAtSave_);
    if (saved) {
        keepAtSave_ = false;
        saved_ = std::move(writing);
    }
    if (!saved)
        std::fprintf(stderr, "Tembrel: cannot save %s: %s\n", path_.c_str(), saved.reason.c_str());
    else if (!saved.keptAs.empty())
        std::fprintf(stderr, "Tembrel: %s could not be read whole; the previous file is kept as %s\n", path_.c_str(),
                     saved.keptAs.c_str());
    return saved;
}

std::vector<PROFILE_RECORD> ProfileStoreFile::contents() const {
    return profiles_.Read([](const ProfileSequence& records) {
        std::vector<PROFILE_RECORD> out;
        out.reserve(records.size());
        for (const auto& record : records) out.push_back(*record);
        return out;
    });
}

bool ProfileStoreFile::changedSinceSave() const {
    if (!saved_) return false;  // never saved: nothing was promised to the store
    const std::vector<PROFILE_RECORD> now = contents();
    return now.size() != saved_->size() ||
           std::memcmp(now.data(), saved_->data(), now.size() * sizeof(PROFILE_RECORD)) != 0;
}

}  // namespace tembrel
