#include "history/JournalFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace tembrel {

namespace fs = std::filesystem;

namespace {
constexpr char kPrefix[] = "journal-";
constexpr char kSuffix[] = ".jsonl";

std::int64_t DaysSinceEpoch(SystemTime t) {
    return std::chrono::floor<std::chrono::days>(t).time_since_epoch().count();
}
}  // namespace

std::string JournalFileName(SystemTime begun) {
    const auto ms = std::chrono::floor<std::chrono::milliseconds>(begun);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(ms));
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char name[64];
    std::snprintf(name, sizeof name, "%s%04d%02d%02d-%02d%02d%02d-%03d%s", kPrefix, utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(ms.time_since_epoch().count() % 1000), kSuffix);
    return name;
}

std::optional<SystemTime> JournalFileBegun(const std::string& fileName) {
    std::tm utc{};
    int millis = 0;
    char rest = 0;
    // Exactly the shape JournalFileName writes, nothing after it.
    if (fileName.size() != std::strlen("journal-20261208-165400-123.jsonl")) return std::nullopt;
    if (std::sscanf(fileName.c_str(), "journal-%4d%2d%2d-%2d%2d%2d-%3d.jsonl%c", &utc.tm_year, &utc.tm_mon,
                    &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &millis, &rest) != 7)
        return std::nullopt;
    if (fileName.compare(fileName.size() - std::strlen(kSuffix), std::string::npos, kSuffix) != 0) return std::nullopt;
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    const std::time_t seconds = timegm(&utc);
    if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
    return std::chrono::system_clock::from_time_t(seconds) + std::chrono::milliseconds(millis);
}

std::vector<fs::path> ListJournalFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        if (JournalFileBegun(it->path().filename().string())) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

JournalFiles::JournalFiles(fs::path folder, JournalLimits limits, WriteCall write)
    : folder_(std::move(folder)), limits_(limits), write_(std::move(write)) {
    if (!write_) write_ = [](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); };
}

JournalFiles::~JournalFiles() { closeFile(); }

void JournalFiles::closeFile() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool JournalFiles::openFile(const fs::path& file) {
    closeFile();
    fd_ = ::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);  // read: the last byte
    if (fd_ < 0) {
        error_ = "cannot open " + file.string() + ": " + std::strerror(errno);
        return false;
    }
    // Also a file that an older copy or the user left with wider access.
    ::fchmod(fd_, S_IRUSR | S_IWUSR);
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        error_ = "cannot read " + file.string() + ": " + std::strerror(errno);
        closeFile();
        return false;
    }
    currentSize_ = st.st_size;
    needsNewline_ = false;
    if (currentSize_ > 0) {
        char last = '\n';
        if (::pread(fd_, &last, 1, currentSize_ - 1) == 1) needsNewline_ = last != '\n';
    }
    current_ = file;
    currentBegun_ = *JournalFileBegun(file.filename().string());
    return true;
}

bool JournalFiles::openFor(std::size_t batchBytes, SystemTime now) {
    const bool fits = fd_ >= 0 && (currentSize_ == 0 || currentSize_ + static_cast<std::int64_t>(batchBytes) <= limits_.fileBytes());
    if (fits && DaysSinceEpoch(currentBegun_) == DaysSinceEpoch(now)) return true;

    std::error_code error;
    fs::create_directories(folder_, error);
    if (error) {
        error_ = "cannot create " + folder_.string() + ": " + error.message();
        return false;
    }
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::replace, error);

    // After a restart the newest file of today goes on while it has room.
    if (fd_ < 0) {
        const auto files = ListJournalFiles(folder_);
        if (!files.empty()) {
            const auto begun = JournalFileBegun(files.back().filename().string());
            std::error_code sizeError;
            const auto size = static_cast<std::int64_t>(fs::file_size(files.back(), sizeError));
            if (!sizeError && DaysSinceEpoch(*begun) == DaysSinceEpoch(now) &&
                (size == 0 || size + static_cast<std::int64_t>(batchBytes) <= limits_.fileBytes())) {
                if (!openFile(files.back())) return false;
                enforceLimits(now);
                return true;
            }
        }
    }

    // A new file, named after a moment later than every file there (the clock may go back).
    SystemTime begun = now;
    const auto files = ListJournalFiles(folder_);
    if (!files.empty()) {
        const auto newest = *JournalFileBegun(files.back().filename().string());
        if (begun <= newest) begun = newest + std::chrono::milliseconds(1);
    }
    if (!openFile(folder_ / JournalFileName(begun))) return false;
    enforceLimits(now);
    return true;
}

void JournalFiles::enforceLimits(SystemTime now) {
    auto files = ListJournalFiles(folder_);
    const SystemTime oldestKept = now - std::chrono::days(limits_.maxDays);
    std::error_code error;
    // A file's entries all come before the next file was begun.
    while (files.size() > 1 && *JournalFileBegun(files[1].filename().string()) < oldestKept) {
        fs::remove(files.front(), error);
        files.erase(files.begin());
    }
    std::int64_t total = 0;
    for (const auto& f : files) total += static_cast<std::int64_t>(fs::file_size(f, error));
    while (files.size() > 1 && total > limits_.maxBytes && files.front() != current_) {
        total -= static_cast<std::int64_t>(fs::file_size(files.front(), error));
        fs::remove(files.front(), error);
        files.erase(files.begin());
    }
}

bool JournalFiles::writeAll(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write_(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = "cannot write " + current_.string() + ": " + std::strerror(n < 0 ? errno : ENOSPC);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool JournalFiles::append(const std::string& lines, SystemTime now) {
    if (lines.empty()) return true;
    if (!openFor(lines.size(), now)) {
        ++droppedBatches_;
        return false;
    }
    const std::string bytes = needsNewline_ ? "\n" + lines : lines;
    if (!writeAll(bytes)) {
        // Whatever part reached the file goes again, so that the next batch starts on a line of its own.
        if (::ftruncate(fd_, currentSize_) != 0) needsNewline_ = true;
        ++droppedBatches_;
        return false;
    }
    currentSize_ += static_cast<std::int64_t>(bytes.size());
    needsNewline_ = false;
    error_.clear();
    // Over the limit after this batch: the limits are kept when the next file is begun.
    return true;
}

}  // namespace tembrel
