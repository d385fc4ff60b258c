#include "profiles/ProfileFileFormat.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "profiles/AuthMode.h"
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

// Where a walk over the entries stopped, and whether every entry before that point was a record's
// length long (a file laid out as this program writes it).
struct WalkEnd {
    std::size_t stop = 0;
    bool uniform = true;
};

// Walks the entries of a file image, calling `visit` for each complete one, and says how the walk ended.
template <class Visit>
StoreResult WalkEntries(std::span<const uint8_t> image, Visit&& visit, WalkEnd* end = nullptr) {
    StoreResult result;
    std::size_t pos = 0;
    std::size_t odd = 0;  // entries whose length is not a record's: the file was not written by this program
    std::size_t firstOdd = 0;
    std::size_t skipped = 0;  // bytes of over-long entries beyond their record
    const auto stopAt = [&](std::size_t at) {
        if (end) *end = WalkEnd{at, odd == 0};
    };
    stopAt(image.size());
    while (pos < image.size()) {
        if (image.size() - pos < 4) {
            result.status = StoreStatus::Truncated;
            result.reason = "the file ends inside the length field at offset " + std::to_string(pos);
            stopAt(pos);
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
                stopAt(pos);
            }
            return result;
        }
        if (image.size() - pos - 4 < length) {
            result.status = StoreStatus::Truncated;
            result.reason = "the file ends inside the record at offset " + std::to_string(pos);
            stopAt(pos);
            return result;
        }
        if (result.records == kMaxRecordsPerFile) {
            // The rest is only counted, so that a refusal can name the file's own count.
            std::size_t total = result.records;
            for (std::size_t at = pos; image.size() - at >= 4;) {
                const uint32_t n = ReadU32(image.data() + at);
                if (n == 0 || image.size() - at - 4 < n) break;
                ++total;
                at += 4 + std::size_t{n};
            }
            result.status = StoreStatus::TooManyRecords;
            result.inFile = total;
            result.reason = "the file holds " + std::to_string(total) + " records, more than " +
                            std::to_string(kMaxRecordsPerFile);
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

// A run of this many zero bytes never comes from the writer: a stored zero is a record byte equal
// to the pattern's byte at that place, so such a run is the pattern itself repeated in memory,
// which no field holds. Damage leaves it: a zeroed block (a power cut, a failing disk). The two
// zero bytes of a length field cannot make one on their own.
constexpr std::size_t kDamageRun = 8;

struct ByteRange {
    std::size_t begin, end;
};

std::vector<ByteRange> ZeroRuns(std::span<const uint8_t> image) {
    std::vector<ByteRange> runs;
    std::size_t i = 0;
    while (i < image.size()) {
        const void* zero = std::memchr(image.data() + i, 0, image.size() - i);
        if (!zero) break;
        i = static_cast<std::size_t>(static_cast<const uint8_t*>(zero) - image.data());
        std::size_t j = i;
        while (j < image.size() && image[j] == 0) ++j;
        if (j - i >= kDamageRun) runs.push_back({i, j});
        i = j;
    }
    return runs;
}

// Whether a zero run touches the bytes [begin, end); asked in increasing order of `begin`, with
// `next` kept between the calls.
bool TouchesRun(const std::vector<ByteRange>& runs, std::size_t& next, std::size_t begin, std::size_t end) {
    while (next < runs.size() && runs[next].end <= begin) ++next;
    return next < runs.size() && runs[next].begin < end;
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

namespace {

// Fields whose every value the program writes is small: bytes the damage left behind unscramble to
// the pattern (0xA75CA75C and the like) and fail here.
bool FieldsInRange(const PROFILE_RECORD& r) {
    if (r.networkType > 1 || r.hiddenSsid > 1 || r.adHocWirelessMode > 2 || r.encryption < 0 || r.encryption > 3 ||
        r.authMode > kGroup8021x || r.wep.txKeyIndex > 4 || r.useDhcp > 1 || r.keepAdapterSettings > 1 ||
        r.powerSaveMode > 1 || r.preamble > 3 || r.inPreferList > 1 || r.passphraseLength > sizeof r.passphrase)
        return false;
    return std::all_of(std::begin(r.wep.keys), std::end(r.wep.keys),
                       [](const WEP_KEY_ENTRY& key) { return key.length <= sizeof key.material; });
}

void AddReason(StoreResult& result, StoreStatus status, const std::string& reason) {
    if (result.ok()) result.status = status;
    result.reason += (result.reason.empty() ? "" : "; ") + reason;
}

std::string DamagedText(std::size_t damaged) {
    return damaged == 1 ? "1 damaged record was left out" : std::to_string(damaged) + " damaged records were left out";
}

// The walk stopped at `stop` with whole entries after it, in a file laid out as this program writes
// it: reads every entry boundary of the file instead and keeps each record that is whole, has a
// record's length and shows no damage. A cut record is never taken for a whole one.
StoreResult ReadOnAtEntryBoundaries(std::span<const uint8_t> image, const std::vector<ByteRange>& runs,
                                    const StoreResult& walked, std::size_t stop, ProfileSequence& out) {
    const std::size_t whole = std::min(image.size() / kEntryBytes, kMaxRecordsPerFile);
    const std::size_t slots = (image.size() + kEntryBytes - 1) / kEntryBytes;
    std::shared_ptr<PROFILE_RECORD[]> block = std::make_shared_for_overwrite<PROFILE_RECORD[]>(std::max<std::size_t>(whole, 1));
    std::size_t kept = 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < whole; ++i) {
        const std::size_t at = i * kEntryBytes;
        if (ReadU32(image.data() + at) != kRecordBytes || TouchesRun(runs, next, at + 4, at + kEntryBytes)) continue;
        PROFILE_RECORD& record = block[kept];
        ScrambleInto(reinterpret_cast<uint8_t*>(&record), image.data() + at + 4, kRecordBytes);
        if (!FieldsInRange(record)) continue;
        TerminateTextFields(record);
        ++kept;
    }
    out.reserve(out.size() + kept);
    for (std::size_t i = 0; i < kept; ++i) out.emplace_back(block, &block[i]);
    StoreResult result = walked;  // how the walk ended says what the damage is
    result.records = kept;
    result.damaged = slots - kept;
    result.reason += "; reading on at the entry boundaries from offset " + std::to_string(stop) + ", " +
                     std::to_string(kept) + " whole records were kept and " + DamagedText(result.damaged);
    return result;
}

}  // namespace

StoreResult ParseProfileFile(std::span<const uint8_t> image, ProfileSequence& out) {
    std::size_t count = 0;
    WalkEnd end;
    const StoreResult walked = WalkEntries(image, [&](const EntryBody&) { ++count; }, &end);
    const std::vector<ByteRange> runs = ZeroRuns(image);
    if (end.uniform && end.stop < image.size() && image.size() - end.stop >= kEntryBytes)
        return ReadOnAtEntryBoundaries(image, runs, walked, end.stop, out);
    if (count == 0) return walked;

    // One allocation for all records of the file; each list entry shares it. Every byte of each
    // record is written below, so the block is not zeroed first.
    std::shared_ptr<PROFILE_RECORD[]> block = std::make_shared_for_overwrite<PROFILE_RECORD[]>(count);
    out.reserve(out.size() + count);
    std::size_t next = 0;
    std::size_t nextRun = 0;
    std::size_t damaged = 0;
    StoreResult result = WalkEntries(image, [&](const EntryBody& entry) {
        const std::size_t kept = std::min<std::size_t>(entry.length, kRecordBytes);
        if (TouchesRun(runs, nextRun, entry.offset, entry.offset + kept)) {
            ++damaged;
            return;
        }
        PROFILE_RECORD* record = &block[next++];
        auto* bytes = reinterpret_cast<uint8_t*>(record);
        std::memcpy(bytes, image.data() + entry.offset, kept);
        std::memset(bytes + kept, 0, kRecordBytes - kept);
        ScrambleRecord(std::span(bytes, kept));
        TerminateTextFields(*record);
        out.emplace_back(block, record);
    });
    if (damaged > 0) {
        result.records -= damaged;
        result.damaged = damaged;
        AddReason(result, StoreStatus::PartlyRead, DamagedText(damaged));
    }
    return result;
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
    // Zeroed bytes inside the records: the damaged ones are told apart as an image.
    if (!ZeroRuns(std::span<const uint8_t>(bytes, file.size())).empty()) return false;

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
