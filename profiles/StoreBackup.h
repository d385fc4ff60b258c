#pragma once
// The copies of Data.cfg kept when it could not be read whole: "Data.cfg.bak" is the newest,
// "Data.cfg.bak.1" and on are older ones. A few are kept, so that a second accident does not take
// the profiles that only the first copy still holds.

#include <cstddef>
#include <filesystem>

#include "profiles/AtomicFile.h"
#include "profiles/StoreResult.h"

namespace tembrel {

inline constexpr std::size_t kKeptBackups = 4;

// "<real>.bak" for 0, "<real>.bak.<index>" for the older ones.
std::filesystem::path BackupPath(const std::filesystem::path& real, std::size_t index);

// Keeps the file `real` as BackupPath(real, 0), owner-only (mode 0600 at most). `real` itself is
// never moved, so a complete store exists at every instant: a hard link where the system allows
// one (its mode loses the group and other bits, the store's as well, which the save replaces
// anyway), else a copy. A file already kept (the newest backup is the same file, or holds the
// same bytes) is not kept twice. The backups already kept move up one number; when kKeptBackups
// are kept, the one from which the fewest profiles can be read gives way (the oldest of equals).
// keptAs names the backup; on failure nothing was replaced and `real` is untouched.
StoreResult KeepBackup(const std::filesystem::path& real, const FileOps& ops = FileOps::System());

}  // namespace tembrel
