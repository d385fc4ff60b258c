#pragma once
// The bytes of a profile file: entries of a little-endian u32 length and a scrambled record,
// with no header. Data.cfg, export and import files share this format.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "profiles/InputFile.h"
#include "profiles/ProfileList.h"
#include "profiles/StoreResult.h"

namespace tembrel {

inline constexpr std::size_t kRecordBytes = sizeof(PROFILE_RECORD);
inline constexpr std::size_t kEntryBytes = 4 + kRecordBytes;
// Far beyond any real list (10,000 profiles take 7.9 MB); keeps a hostile file from exhausting memory.
inline constexpr std::size_t kMaxProfileFileBytes = 64u * 1024 * 1024;
inline constexpr std::size_t kMaxRecordsPerFile = kMaxProfiles;
// Every file the writer makes is one the reader takes whole.
static_assert(kMaxRecordsPerFile * kEntryBytes <= kMaxProfileFileBytes);

// Exclusive-or with the program's two-byte pattern: the first byte at even offsets, the second at
// odd offsets, counted from the start of the record. Its own inverse.
void ScrambleRecord(std::span<uint8_t> bytes);

// Appends every record of a profile file image to `out`, in file order. A length field of 0 or the
// end of the image ends the walk. An entry longer than a record keeps its first 792 bytes and skips
// the rest; a shorter one leaves the remaining fields zero. An entry cut off by the end of the image
// is dropped and reported as Truncated, the records before it kept. A length of 0 with bytes after
// it, or any entry that is not 792 bytes long, is reported as PartlyRead: the records are kept, but
// the file was not read whole (its reason says how many bytes were left unread).
// Damage: a record touched by a run of zeroed bytes (what a power cut or a failing disk leaves) is
// left out and counted in `damaged`. When the walk stops before the end of a file made only of
// 792-byte entries (a zeroed length field, one that points past the end) and a whole entry's worth
// of bytes is left, reading goes on at every entry boundary of the file: each whole 792-byte record
// without damage and with its fields in range is kept, so that the profiles behind the damage come
// back; the others count as damaged (PartlyRead).
// The records of one call share one allocation, freed when the last of them is released.
StoreResult ParseProfileFile(std::span<const uint8_t> image, ProfileSequence& out);

// A file made only of whole 792-byte entries (every file this program writes) is read in one go into
// one block laid out like the file, and the records are used in place, without an intermediate copy.
// Returns false, with `out` unchanged, for a file of any other shape, one with zeroed runs, or one
// that shrinks while it is read; read it as an image then.
bool ReadUniformProfileFile(const InputFile& file, ProfileSequence& out);

// The file image of `records`; with `includeBuiltIns` false, "<Default>" and "<Site Survey>" are left out.
struct SerializedProfiles {
    std::vector<uint8_t> bytes;
    std::size_t records = 0;
};
SerializedProfiles SerializeProfiles(const ProfileSequence& records, bool includeBuiltIns);

}  // namespace tembrel
