#pragma once
// The Admin page's import, all or nothing. The store's reader keeps the records read before a
// damaged entry; an import must not, because the user could not tell which part of a backup
// arrived. Plain C++, no widgets.

#include <filesystem>

#include "profiles/ProfileList.h"
#include "profiles/StoreResult.h"

namespace tembrel {

// Reads every record of `source` first; only when the whole file was read are the records appended
// to `list` and the import fix-up (network-type order, one "<Default>", new names for repeated names)
// run on the whole list, in one step as seen from other threads. On any failure `list` is untouched.
StoreResult ImportWholeProfileFile(const std::filesystem::path& source, ProfileList& list);

}  // namespace tembrel
