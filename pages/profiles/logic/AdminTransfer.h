#pragma once
// The Admin page's import. Plain C++, no widgets.

#include <filesystem>
#include <string>

#include "profiles/ProfileList.h"
#include "profiles/StoreResult.h"

namespace tembrel {

// Reads `source` first, then appends its records to `list` and runs the import fix-up
// (network-type order, one "<Default>", new names for repeated names) on the whole list, in one
// step as seen from other threads. A damaged file gives the records read before the damage; a
// file that cannot be read at all, or damaged before its first record, leaves `list` untouched,
// and so does an import that would make the list longer than kMaxProfiles (ListFull).
StoreResult ImportProfileFile(const std::filesystem::path& source, ProfileList& list);

// The line the page shows under the file's path when the file was read only in part (damaged,
// or a read error midway): that it is damaged and how many profiles arrived. Empty when the file
// was read whole or could not be read at all.
std::string ImportDamageText(const StoreResult& imported);

}  // namespace tembrel
