#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace tembrel {

FolderLock::FolderLock(const std::filesystem::path& folder) {
    const std::filesystem::path path = folder.empty() ? std::filesystem::path(".") : folder;
    // Close-on-exec: a program this one starts must not keep the folder locked after it ends.
    fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = path.string() + ": " + std::error_code(errno, std::generic_category()).message();
        return;
    }
    int rc;
    do rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        state_ = State::Held;
        return;
    }
    if (errno == EWOULDBLOCK) state_ = State::HeldByAnother;
    else error_ = path.string() + ": " + std::error_code(errno, std::generic_category()).message();
    ::close(fd_);
    fd_ = -1;
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace tembrel
