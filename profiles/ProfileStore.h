#pragma once
// Reading and writing profile files: Data.cfg at start-up and exit, export and import files from the
// Admin page. The caller decides where Data.cfg lives and passes its path in. Every function reports
// what happened; none shows anything to the user.

#include <filesystem>

#include "profiles/AtomicFile.h"
#include "profiles/ProfileList.h"
#include "profiles/StoreResult.h"

namespace tembrel {

// True when both paths name the same file: the same inode when both exist, otherwise the same
// canonical path. Paths are compared as they are (case-sensitive).
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Appends the records of the file at `path` to the end of `list`, in file order. Records read before
// a damaged entry are appended too; the result says what went wrong.
StoreResult ReadProfileFile(const std::filesystem::path& path, ProfileList& list);

// Replaces the file at `path` with the whole list. Unless `path` is the Data.cfg file itself,
// "<Default>" and "<Site Survey>" are left out. On failure the previous file is intact. A read-only
// file is not replaced. A Data.cfg that exists but cannot be read whole (no read permission, over
// the size bound, damaged) is first kept as "Data.cfg.bak" (KeepBackup: older copies move up one
// number, a few are kept); the result's keptAs names it. Data.cfg is never moved.
StoreResult WriteProfileFile(const std::filesystem::path& path, const ProfileList& list,
                             const std::filesystem::path& dataCfgPath, const FileOps& ops = FileOps::System());

// Start-up: reads Data.cfg, then makes sure a "<Default>" leads the Ad-Hoc records. The list always
// ends up with the default profile; the result tells how the reading went (NotFound on a first run).
// A full file without a default loses its last profile to it (TooManyRecords).
StoreResult LoadProfiles(const std::filesystem::path& dataCfgPath, ProfileList& list);

// True for a LoadProfiles result that found a Data.cfg it could not read whole (anything but a
// missing file or a folder in its place).
bool NotReadWhole(const StoreResult& loaded);

// Start-up, for a Data.cfg that could not be read whole: keeps it as it is now (KeepBackup),
// following a symbolic link to the store itself. keptAs names the copy.
StoreResult KeepStoreBackup(const std::filesystem::path& dataCfgPath, const FileOps& ops = FileOps::System());

// Exit: writes the list, built-in profiles included, to Data.cfg. With `keepPrevious` (pass
// NotReadWhole of the start-up load) the file is kept as Data.cfg.bak first, even when it reads
// whole by now: the copy is taken from the file as it was at start-up, not from an earlier save
// of this run. A list of more than kMaxProfiles records is refused.
StoreResult SaveProfiles(const std::filesystem::path& dataCfgPath, const ProfileList& list, bool keepPrevious = false,
                         const FileOps& ops = FileOps::System());

// The Admin page's "Export Profiles": the list without the built-in profiles, unless the chosen
// file is Data.cfg itself.
StoreResult ExportProfiles(const std::filesystem::path& target, const ProfileList& list,
                           const std::filesystem::path& dataCfgPath, const FileOps& ops = FileOps::System());

// The Admin page's "Import Profiles": appends the file's records and runs NormalizeImportedProfiles
// on the whole list, in one step as seen from other threads. ListFull, with the list unchanged,
// when the result would be longer than kMaxProfiles.
StoreResult ImportProfiles(const std::filesystem::path& source, ProfileList& list);

// LoadProfiles' guarantee: unless a "<Default>" is met while walking the leading records whose
// networkType is not 0, a new default profile is inserted where that walk stops.
void EnsureDefaultProfile(ProfileSequence& records);

}  // namespace tembrel
