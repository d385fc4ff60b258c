#include "profiles/ProfileOrder.h"

#include <algorithm>
#include <iterator>

namespace tembrel {

namespace {

bool IsInfrastructure(const ProfilePtr& p) { return p->networkType == ZARN9100_NETWORK_INFRASTRUCTURE; }
bool IsAdHoc(const ProfilePtr& p) { return p->networkType == ZARN9100_NETWORK_ADHOC; }

// The back-to-front bubbling. Infrastructure records only move forward and Ad-Hoc records only
// move back, each swap removing one out-of-order pair, so the walk ends.
void BubbleByNetworkType(ProfileSequence& records) {
    std::size_t i = records.size() - 1;
    while (i > 0) {
        if (IsInfrastructure(records[i])) {
            if (IsInfrastructure(records[i - 1]))
                --i;
            else
                std::swap(records[i], records[i - 1]);
        } else if (IsAdHoc(records[i])) {
            if (i == records.size() - 1 || IsAdHoc(records[i + 1])) {
                --i;
            } else {
                std::swap(records[i], records[i + 1]);
                ++i;
            }
        } else {
            --i;
        }
    }
}

}  // namespace

void SortProfilesByNetworkType(ProfileSequence& records) {
    if (records.size() < 2) return;
    // With only the two documented values the bubbling is exactly a stable partition, which
    // takes linear time instead of quadratic on a long imported list.
    const bool onlyKnownTypes = std::all_of(records.begin(), records.end(),
                                            [](const ProfilePtr& p) { return IsInfrastructure(p) || IsAdHoc(p); });
    if (onlyKnownTypes)
        std::stable_partition(records.begin(), records.end(), IsInfrastructure);
    else
        BubbleByNetworkType(records);
}

void MoveToHeadOfGroup(ProfileSequence& records, std::size_t index) {
    if (index >= records.size()) return;
    const auto it = records.begin() + static_cast<std::ptrdiff_t>(index);
    if (IsInfrastructure(*it)) {
        std::rotate(records.begin(), it, std::next(it));
    } else if (IsAdHoc(*it)) {
        ProfilePtr moving = std::move(*it);
        records.erase(it);
        const auto before = std::find_if(records.begin(), records.end(), [](const ProfilePtr& r) { return !IsInfrastructure(r); });
        records.insert(before, std::move(moving));
    }
}

bool CanStep(const ProfileSequence& records, std::size_t index, int direction) {
    if (index >= records.size()) return false;
    if (direction < 0) return index > 0 && !(IsAdHoc(records[index]) && IsInfrastructure(records[index - 1]));
    if (direction > 0)
        return index + 1 < records.size() && !(IsInfrastructure(records[index]) && IsAdHoc(records[index + 1]));
    return false;
}

}  // namespace tembrel
