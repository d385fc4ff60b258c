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

std::string ErrnoText(int error) { return std::error_code(error, std::generic_category()).message(); }

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
    const StoreResult read = ReadRecords(dataCfg, probe);
    return !read.ok() && read.status != StoreStatus::NotFound && read.status != StoreStatus::NotARegularFile;
}

// Keeps the file `real` under the name `kept`, replacing an older one. A hard link leaves `real` in
// place until the new file is renamed over it; where no link can be made the file itself is moved
// and `moved` is set, so that a failed save can put it back.
StoreResult KeepAside(const std::filesystem::path& real, const std::filesystem::path& kept, bool& moved) {
    std::filesystem::path staging = real;
    staging.replace_filename("." + real.filename().string() + ".bak." + std::to_string(::getpid()));
    ::unlink(staging.c_str());
    if (::link(real.c_str(), staging.c_str()) == 0) {
        if (::rename(staging.c_str(), kept.c_str()) == 0) return StoreResult{};
        const int error = errno;
        ::unlink(staging.c_str());
        return WriteFailure("cannot keep " + real.string() + " as " + kept.string() + ": " + ErrnoText(error));
    }
    if (::rename(real.c_str(), kept.c_str()) != 0)
        return WriteFailure("cannot keep " + real.string() + " as " + kept.string() + ": " + ErrnoText(errno));
    moved = true;
    return StoreResult{};
}

// A save killed before its rename leaves its temporary file (".Data.cfg." and six letters or
// digits) behind, holding secrets. Only one copy of the program saves Data.cfg, so any such file
// is stale by the time the next save starts.
void RemoveStaleTemporaries(const std::filesystem::path& real) {
    const std::string prefix = "." + real.filename().string() + ".";
    std::filesystem::path folder = real.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        const bool generated = std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                                           [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
        std::error_code typeError;
        if (generated && it->symlink_status(typeError).type() == std::filesystem::file_type::regular)
            ::unlink(it->path().c_str());
    }
}

void AppendAll(ProfileSequence& all, ProfileSequence& records) {
    all.insert(all.end(), std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()));
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

StoreResult WriteProfileFile(const std::filesystem::path& path, const ProfileList& list,
                             const std::filesystem::path& dataCfgPath, const FileOps& ops) {
    const bool includeBuiltIns = IsSameFile(path, dataCfgPath);
    const SerializedProfiles image =
        list.Read([&](const ProfileSequence& records) { return SerializeProfiles(records, includeBuiltIns); });
    const std::filesystem::path real = ReplacedFile(path);
    std::filesystem::path kept;
    bool moved = false;
    if (includeBuiltIns) RemoveStaleTemporaries(real);
    if (includeBuiltIns && StoreNotReadableWhole(real)) {
        if (StoreResult replaceable = CheckReplaceable(real); !replaceable.ok()) return replaceable;
        kept = real;
        kept += ".bak";
        if (StoreResult keptAside = KeepAside(real, kept, moved); !keptAside.ok()) return keptAside;
    }
    StoreResult result = WriteFileAtomically(real, image.bytes, ops);
    if (!result.ok()) {
        if (moved) ::rename(kept.c_str(), real.c_str());
        return result;
    }
    result.records = image.records;
    result.keptAs = kept.string();
    return result;
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
    list.Edit([&](ProfileSequence& all) {
        AppendAll(all, records);
        EnsureDefaultProfile(all);
    });
    return result;
}

StoreResult SaveProfiles(const std::filesystem::path& dataCfgPath, const ProfileList& list, const FileOps& ops) {
    return WriteProfileFile(dataCfgPath, list, dataCfgPath, ops);
}

StoreResult ExportProfiles(const std::filesystem::path& target, const ProfileList& list,
                           const std::filesystem::path& dataCfgPath, const FileOps& ops) {
    return WriteProfileFile(target, list, dataCfgPath, ops);
}

StoreResult ImportProfiles(const std::filesystem::path& source, ProfileList& list) {
    ProfileSequence records;
    StoreResult result = ReadRecords(source, records);
    list.Edit([&](ProfileSequence& all) {
        AppendAll(all, records);
        NormalizeImportedProfiles(all);
    });
    return result;
}

}  // namespace tembrel
