#pragma once
// Outcome of reading or writing a profile file: what happened, how many records, and why it failed.

#include <cstddef>
#include <string>

namespace tembrel {

enum class StoreStatus {
    Ok,
    NotFound,         // the file does not exist (the normal first run)
    OpenFailed,       // it exists but cannot be opened
    NotARegularFile,  // a folder, a device or a pipe
    TooLarge,         // larger than any profile file the program writes
    ReadFailed,       // the system reported an error while reading
    Truncated,        // the file ends inside a length field or a record
    TooManyRecords,   // more records than one file may hold
    PartlyRead,       // damaged records left out, a length of 0 before the end of the file, or an entry not 792 bytes
    ListFull,         // the change would make the list longer than kMaxProfiles; nothing changed
    WriteFailed,      // nothing was replaced: the previous file is intact
};

struct StoreResult {
    StoreStatus status = StoreStatus::Ok;
    std::size_t records = 0;  // records appended to the list, or written to the file
    // Records of a damaged file left out because their bytes show the damage (zeroed by it, cut by
    // it); the records around them were kept.
    std::size_t damaged = 0;
    // TooManyRecords: the records the file holds, of which only the first could be read.
    std::size_t inFile = 0;
    std::string reason;       // empty on success
    // Set when a save found a Data.cfg it could not read whole and kept it under this name first.
    std::string keptAs;

    bool ok() const { return status == StoreStatus::Ok; }
    explicit operator bool() const { return ok(); }
};

}  // namespace tembrel
