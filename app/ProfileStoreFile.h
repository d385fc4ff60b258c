#pragma once
// The profile list's file, Data.cfg: read when the window is built, written at exit and at the
// end of the session. A store that could not be read whole at start-up is kept right away as
// Data.cfg.bak (older copies move up one number), and the user is told once what came back.
// Failures are also reported on stderr.

#include "profiles/StoreResult.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tembrel {

class ProfileList;

class ProfileStoreFile {
public:
    // Reads the file into `profiles` (a missing file is an empty list).
    ProfileStoreFile(std::string path, ProfileList& profiles);

    StoreResult save();
    // The list differs from what the last successful save wrote (a join that ended after Exit
    // saved inserted or moved a profile).
    bool changedSinceSave() const;
    const std::string& path() const { return path_; }
    // For the window to show once: what a start-up with a store not read whole brought back and
    // where the file as it was is kept. Empty when the store was read whole or was missing.
    const std::string& startNotice() const { return startNotice_; }

private:
    std::uint64_t digest() const;

    std::string path_;
    ProfileList& profiles_;
    std::optional<std::uint64_t> saved_;  // the digest of the list as the last save wrote it
    // The file was not read whole, and no copy of it could be kept yet: the save tries again.
    bool keepAtSave_ = false;
    std::string startNotice_;
};

}  // namespace tembrel
