#pragma once
// The ordered list of profiles owned by the main window. The user-interface thread edits it while
// the connection supervisor walks it, so the sequence sits behind a mutex and the records are
// shared: a record removed on one thread stays alive for a thread that still holds it.
//
// Records are shared between threads: change a record's fields only inside Edit() (or replace it
// with an edited copy through ReplaceAt), and read fields of a record another thread may change
// inside Read()/Edit() or from a copy.

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileOrder.h"

namespace tembrel {

// The most profiles the list keeps and a profile file holds: the writer never makes a file the
// reader refuses in part.
inline constexpr std::size_t kMaxProfiles = 65536;
// What the user is told when a new profile does not fit.
inline std::string ProfileListFullText() {
    return "The profile list is full: it holds at most " + std::to_string(kMaxProfiles) + " profiles.";
}

class ProfileList {
public:
    ProfileList() = default;
    explicit ProfileList(ProfileSequence records);
    ProfileList(const ProfileList&) = delete;
    ProfileList& operator=(const ProfileList&) = delete;

    std::size_t Count() const;
    bool Empty() const;
    // Null when `index` is out of range.
    ProfilePtr At(std::size_t index) const;

    // Null records are refused (false); the list never holds one. So is a record beyond kMaxProfiles.
    bool Append(ProfilePtr record);
    // `index` may equal Count() (append); false when it is larger, or when the list is full.
    bool Insert(std::size_t index, ProfilePtr record);
    // The removed record (the entries behind it close up), or null when `index` is out of range.
    ProfilePtr RemoveAt(std::size_t index);
    // Removes the entry holding exactly this record; false when it is not in the list.
    bool Remove(const PROFILE_RECORD* record);
    // Puts `record` in place of the entry at `index`; false for null or an index out of range.
    bool ReplaceAt(std::size_t index, ProfilePtr record);
    void Clear();
    // Replaces the whole sequence (null entries are dropped).
    void Assign(ProfileSequence records);

    // First record whose name equals `name` byte for byte.
    std::optional<std::size_t> IndexOfName(std::string_view name) const;
    ProfilePtr FindByName(std::string_view name) const;
    // Position of this very record (pointer identity).
    std::optional<std::size_t> IndexOf(const PROFILE_RECORD* record) const;

    // Takes the entry at `from` out and inserts it so that it ends up at `to` (both < Count()).
    bool Move(std::size_t from, std::size_t to);
    // The same, finding the entry by record identity; false when the record is not in the list.
    bool MoveRecord(const PROFILE_RECORD* record, std::size_t to);

    // The order rules of ProfileOrder.h, each one change under the lock. Records are found by
    // identity: another thread may have moved them since the caller looked.
    // Infrastructure ahead of Ad-Hoc, each group keeping its order (after a create, save or apply).
    void SortByNetworkType();
    // The profile just put in use leads its network-type group; false when it is not in the list.
    bool MoveToHeadOfGroup(const PROFILE_RECORD* record);
    // Exchanges the record with its neighbour above (-1) or below (+1); false when it is gone or
    // CanStep refuses the step.
    bool Step(const PROFILE_RECORD* record, int direction);

    // A copy of the sequence for iterating without holding the lock.
    ProfileSequence Snapshot() const;

    // Runs `f(ProfileSequence&)` under the lock, for compound changes that must not interleave
    // with another thread. `f` must not call back into this list. Null entries it leaves are dropped.
    template <class F>
    decltype(auto) Edit(F&& f) {
        std::lock_guard lock(mutex_);
        DropNullsOnExit guard{records_};
        return std::forward<F>(f)(records_);
    }

    // Runs `f(const ProfileSequence&)` under the lock.
    template <class F>
    decltype(auto) Read(F&& f) const {
        std::lock_guard lock(mutex_);
        return std::forward<F>(f)(static_cast<const ProfileSequence&>(records_));
    }

private:
    struct DropNullsOnExit {
        ProfileSequence& records;
        ~DropNullsOnExit();
    };

    mutable std::mutex mutex_;
    ProfileSequence records_;
};

std::optional<std::size_t> IndexOfName(const ProfileSequence& records, std::string_view name);
// Position of this very record (pointer identity).
std::optional<std::size_t> IndexOfRecord(const ProfileSequence& records, const PROFILE_RECORD* record);

}  // namespace tembrel
