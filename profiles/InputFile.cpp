#include "profiles/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

namespace tembrel {

namespace {

StoreResult Failure(StoreStatus status, std::string reason) {
    StoreResult result;
    result.status = status;
    result.reason = std::move(reason);
    return result;
}

std::string ErrnoText(int error) { return std::error_code(error, std::generic_category()).message(); }

}  // namespace

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_), path_(std::move(other.path_)) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
        path_ = std::move(other.path_);
    }
    return *this;
}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

StoreResult InputFile::Open(const std::filesystem::path& path, std::size_t maxBytes, InputFile& out) {
    // Non-blocking, so that opening a pipe cannot hang before the type check refuses it.
    InputFile file;
    file.fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file.fd_ < 0) {
        const int error = errno;
        return Failure(error == ENOENT ? StoreStatus::NotFound : StoreStatus::OpenFailed,
                       "cannot open " + path.string() + ": " + ErrnoText(error));
    }
    struct stat info {};
    if (::fstat(file.fd_, &info) != 0)
        return Failure(StoreStatus::ReadFailed, "cannot examine " + path.string() + ": " + ErrnoText(errno));
    if (!S_ISREG(info.st_mode)) return Failure(StoreStatus::NotARegularFile, path.string() + " is not a regular file");
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return Failure(StoreStatus::TooLarge, path.string() + " is larger than " + std::to_string(maxBytes) + " bytes");
    file.size_ = static_cast<std::size_t>(info.st_size);
    file.path_ = path;
    out = std::move(file);
    return StoreResult{};
}

StoreResult InputFile::ReadAll(FileImage& out) const {
    out.data = std::make_unique_for_overwrite<uint8_t[]>(size_);
    out.size = 0;
    while (out.size < size_) {
        const ssize_t n = ::pread(fd_, out.data.get() + out.size, size_ - out.size, static_cast<off_t>(out.size));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Failure(StoreStatus::ReadFailed, "cannot read " + path_.string() + ": " + ErrnoText(errno));
        if (n == 0) break;  // the file shrank since it was opened
        out.size += static_cast<std::size_t>(n);
    }
    return StoreResult{};
}

}  // namespace tembrel
