#pragma once
// Reads the journal back: every file of the folder in time order, one entry per line. A line that
// is not a whole entry (the torn last line of a crash, a line damaged by hand) is skipped and
// counted; reading never stops at one. What is read is bounded: lines longer than kMaxLineBytes
// and files past kMaxTotalBytes are skipped.

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>
#include <vector>

namespace tembrel {

struct JournalRead {
    std::vector<nlohmann::json> entries;  // objects with a number "t" (ms since 1970, UTC) and a string "k"
    std::size_t skippedLines = 0;
    std::size_t files = 0;
};

inline constexpr std::size_t kMaxLineBytes = 64 * 1024;
inline constexpr std::uintmax_t kMaxTotalBytes = 256ull << 20;

// Entries of one stream that are at or after sinceMs.
void ReadJournalLines(std::istream& in, std::int64_t sinceMs, JournalRead& out);
// Entries of every journal file of `folder` at or after sinceMs; a missing folder reads as empty.
JournalRead ReadJournal(const std::filesystem::path& folder, std::int64_t sinceMs = 0);

}  // namespace tembrel
