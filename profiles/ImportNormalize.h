#pragma once
// The fix-up after an import: network-type order, a single "<Default>", and a new name for every
// later record that repeats an earlier record's name.

#include <string>
#include <string_view>

#include "profiles/ProfileList.h"

namespace tembrel {

// The name a later duplicate of `name` gets: the number at the end of the name goes up by one
// (Net1 -> Net2, Net19 -> Net20, Home9 -> Home10, A99 -> A100); a name without one gains a 2
// (Home -> Home2). When the result would not fit the 39-character field, the part before the number
// is cut (at a character boundary) so that it does.
std::string NextProfileName(std::string_view name);

// `wanted` (cut to the 39-byte field) renamed with NextProfileName until no record of `records`
// carries it. Bounded: at most one renaming per record, so a crowded list cannot loop forever.
std::string UniqueProfileName(std::string_view wanted, const ProfileSequence& records);

void NormalizeImportedProfiles(ProfileSequence& records);
void NormalizeImportedProfiles(ProfileList& list);

// The import's step on the list: appends `imported` to `all` and runs the fix-up. False, with `all`
// as it was, when the result would hold more than kMaxProfiles.
bool AppendImportedProfiles(ProfileSequence& all, const ProfileSequence& imported);

}  // namespace tembrel
