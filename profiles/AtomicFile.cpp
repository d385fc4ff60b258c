#include "profiles/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace tembrel {

namespace {

std::string ErrnoText(int error) { return std::error_code(error, std::generic_category()).message(); }

StoreResult Failure(StoreStatus status, std::string reason) {
    StoreResult result;
    result.status = status;
    result.reason = std::move(reason);
    return result;
}

// Owns the descriptor and, until committed, the temporary file's name.
class TemporaryFile {
public:
    TemporaryFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        CloseQuietly();
        if (!committed_) ::unlink(path_.c_str());
    }

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    int Close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }
    void Commit() { committed_ = true; }

private:
    void CloseQuietly() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    int fd_;
    std::string path_;
    bool committed_ = false;
};

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // the rename is done; a folder that cannot be synced does not undo it
    ::close(fd);
}

}  // namespace

std::optional<std::filesystem::path> ReplacedFile(const std::filesystem::path& target) {
    constexpr int kMaxLinks = 40;  // the kernel's own bound on a chain of links
    std::filesystem::path current = target;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, ec))) return current;
        std::filesystem::path next = std::filesystem::read_symlink(current, ec);
        if (ec || next.empty()) return std::nullopt;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return std::nullopt;
}

std::string OwnTemporaryPrefix(const std::filesystem::path& real) {
    return "." + real.filename().string() + ".tembrel-";
}

StoreResult CheckReplaceable(const std::filesystem::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) return StoreResult{};  // a missing file is simply created
    // The mode bits, not access(): a read-only file stays read-only for root as well.
    if (S_ISREG(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return Failure(StoreStatus::WriteFailed, target.string() + " is read-only");
    return StoreResult{};
}

FileOps FileOps::System() {
    return FileOps{[](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); },
                   [](int fd) { return ::fsync(fd); },
                   [](const char* from, const char* to) { return ::rename(from, to); },
                   [](const char* existing, const char* newName) { return ::link(existing, newName); }};
}

namespace {

// Writes all of `size` bytes, going on after short writes and interruptions.
StoreResult WriteAll(const TemporaryFile& temp, const uint8_t* data, std::size_t size, const FileOps& ops) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ops.write(temp.fd(), data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            return Failure(StoreStatus::WriteFailed,
                           "cannot write " + temp.path() + ": " + (n < 0 ? ErrnoText(errno) : "nothing written"));
        done += static_cast<std::size_t>(n);
    }
    return StoreResult{};
}

// The replacement itself: `fill` writes the new contents into the temporary file.
StoreResult ReplaceFile(const std::filesystem::path& target, const FileOps& ops,
                        const std::function<StoreResult(const TemporaryFile&)>& fill) {
    const std::optional<std::filesystem::path> resolved = ReplacedFile(target);
    if (!resolved) return Failure(StoreStatus::WriteFailed, target.string() + ": the symbolic links loop");
    const std::filesystem::path& real = *resolved;
    if (real.filename().empty()) return Failure(StoreStatus::WriteFailed, "no file name in " + target.string());
    if (StoreResult replaceable = CheckReplaceable(real); !replaceable.ok()) return replaceable;
    std::filesystem::path folder = real.parent_path();
    if (folder.empty()) folder = ".";

    const std::string leaf = OwnTemporaryPrefix(real) + "save-XXXXXX";
    const std::string pattern = (folder / leaf).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkostemp creates the file with mode 0600, so the secrets are never readable by others.
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return Failure(StoreStatus::WriteFailed,
                       "cannot create a temporary file in " + folder.string() + ": " + ErrnoText(errno));
    TemporaryFile temp(fd, name.data());
    if (::fchmod(temp.fd(), S_IRUSR | S_IWUSR) != 0)
        return Failure(StoreStatus::WriteFailed, "cannot set the mode of " + temp.path() + ": " + ErrnoText(errno));
    if (StoreResult filled = fill(temp); !filled.ok()) return filled;
    if (ops.fsync(temp.fd()) != 0)
        return Failure(StoreStatus::WriteFailed, "cannot flush " + temp.path() + ": " + ErrnoText(errno));
    if (temp.Close() != 0)
        return Failure(StoreStatus::WriteFailed, "cannot close " + temp.path() + ": " + ErrnoText(errno));
    if (ops.rename(temp.path().c_str(), real.c_str()) != 0)
        return Failure(StoreStatus::WriteFailed, "cannot replace " + real.string() + ": " + ErrnoText(errno));
    temp.Commit();
    SyncFolder(folder);
    return StoreResult{};
}

}  // namespace

StoreResult WriteFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes,
                                const FileOps& ops) {
    return ReplaceFile(target, ops,
                       [&](const TemporaryFile& temp) { return WriteAll(temp, bytes.data(), bytes.size(), ops); });
}

StoreResult CopyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target,
                               const FileOps& ops) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (in < 0) return Failure(StoreStatus::OpenFailed, "cannot read " + source.string() + ": " + ErrnoText(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{in};
    struct stat info {};
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode))
        return Failure(StoreStatus::NotARegularFile, source.string() + " is not a regular file");
    return ReplaceFile(target, ops, [&](const TemporaryFile& temp) {
        std::vector<uint8_t> piece(1 << 16);
        for (;;) {
            const ssize_t n = ::read(in, piece.data(), piece.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return Failure(StoreStatus::ReadFailed, "cannot read " + source.string() + ": " + ErrnoText(errno));
            if (n == 0) return StoreResult{};
            if (StoreResult written = WriteAll(temp, piece.data(), static_cast<std::size_t>(n), ops); !written.ok())
                return written;
        }
    });
}

}  // namespace tembrel
