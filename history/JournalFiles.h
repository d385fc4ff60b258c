#pragma once
// The journal's folder: files of JSON Lines named by the moment each was begun
// ("journal-20261208-165400-123.jsonl", UTC), so that name order is time order. Appending a batch
// goes to the newest file; a new file is begun each UTC day and whenever the newest would grow past
// its share of the size limit. Whole files are dropped, oldest first: those whose entries are all
// older than the age limit, then as many as keep the folder under the size limit. The newest file
// is never dropped. Folder 0700, files 0600 from their creation.
//
// A batch that cannot be written whole (a full disk, an I/O error) is dropped and the file cut back
// to where it was, so that no half line is left behind for the next batch to join. Not thread-safe:
// the journal's own thread is its only user.

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tembrel {

struct JournalLimits {
    int maxDays = 30;
    std::int64_t maxBytes = 4 << 20;
    // The size at which a new file is begun: an eighth of the limit, so that dropping the
    // oldest file gives back little of what is kept.
    std::int64_t fileBytes() const { return maxBytes / 8 > 4096 ? maxBytes / 8 : 4096; }
};

using SystemTime = std::chrono::system_clock::time_point;

// "journal-YYYYMMDD-HHMMSS-mmm.jsonl" for `begun`, and back; nothing for other names.
std::string JournalFileName(SystemTime begun);
std::optional<SystemTime> JournalFileBegun(const std::string& fileName);

// The journal files of `folder` in time order (no others).
std::vector<std::filesystem::path> ListJournalFiles(const std::filesystem::path& folder);

class JournalFiles {
public:
    using WriteCall = std::function<ssize_t(int fd, const void* data, std::size_t size)>;

    JournalFiles(std::filesystem::path folder, JournalLimits limits, WriteCall write = {});
    ~JournalFiles();
    JournalFiles(const JournalFiles&) = delete;
    JournalFiles& operator=(const JournalFiles&) = delete;

    // Appends `lines` (whole lines, each ending in '\n') as at `now`. False when they were not
    // written; error() then says why.
    bool append(const std::string& lines, SystemTime now);
    const std::string& error() const { return error_; }
    std::uint64_t droppedBatches() const { return droppedBatches_; }
    const std::filesystem::path& folder() const { return folder_; }

private:
    bool openFor(std::size_t batchBytes, SystemTime now);
    bool openFile(const std::filesystem::path& file);
    void closeFile();
    void enforceLimits(SystemTime now);
    bool writeAll(const std::string& bytes);

    std::filesystem::path folder_;
    JournalLimits limits_;
    WriteCall write_;
    int fd_ = -1;
    std::filesystem::path current_;
    SystemTime currentBegun_{};
    std::int64_t currentSize_ = 0;
    bool needsNewline_ = false;  // the file ends in a torn line (a crash): end it first
    std::string error_;
    std::uint64_t droppedBatches_ = 0;
};

}  // namespace tembrel
