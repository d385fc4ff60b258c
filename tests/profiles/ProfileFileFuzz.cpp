// Fuzz target: a profile file image as read from disk, then the import fix-up over it.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "profiles/ImportNormalize.h"
#include "profiles/ProfileFileFormat.h"
#include "profiles/ProfileStore.h"
#include "profiles/ProfileText.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tembrel;
    ProfileSequence records{NewDefaultProfile()};
    const StoreResult parsed = ParseProfileFile(std::span(data, size), records);
    Check(parsed.records + 1 == records.size());
    Check(parsed.ok() == parsed.reason.empty());
    for (const auto& r : records) Check(std::strlen(r->name) < sizeof r->name);

    // Writing what was read and reading it again gives the same records.
    const SerializedProfiles image = SerializeProfiles(records, true);
    Check(image.bytes.size() == records.size() * kEntryBytes);
    ProfileSequence again;
    Check(ParseProfileFile(image.bytes, again).ok());
    Check(again.size() == records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        Check(std::memcmp(records[i].get(), again[i].get(), sizeof(PROFILE_RECORD)) == 0);

    // The file reader (which takes a shortcut for files of whole entries) agrees with the parser.
    const int fd = ::memfd_create("profiles", MFD_CLOEXEC);
    Check(fd >= 0);
    Check(size == 0 || ::write(fd, data, size) == static_cast<ssize_t>(size));
    ProfileList fromFile;
    fromFile.Append(NewDefaultProfile());
    const StoreResult read = ReadProfileFile("/proc/self/fd/" + std::to_string(fd), fromFile);
    ::close(fd);
    Check(read.status == parsed.status && read.records == parsed.records);
    const ProfileSequence viaFile = fromFile.Snapshot();
    Check(viaFile.size() == records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        Check(std::memcmp(records[i].get(), viaFile[i].get(), sizeof(PROFILE_RECORD)) == 0);

    const ProfileSequence before = records;
    NormalizeImportedProfiles(records);
    std::size_t defaults = 0;
    for (const auto& r : records) {
        defaults += IsDefaultProfile(*r) ? 1 : 0;
        Check(ProfileName(*r).size() < sizeof r->name);
        Check(r->name[sizeof r->name - 1] == '\0');
    }
    Check(defaults == 1);
    // Only surplus "<Default>" records may go.
    for (const auto& r : before)
        Check(IsDefaultProfile(*r) || std::find(records.begin(), records.end(), r) != records.end());
    return 0;
}
