#include "profiles/ProfileFileFormat.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "profiles/ProfileText.h"

namespace tembrel {

namespace {

// Only builds with the same two bytes read each other's files.
constexpr uint8_t kScrambleEven = 0x5C;
constexpr uint8_t kScrambleOdd = 0xA7;

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void PutU32(uint8_t* p, uint32_t value) {
    for (int b = 0; b < 4; ++b) p[b] = static_cast<uint8_t>(value >> (8 * b));
}

#pragma pack(push, 1)
struct StoredEntry {
    uint8_t length[4];
    PROFILE_RECORD record;
};
#pragma pack(pop)
static_assert(sizeof(StoredEntry) == kEntryBytes);

struct EntryBody {
    std::size_t offset;  // of the record bytes in the image
    uint32_t length;
};

// Walks the entries of a file image, calling `visit` for each complete one, and says how the walk ended.
template <class Visit>
StoreResult WalkEntries(std::span<const uint8_t> image, Visit&& visit) {
    StoreResult result;
    std::size_t pos = 0;
    std::size_t odd = 0;  // entries whose length is not a record's: the file was not written by this program
    std::size_t firstOdd = 0;
    std::size_t skipped = 0;  // bytes of over-long entries beyond their record
    while (pos < image.size()) {
        if (image.size() - pos < 4) {
            result.status = StoreStatus::Truncated;
            result.reason = "the file ends inside the length field at offset " + std::to_string(pos);
            return result;
        }
        const uint32_t length = ReadU32(image.data() + pos);
        if (length == 0) {
            // A zeroed block (what a power cut leaves) reads as the end of the list; what follows it
            // may hold every later profile, so the file counts as not read whole.
            const std::size_t left = image.size() - pos - 4;
            if (left > 0) {
                result.status = StoreStatus::PartlyRead;
                result.reason = "a length of 0 at offset " + std::to_string(pos) + " ends the list; " +
                                std::to_string(left) + " bytes after it were left unread";
            }
            return result;
        }
        if (image.size() - pos - 4 < length) {
            result.status = StoreStatus::Truncated;
            result.reason = "the file ends inside the record at offset " + std::to_string(pos);
            return result;
        }
        if (result.records == kMaxRecordsPerFile) {
            result.status = StoreStatus::TooManyRecords;
            result.reason = "more than " + std::to_string(kMaxRecordsPerFile) + " records";
            return result;
        }
        if (length != kRecordBytes && odd++ == 0) firstOdd = pos;
        if (length > kRecordBytes) skipped += length - kRecordBytes;
        visit(EntryBody{pos + 4, length});
        ++result.records;
        pos += 4 + std::size_t{length};
    }
    if (odd > 0) {
        result.status = StoreStatus::PartlyRead;
        result.reason = std::to_string(odd) + " entries, the first at offset " + std::to_string(firstOdd) +
                        ", are not " + std::to_string(kRecordBytes) + " bytes long; " + std::to_string(skipped) +
                        " bytes were left unread";
    }
    return result;
}

// Scrambled copy of `size` bytes (the two may be the same buffer), eight bytes at a time; the pattern
// repeats every two bytes, so every word starts at an even offset.
void ScrambleInto(uint8_t* to, const uint8_t* from, std::size_t size) {
    uint64_t pattern = 0;
    for (int b = 0; b < 8; ++b) pattern |= uint64_t{b % 2 == 0 ? kScrambleEven : kScrambleOdd} << (8 * b);
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, from + i, 8);
        word ^= pattern;
        std::memcpy(to + i, &word, 8);
    }
    for (; i < size; ++i) to[i] = from[i] ^ ((i % 2 == 0) ? kScrambleEven : kScrambleOdd);
}

}  // namespace

void ScrambleRecord(std::span<uint8_t> bytes) { ScrambleInto(bytes.data(), bytes.data(), bytes.size()); }

StoreResult ParseProfileFile(std::span<const uint8_t> image, ProfileSequence& out) {
    std::size_t count = 0;
    WalkEntries(image, [&](const EntryBody&) { ++count; });
    if (count == 0) return WalkEntries(image, [](const EntryBody&) {});

    // One allocation for all records of the file; each list entry shares it. Every byte of each
    // record is written below, so the block is not zeroed first.
    std::shared_ptr<PROFILE_RECORD[]> block = std::make_shared_for_overwrite<PROFILE_RECORD[]>(count);
    out.reserve(out.size() + count);
    std::size_t next = 0;
    return WalkEntries(image, [&](const EntryBody& entry) {
        PROFILE_RECORD* record = &block[next++];
        auto* bytes = reinterpret_cast<uint8_t*>(record);
        const std::size_t kept = std::min<std::size_t>(entry.length, kRecordBytes);
        std::memcpy(bytes, image.data() + entry.offset, kept);
        std::memset(bytes + kept, 0, kRecordBytes - kept);
        ScrambleRecord(std::span(bytes, kept));
        TerminateTextFields(*record);
        out.emplace_back(block, record);
    });
}

bool ReadUniformProfileFile(const InputFile& file, ProfileSequence& out) {
    if (file.size() == 0 || file.size() % kEntryBytes != 0) return false;
    const std::size_t count = file.size() / kEntryBytes;
    if (count > kMaxRecordsPerFile) return false;

    // The file lands in one block laid out as the file is, each list entry pointing at its record
    // inside the block.
    std::shared_ptr<StoredEntry[]> block = std::make_shared_for_overwrite<StoredEntry[]>(count);
    auto* bytes = reinterpret_cast<uint8_t*>(block.get());
    std::size_t done = 0;
    while (done < file.size()) {
        const ssize_t n = ::pread(file.fd(), bytes + done, file.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    for (std::size_t i = 0; i < count; ++i)
        if (ReadU32(block[i].length) != kRecordBytes) return false;

    out.reserve(out.size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        PROFILE_RECORD* record = &block[i].record;
        ScrambleRecord(std::span(reinterpret_cast<uint8_t*>(record), kRecordBytes));
        TerminateTextFields(*record);
        out.emplace_back(block, record);
    }
    return true;
}

SerializedProfiles SerializeProfiles(const ProfileSequence& records, bool includeBuiltIns) {
    SerializedProfiles out;
    out.bytes.resize(records.size() * kEntryBytes);
    uint8_t* entry = out.bytes.data();
    for (const auto& record : records) {
        if (!includeBuiltIns && IsBuiltInProfile(*record)) continue;
        PutU32(entry, static_cast<uint32_t>(kRecordBytes));
        ScrambleInto(entry + 4, reinterpret_cast<const uint8_t*>(record.get()), kRecordBytes);
        entry += kEntryBytes;
        ++out.records;
    }
    out.bytes.resize(out.records * kEntryBytes);
    return out;
}

}  // namespace tembrel
