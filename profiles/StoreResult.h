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
    PartlyRead,       // a length of 0 ends the list before the end of the file, or an entry is not 792 bytes
    ListFull,         // the change would make the list longer than kMaxProfiles; nothing changed
    WriteFailed,      // nothing was replaced: the previous file is intact
};

struct StoreResult {
    StoreStatus status = StoreStatus::Ok;
    std::size_t records = 0;  // records appended to the list, or written to the file
    std::string reason;       // empty on success
    // Set when a save found a Data.cfg it could not read whole and kept it under this name first.
    std::string keptAs;

    bool ok() const { return status == StoreStatus::Ok; }
    explicit operator bool() const { return ok(); }
};

}  // namespace tembrel
