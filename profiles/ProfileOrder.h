#pragma once
// The order of the profile list, for every caller in one place: Infrastructure profiles ahead of
// Ad-Hoc ones, the profile put in use leading its group, and single steps that never break the
// first rule. ProfileList applies these under its lock; the import applies the sort to the
// records it reads.

#include <cstddef>
#include <vector>

#include "profiles/ProfileDefaults.h"

namespace tembrel {

using ProfileSequence = std::vector<ProfilePtr>;

// Infrastructure records (networkType 1) before Ad-Hoc records (networkType 0), each group in its
// previous order. Records with another networkType end where the back-to-front bubbling leaves them.
void SortProfilesByNetworkType(ProfileSequence& records);

// The record at `index` leads its group: Infrastructure to the head of the list, Ad-Hoc to just
// before the first record that is not Infrastructure (the end when there is none). Other network
// types stay. So Infrastructure profiles lead, most recently used first, and Ad-Hoc ones follow.
void MoveToHeadOfGroup(ProfileSequence& records, std::size_t index);

// Whether the record at `index` may exchange places with its neighbour above (-1) or below (+1):
// not past either end, and never an Ad-Hoc record ahead of an Infrastructure one.
bool CanStep(const ProfileSequence& records, std::size_t index, int direction);

}  // namespace tembrel
