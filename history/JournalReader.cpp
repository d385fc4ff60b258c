#include "history/JournalReader.h"

#include "history/JournalFiles.h"

#include <fstream>

namespace tembrel {

void ReadJournalLines(std::istream& in, std::int64_t sinceMs, JournalRead& out) {
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        if (line.size() > kMaxLineBytes) {
            ++out.skippedLines;
            continue;
        }
        nlohmann::json entry = nlohmann::json::parse(line, nullptr, /*allow_exceptions=*/false);
        if (!entry.is_object() || !entry.contains("t") || !entry["t"].is_number_integer() || !entry.contains("k") ||
            !entry["k"].is_string()) {
            ++out.skippedLines;
            continue;
        }
        if (entry["t"].get<std::int64_t>() >= sinceMs) out.entries.push_back(std::move(entry));
    }
}

JournalRead ReadJournal(const std::filesystem::path& folder, std::int64_t sinceMs) {
    JournalRead result;
    std::uintmax_t total = 0;
    const auto files = ListJournalFiles(folder);
    // Newest last; past the bound the oldest files are the ones left unread.
    std::size_t first = files.size();
    while (first > 0) {
        std::error_code error;
        const auto size = std::filesystem::file_size(files[first - 1], error);
        if (error || total + size > kMaxTotalBytes) break;
        total += size;
        --first;
    }
    for (std::size_t i = first; i < files.size(); ++i) {
        // A file that was begun before the next one ends before sinceMs holds nothing wanted.
        if (i + 1 < files.size()) {
            const auto nextBegun = JournalFileBegun(files[i + 1].filename().string());
            if (std::chrono::duration_cast<std::chrono::milliseconds>(nextBegun->time_since_epoch()).count() < sinceMs)
                continue;
        }
        std::ifstream in(files[i], std::ios::binary);
        if (!in) continue;
        ++result.files;
        ReadJournalLines(in, sinceMs, result);
    }
    return result;
}

}  // namespace tembrel
