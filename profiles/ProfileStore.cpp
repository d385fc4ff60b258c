#include "profiles/ProfileStore.h"

#include <system_error>
#include <vector>

#include "profiles/ImportNormalize.h"
#include "profiles/ProfileFileFormat.h"

namespace tembrel {

namespace {

// Reads and parses a profile file into `out`; `out` keeps the records before any damage.
StoreResult ReadRecords(const std::filesystem::path& path, ProfileSequence& out) {
    std::vector<uint8_t> image;
    StoreResult read = ReadFileBounded(path, kMaxProfileFileBytes, image);
    if (read.status != StoreStatus::Ok && read.status != StoreStatus::ReadFailed) return read;
    StoreResult parsed = ParseProfileFile(image, out);
    if (read.status == StoreStatus::ReadFailed) {
        read.records = parsed.records;
        return read;
    }
    if (!parsed.ok()) parsed.reason = path.string() + ": " + parsed.reason;
    return parsed;
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
    list.Edit([&](ProfileSequence& all) { all.insert(all.end(), records.begin(), records.end()); });
    return result;
}

StoreResult WriteProfileFile(const std::filesystem::path& path, const ProfileList& list,
                             const std::filesystem::path& dataCfgPath, const FileOps& ops) {
    const bool includeBuiltIns = IsSameFile(path, dataCfgPath);
    const SerializedProfiles image =
        list.Read([&](const ProfileSequence& records) { return SerializeProfiles(records, includeBuiltIns); });
    StoreResult result = WriteFileAtomically(path, image.bytes, ops);
    if (result.ok()) result.records = image.records;
    return result;
}

void EnsureDefaultProfile(ProfileSequence& records) {
    std::size_t i = 0;
    for (; i < records.size() && records[i]->networkType != kNetworkTypeAdHoc; ++i)
        if (IsDefaultProfile(*records[i])) return;
    records.insert(records.begin() + static_cast<std::ptrdiff_t>(i), NewDefaultProfile());
}

StoreResult LoadProfiles(const std::filesystem::path& dataCfgPath, ProfileList& list) {
    ProfileSequence records;
    StoreResult result = ReadRecords(dataCfgPath, records);
    list.Edit([&](ProfileSequence& all) {
        all.insert(all.end(), records.begin(), records.end());
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
        all.insert(all.end(), records.begin(), records.end());
        NormalizeImportedProfiles(all);
    });
    return result;
}

}  // namespace tembrel
