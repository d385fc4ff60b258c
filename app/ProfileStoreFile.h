#pragma once
// The profile list's file, Data.cfg: read when the window is built, written at exit and at the
// end of the session. A store that could not be read whole at start-up is kept as Data.cfg.bak
// by the first save that succeeds. Failures are reported on stderr.

#include "profiles/ProfileRecord.h"
#include "profiles/StoreResult.h"

#include <optional>
#include <string>
#include <vector>

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

private:
    std::vector<PROFILE_RECORD> contents() const;

    std::string path_;
    ProfileList& profiles_;
    std::optional<std::vector<PROFILE_RECORD>> saved_;  // the list as the last save wrote it
    // The file was not read whole, and no save has kept it as Data.cfg.bak yet.
    bool keepAtSave_ = false;
};

}  // namespace tembrel
