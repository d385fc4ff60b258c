#include "profiles/ImportNormalize.h"

#include <algorithm>

#include "profiles/ProfileText.h"

namespace tembrel {

namespace {

constexpr std::size_t kNameCapacity = sizeof(PROFILE_RECORD::name) - 1;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Renaming {
    std::string name;
    // The plain rules only ever touch the last two digits and never need cutting; beyond that the
    // new name is additionally kept clear of every name in the list.
    bool beyondPlainRules = false;
};

Renaming Rename(std::string_view name) {
    std::size_t start = name.size();
    while (start > 0 && IsDigit(name[start - 1])) --start;
    std::string base(name.substr(0, start));
    std::string number(name.substr(start));
    Renaming out;
    if (number.empty()) {
        number.push_back('2');
    } else {
        out.beyondPlainRules = number.size() >= 2 && number.ends_with("99");
        std::size_t i = number.size();
        while (i > 0 && number[i - 1] == '9') number[--i] = '0';
        if (i == 0)
            number.insert(0, 1, '1');
        else
            ++number[i - 1];
    }
    if (base.size() + number.size() > kNameCapacity) {
        out.beyondPlainRules = true;
        if (number.size() >= kNameCapacity) {
            number.erase(0, number.size() - kNameCapacity);
            base.clear();
        } else {
            base.resize(CutLength(base, kNameCapacity - number.size()));
        }
    }
    out.name = base + number;
    return out;
}

bool NameInUse(const ProfileSequence& records, std::string_view name) {
    return std::any_of(records.begin(), records.end(), [&](const ProfilePtr& p) { return HasName(*p, name); });
}

std::string NewNameFor(std::string_view name, const ProfileSequence& records) {
    Renaming renaming = Rename(name);
    if (!renaming.beyondPlainRules) return renaming.name;
    // Each step raises the number; bounded, so that a name space crowded by the list cannot loop.
    for (std::size_t attempt = 0; attempt <= records.size() && NameInUse(records, renaming.name); ++attempt)
        renaming = Rename(renaming.name);
    return renaming.name;
}

}  // namespace

std::string NextProfileName(std::string_view name) { return Rename(name).name; }

std::string UniqueProfileName(std::string_view wanted, const ProfileSequence& records) {
    std::string name(wanted.substr(0, CutLength(wanted, kNameCapacity)));
    for (std::size_t attempt = 0; attempt <= records.size() && NameInUse(records, name); ++attempt)
        name = Rename(name).name;
    return name;
}

void NormalizeImportedProfiles(ProfileSequence& records) {
    SortProfilesByNetworkType(records);
    bool defaultSeen = false;
    std::size_t j = 0;
    while (j < records.size()) {
        if (IsDefaultProfile(*records[j])) {
            if (defaultSeen) {
                records.erase(records.begin() + static_cast<std::ptrdiff_t>(j));
                continue;
            }
            defaultSeen = true;
            ++j;
            continue;
        }
        const std::string name(ProfileName(*records[j]));
        for (std::size_t k = j + 1; k < records.size(); ++k)
            if (HasName(*records[k], name)) SetProfileName(*records[k], NewNameFor(name, records));
        ++j;
    }
}

void NormalizeImportedProfiles(ProfileList& list) {
    list.Edit([](ProfileSequence& records) { NormalizeImportedProfiles(records); });
}

bool AppendImportedProfiles(ProfileSequence& all, const ProfileSequence& imported) {
    // The fix-up only drops the "<Default>"s after the first, so the length is known before it runs.
    const auto isDefault = [](const ProfilePtr& p) { return IsDefaultProfile(*p); };
    const std::size_t defaults = static_cast<std::size_t>(std::count_if(all.begin(), all.end(), isDefault) +
                                                          std::count_if(imported.begin(), imported.end(), isDefault));
    if (all.size() + imported.size() - (defaults > 0 ? defaults - 1 : 0) > kMaxProfiles) return false;
    ProfileSequence joined;
    joined.reserve(all.size() + imported.size());
    joined.insert(joined.end(), all.begin(), all.end());
    joined.insert(joined.end(), imported.begin(), imported.end());
    NormalizeImportedProfiles(joined);
    all = std::move(joined);
    return true;
}

}  // namespace tembrel
