#include "profiles/ProfileStore.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iterator>
#include <system_error>
#include <vector>

#include "profiles/ImportNormalize.h"
#include "profiles/InputFile.h"
#include "profiles/ProfileFileFormat.h"
#include "profiles/StoreBackup.h"

namespace tembrel {

namespace {

// Reads and parses a profile file into `out`; `out` keeps the records before any damage.
StoreResult ReadRecords(const std::filesystem::path& path, ProfileSequence& out) {
    InputFile file;
    StoreResult opened = InputFile::Open(path, kMaxProfileFileBytes, file);
    if (!opened.ok()) return opened;
    const std::size_t before = out.size();
    if (ReadUniformProfileFile(file, out)) {
        opened.records = out.size() - before;
        return opened;
    }
    FileImage image;
    StoreResult read = file.ReadAll(image);
    StoreResult parsed = ParseProfileFile(image.bytes(), out);
    if (!read.ok()) {
        read.records = parsed.records;
        return read;
    }
    if (!parsed.ok()) parsed.reason = path.string() + ": " + parsed.reason;
    return parsed;
}

StoreResult WriteFailure(std::string reason) {
    StoreResult result;
    result.status = StoreStatus::WriteFailed;
    result.reason = std::move(reason);
    return result;
}

// True when Data.cfg exists as a file but cannot be read whole now (no read permission, over the
// size bound, damaged): the list in memory may then lack profiles that only that file holds.
bool StoreNotReadableWhole(const std::filesystem::path& dataCfg) {
    ProfileSequence probe;
    return NotReadWhole(ReadRecords(dataCfg, probe));
}

// True when `tail` is `word` followed by `count` characters (any number when 0) that `allowed` takes.
bool NamedLike(std::string_view tail, std::string_view word, std::size_t count, int (*allowed)(int)) {
    if (tail.substr(0, word.size()) != word) return false;
    tail.remove_prefix(word.size());
    if (tail.empty() || (count != 0 && tail.size() != count)) return false;
    return std::all_of(tail.begin(), tail.end(), [allowed](char c) { return allowed(static_cast<unsigned char>(c)) != 0; });
}

// A save killed before its rename leaves its temporary file behind, holding secrets, and one
// killed while keeping a copy leaves the copy's staging link. Only one copy of the program saves
// Data.cfg, so any such file is stale by the time the next save starts. Only the program's own
// names are taken (OwnTemporaryPrefix, then "save-" and six letters or digits, or "bak-" and a
// process id): a user's ".Data.cfg.backup" stays.
void RemoveStaleTemporaries(const std::filesystem::path& real) {
    const std::string prefix = OwnTemporaryPrefix(real);
    std::filesystem::path folder = real.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string_view tail = std::string_view(name).substr(prefix.size());
        const bool own = NamedLike(tail, "save-", 6, std::isalnum) || NamedLike(tail, "bak-", 0, std::isdigit);
        std::error_code typeError;
        if (own && it->symlink_status(typeError).type() == std::filesystem::file_type::regular)
            ::unlink(it->path().c_str());
    }
}

void AppendAll(ProfileSequence& all, ProfileSequence& records) {
    all.insert(all.end(), std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()));
}

StoreResult ListFull(const StoreResult& read) {
    StoreResult result;
    result.status = StoreStatus::ListFull;
    const std::size_t count = read.status == StoreStatus::TooManyRecords ? read.inFile : read.records;
    result.reason = count == 1 ? "1 profile" : std::to_string(count) + " profiles";
    result.reason += " would make the list longer than " + std::to_string(kMaxProfiles) + " profiles; none was imported";
    return result;
}

}  // namespace

bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    if (std::filesystem::exists(a, ec) && std::filesystem::exists(b, ec)) {
        const bool same = std::filesystem::equivalent(a, b, ec);
        if (!ec) return same;
    }
    std::error_code ecA, ecB;
    const auto canonicalA = std::filesystem::weakly_canonical(std::filesystem::absolute(a, ecA), ecA);
    const auto canonicalB = std::filesystem::weakly_canonical(std::filesystem::absolute(b, ecB), ecB);
    if (ecA || ecB) return a.lexically_normal() == b.lexically_normal();
    return canonicalA == canonicalB;
}

StoreResult ReadProfileFile(const std::filesystem::path& path, ProfileList& list) {
    ProfileSequence records;
    StoreResult result = ReadRecords(path, records);
    list.Edit([&](ProfileSequence& all) { AppendAll(all, records); });
    return result;
}

namespace {

bool IsRegularFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec));
}

StoreResult WriteProfiles(const std::filesystem::path& path, const ProfileList& list,
                          const std::filesystem::path& dataCfgPath, bool keepPrevious, const FileOps& ops) {
    const bool includeBuiltIns = IsSameFile(path, dataCfgPath);
    const SerializedProfiles image =
        list.Read([&](const ProfileSequence& records) { return SerializeProfiles(records, includeBuiltIns); });
    if (image.records > kMaxRecordsPerFile)
        return WriteFailure(path.string() + ": " + std::to_string(image.records) + " profiles; a profile file holds at most " +
                            std::to_string(kMaxRecordsPerFile));
    const std::optional<std::filesystem::path> resolved = ReplacedFile(path);
    if (!resolved) return WriteFailure(path.string() + ": the symbolic links loop");
    const std::filesystem::path& real = *resolved;
    std::string kept;
    if (includeBuiltIns) RemoveStaleTemporaries(real);
    if (includeBuiltIns && ((keepPrevious && IsRegularFile(real)) || StoreNotReadableWhole(real))) {
        if (StoreResult replaceable = CheckReplaceable(real); !replaceable.ok()) return replaceable;
        StoreResult backup = KeepBackup(real, ops);
        if (!backup.ok()) return backup;
        kept = backup.keptAs;
    }
    StoreResult result = WriteFileAtomically(real, image.bytes, ops);
    if (!result.ok()) return result;
    result.records = image.records;
    result.keptAs = kept;
    return result;
}

}  // namespace

StoreResult WriteProfileFile(const std::filesystem::path& path, const ProfileList& list,
                             const std::filesystem::path& dataCfgPath, const FileOps& ops) {
    return WriteProfiles(path, list, dataCfgPath, false, ops);
}

bool NotReadWhole(const StoreResult& loaded) {
    return !loaded.ok() && loaded.status != StoreStatus::NotFound && loaded.status != StoreStatus::NotARegularFile;
}

void EnsureDefaultProfile(ProfileSequence& records) {
    std::size_t i = 0;
    for (; i < records.size() && records[i]->networkType != ZARN9100_NETWORK_ADHOC; ++i)
        if (IsDefaultProfile(*records[i])) return;
    records.insert(records.begin() + static_cast<std::ptrdiff_t>(i), NewDefaultProfile());
}

StoreResult LoadProfiles(const std::filesystem::path& dataCfgPath, ProfileList& list) {
    ProfileSequence records;
    StoreResult result = ReadRecords(dataCfgPath, records);
    const bool full = list.Edit([&](ProfileSequence& all) {
        AppendAll(all, records);
        EnsureDefaultProfile(all);
        if (all.size() <= kMaxProfiles) return false;
        // A full file without "<Default>": the guaranteed default takes the place of the last profile.
        const auto last = std::find_if(all.rbegin(), all.rend(), [](const ProfilePtr& p) { return !IsDefaultProfile(*p); });
        all.erase(std::next(last).base());
        return true;
    });
    if (full) {
        result.status = StoreStatus::TooManyRecords;
        result.reason = dataCfgPath.string() + ": with \"<Default>\" added, the list would pass " +
                        std::to_string(kMaxProfiles) + " profiles; the file's last profile is left out";
    }
    return result;
}

StoreResult KeepStoreBackup(const std::filesystem::path& dataCfgPath, const FileOps& ops) {
    const std::optional<std::filesystem::path> real = ReplacedFile(dataCfgPath);
    if (!real) return WriteFailure(dataCfgPath.string() + ": the symbolic links loop");
    return KeepBackup(*real, ops);
}

StoreResult SaveProfiles(const std::filesystem::path& dataCfgPath, const ProfileList& list, bool keepPrevious,
                         const FileOps& ops) {
    return WriteProfiles(dataCfgPath, list, dataCfgPath, keepPrevious, ops);
}

StoreResult ExportProfiles(const std::filesystem::path& target, const ProfileList& list,
                           const std::filesystem::path& dataCfgPath, const FileOps& ops) {
    return WriteProfileFile(target, list, dataCfgPath, ops);
}

StoreResult ImportProfiles(const std::filesystem::path& source, ProfileList& list) {
    ProfileSequence records;
    StoreResult result = ReadRecords(source, records);
    if (!list.Edit([&](ProfileSequence& all) { return AppendImportedProfiles(all, records); })) return ListFull(result);
    return result;
}

}  // namespace tembrel
