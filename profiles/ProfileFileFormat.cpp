#include "profiles/ProfileFileFormat.h"

#include <algorithm>
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

void AppendU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int b = 0; b < 4; ++b) out.push_back(static_cast<uint8_t>(value >> (8 * b)));
}

}  // namespace

void ScrambleRecord(std::span<uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] ^= (i % 2 == 0) ? kScrambleEven : kScrambleOdd;
}

StoreResult ParseProfileFile(std::span<const uint8_t> image, ProfileSequence& out) {
    StoreResult result;
    std::size_t pos = 0;
    while (pos < image.size()) {
        if (image.size() - pos < 4) {
            result.status = StoreStatus::Truncated;
            result.reason = "the file ends inside the length field at offset " + std::to_string(pos);
            return result;
        }
        const uint32_t length = ReadU32(image.data() + pos);
        pos += 4;
        if (length == 0) break;
        if (image.size() - pos < length) {
            result.status = StoreStatus::Truncated;
            result.reason = "the file ends inside the record at offset " + std::to_string(pos - 4);
            return result;
        }
        if (result.records == kMaxRecordsPerFile) {
            result.status = StoreStatus::TooManyRecords;
            result.reason = "more than " + std::to_string(kMaxRecordsPerFile) + " records";
            return result;
        }
        const std::size_t kept = std::min<std::size_t>(length, kRecordBytes);
        ProfilePtr record = NewEmptyProfile();
        auto* bytes = reinterpret_cast<uint8_t*>(record.get());
        std::memcpy(bytes, image.data() + pos, kept);
        ScrambleRecord(std::span(bytes, kept));
        TerminateTextFields(*record);
        out.push_back(std::move(record));
        ++result.records;
        pos += length;
    }
    return result;
}

SerializedProfiles SerializeProfiles(const ProfileSequence& records, bool includeBuiltIns) {
    SerializedProfiles out;
    out.bytes.reserve(records.size() * kEntryBytes);
    for (const auto& record : records) {
        if (!includeBuiltIns && IsBuiltInProfile(*record)) continue;
        AppendU32(out.bytes, static_cast<uint32_t>(kRecordBytes));
        const std::size_t start = out.bytes.size();
        const auto* bytes = reinterpret_cast<const uint8_t*>(record.get());
        out.bytes.insert(out.bytes.end(), bytes, bytes + kRecordBytes);
        ScrambleRecord(std::span(out.bytes).subspan(start, kRecordBytes));
        ++out.records;
    }
    return out;
}

}  // namespace tembrel
