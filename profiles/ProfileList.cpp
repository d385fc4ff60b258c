#include "profiles/ProfileList.h"

#include <algorithm>

#include "profiles/ProfileText.h"

namespace tembrel {

ProfileList::ProfileList(ProfileSequence records) : records_(std::move(records)) {
    std::erase(records_, nullptr);
}

ProfileList::DropNullsOnExit::~DropNullsOnExit() { std::erase(records, nullptr); }

std::size_t ProfileList::Count() const {
    std::lock_guard lock(mutex_);
    return records_.size();
}

bool ProfileList::Empty() const { return Count() == 0; }

ProfilePtr ProfileList::At(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return index < records_.size() ? records_[index] : nullptr;
}

bool ProfileList::Append(ProfilePtr record) {
    if (!record) return false;
    std::lock_guard lock(mutex_);
    if (records_.size() >= kMaxProfiles) return false;
    records_.push_back(std::move(record));
    return true;
}

bool ProfileList::Insert(std::size_t index, ProfilePtr record) {
    if (!record) return false;
    std::lock_guard lock(mutex_);
    if (index > records_.size() || records_.size() >= kMaxProfiles) return false;
    records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(index), std::move(record));
    return true;
}

ProfilePtr ProfileList::RemoveAt(std::size_t index) {
    std::lock_guard lock(mutex_);
    if (index >= records_.size()) return nullptr;
    ProfilePtr removed = std::move(records_[index]);
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
    return removed;
}

bool ProfileList::Remove(const PROFILE_RECORD* record) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(records_.begin(), records_.end(), [&](const ProfilePtr& p) { return p.get() == record; });
    if (it == records_.end()) return false;
    records_.erase(it);
    return true;
}

bool ProfileList::ReplaceAt(std::size_t index, ProfilePtr record) {
    if (!record) return false;
    std::lock_guard lock(mutex_);
    if (index >= records_.size()) return false;
    records_[index] = std::move(record);
    return true;
}

void ProfileList::Clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
}

void ProfileList::Assign(ProfileSequence records) {
    std::erase(records, nullptr);
    std::lock_guard lock(mutex_);
    records_.swap(records);
}

std::optional<std::size_t> ProfileList::IndexOfName(std::string_view name) const {
    std::lock_guard lock(mutex_);
    return tembrel::IndexOfName(records_, name);
}

ProfilePtr ProfileList::FindByName(std::string_view name) const {
    std::lock_guard lock(mutex_);
    const auto index = tembrel::IndexOfName(records_, name);
    return index ? records_[*index] : nullptr;
}

std::optional<std::size_t> ProfileList::IndexOf(const PROFILE_RECORD* record) const {
    std::lock_guard lock(mutex_);
    return IndexOfRecord(records_, record);
}

namespace {

bool MoveEntry(ProfileSequence& records, std::size_t from, std::size_t to) {
    if (from >= records.size() || to >= records.size()) return false;
    const auto first = records.begin();
    if (from < to)
        std::rotate(first + static_cast<std::ptrdiff_t>(from), first + static_cast<std::ptrdiff_t>(from) + 1,
                    first + static_cast<std::ptrdiff_t>(to) + 1);
    else if (to < from)
        std::rotate(first + static_cast<std::ptrdiff_t>(to), first + static_cast<std::ptrdiff_t>(from),
                    first + static_cast<std::ptrdiff_t>(from) + 1);
    return true;
}

}  // namespace

bool ProfileList::Move(std::size_t from, std::size_t to) {
    std::lock_guard lock(mutex_);
    return MoveEntry(records_, from, to);
}

bool ProfileList::MoveRecord(const PROFILE_RECORD* record, std::size_t to) {
    std::lock_guard lock(mutex_);
    const auto index = IndexOfRecord(records_, record);
    return index && MoveEntry(records_, *index, to);
}

void ProfileList::SortByNetworkType() {
    std::lock_guard lock(mutex_);
    SortProfilesByNetworkType(records_);
}

bool ProfileList::MoveToHeadOfGroup(const PROFILE_RECORD* record) {
    std::lock_guard lock(mutex_);
    const auto index = IndexOfRecord(records_, record);
    if (!index) return false;
    tembrel::MoveToHeadOfGroup(records_, *index);
    return true;
}

bool ProfileList::Step(const PROFILE_RECORD* record, int direction) {
    std::lock_guard lock(mutex_);
    const auto index = IndexOfRecord(records_, record);
    if (!index || !CanStep(records_, *index, direction)) return false;
    std::swap(records_[*index], records_[direction < 0 ? *index - 1 : *index + 1]);
    return true;
}

ProfileSequence ProfileList::Snapshot() const {
    std::lock_guard lock(mutex_);
    return records_;
}

std::optional<std::size_t> IndexOfName(const ProfileSequence& records, std::string_view name) {
    for (std::size_t i = 0; i < records.size(); ++i)
        if (HasName(*records[i], name)) return i;
    return std::nullopt;
}

std::optional<std::size_t> IndexOfRecord(const ProfileSequence& records, const PROFILE_RECORD* record) {
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].get() == record) return i;
    return std::nullopt;
}

}  // namespace tembrel
