#include "app/ProfileStoreFile.h"

#include "profiles/ProfileList.h"
#include "profiles/ProfileStore.h"

#include <cstdio>
#include <cstdint>

namespace tembrel {

namespace {

std::string Profiles(std::size_t n) { return n == 1 ? "1 profile" : std::to_string(n) + " profiles"; }

std::string StartNotice(const std::string& path, const StoreResult& loaded, const StoreResult& kept) {
    std::string text = path + " could not be read whole (" + loaded.reason + ").\n" + Profiles(loaded.records) +
                       (loaded.records == 1 ? " was" : " were") + " recovered";
    if (loaded.damaged > 0) text += "; " + Profiles(loaded.damaged) + " damaged beyond recovery " +
                                    (loaded.damaged == 1 ? "was" : "were") + " left out";
    text += ".\n";
    if (kept.ok())
        text += "The file as it was is kept as " + kept.keptAs +
                "; the profiles it still holds can be brought back with Import Profiles on the Admin page.";
    else
        text += "The file as it was could not be kept (" + kept.reason + "); it is kept when the profiles are saved.";
    return text;
}

}  // namespace

ProfileStoreFile::ProfileStoreFile(std::string path, ProfileList& profiles)
    : path_(std::move(path)), profiles_(profiles) {
    const StoreResult loaded = LoadProfiles(path_, profiles_);
    if (!loaded && loaded.status != StoreStatus::NotFound)
        std::fprintf(stderr, "Tembrel: %s: %s\n", path_.c_str(), loaded.reason.c_str());
    if (!NotReadWhole(loaded)) return;
    // Kept now, before anything can write the store: the copy is the file as this start found it.
    const StoreResult kept = KeepStoreBackup(path_);
    keepAtSave_ = !kept.ok();
    if (kept)
        std::fprintf(stderr, "Tembrel: %s could not be read whole; the previous file is kept as %s\n", path_.c_str(),
                     kept.keptAs.c_str());
    else
        std::fprintf(stderr, "Tembrel: cannot keep a copy of %s: %s\n", path_.c_str(), kept.reason.c_str());
    startNotice_ = StartNotice(path_, loaded, kept);
}

StoreResult ProfileStoreFile::save() {
    const std::uint64_t writing = digest();
    StoreResult saved = SaveProfiles(path_, profiles_, keepAtSave_);
    if (saved) {
        keepAtSave_ = false;
        saved_ = writing;
    }
    if (!saved)
        std::fprintf(stderr, "Tembrel: cannot save %s: %s\n", path_.c_str(), saved.reason.c_str());
    else if (!saved.keptAs.empty())
        std::fprintf(stderr, "Tembrel: %s could not be read whole; the previous file is kept as %s\n", path_.c_str(),
                     saved.keptAs.c_str());
    return saved;
}

// A digest (FNV-1a over the records' bytes) rather than a copy: a store of 65,536 records would
// otherwise be held twice.
std::uint64_t ProfileStoreFile::digest() const {
    return profiles_.Read([](const ProfileSequence& records) {
        std::uint64_t hash = 14695981039346656037ull;
        for (const auto& record : records) {
            const auto* bytes = reinterpret_cast<const unsigned char*>(record.get());
            for (std::size_t i = 0; i < sizeof(PROFILE_RECORD); ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
        }
        return hash ^ records.size();
    });
}

bool ProfileStoreFile::changedSinceSave() const {
    if (!saved_) return false;  // never saved: nothing was promised to the store
    return digest() != *saved_;
}

}  // namespace tembrel
