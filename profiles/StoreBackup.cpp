#include "profiles/StoreBackup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <vector>

#include "profiles/ProfileStore.h"

namespace tembrel {

namespace {

std::string ErrnoText(int error) { return std::error_code(error, std::generic_category()).message(); }

StoreResult Failure(std::string reason) {
    StoreResult result;
    result.status = StoreStatus::WriteFailed;
    result.reason = std::move(reason);
    return result;
}

bool RegularFile(const std::filesystem::path& path, struct stat& info) {
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Whether the two files hold the same bytes, read a piece at a time.
bool SameBytes(const std::filesystem::path& a, const std::filesystem::path& b) {
    const int fa = ::open(a.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    const int fb = ::open(b.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    bool same = fa >= 0 && fb >= 0;
    std::vector<char> pa(1 << 16), pb(1 << 16);
    while (same) {
        const ssize_t na = ::read(fa, pa.data(), pa.size());
        const ssize_t nb = na > 0 ? ::read(fb, pb.data(), static_cast<std::size_t>(na)) : ::read(fb, pb.data(), 1);
        if (na < 0 || nb < 0 || na != nb) same = false;
        else if (na == 0) break;
        else same = std::equal(pa.begin(), pa.begin() + na, pb.begin());
    }
    if (fa >= 0) ::close(fa);
    if (fb >= 0) ::close(fb);
    return same;
}

bool AlreadyKept(const std::filesystem::path& real, const struct stat& realInfo, const std::filesystem::path& newest) {
    struct stat info {};
    if (!RegularFile(newest, info)) return false;
    if (info.st_dev == realInfo.st_dev && info.st_ino == realInfo.st_ino) return true;
    return info.st_size == realInfo.st_size && SameBytes(real, newest);
}

std::size_t ReadableProfiles(const std::filesystem::path& path) {
    ProfileList list;
    return ReadProfileFile(path, list).records;
}

// Makes room for a new newest backup: the kept ones move up one number, and when all places are
// taken the one that holds the fewest readable profiles is removed first.
StoreResult MakeRoom(const std::filesystem::path& real, const FileOps& ops) {
    std::vector<std::size_t> present;
    for (std::size_t i = 0; i < kKeptBackups; ++i) {
        struct stat info {};
        if (::lstat(BackupPath(real, i).c_str(), &info) == 0) present.push_back(i);
    }
    if (present.size() == kKeptBackups) {
        std::size_t victim = present.back();
        std::size_t fewest = ReadableProfiles(BackupPath(real, victim));
        for (std::size_t k = present.size() - 1; k-- > 0;) {
            const std::size_t n = ReadableProfiles(BackupPath(real, present[k]));
            if (n < fewest) {
                fewest = n;
                victim = present[k];
            }
        }
        if (::unlink(BackupPath(real, victim).c_str()) != 0)
            return Failure("cannot remove the old copy " + BackupPath(real, victim).string() + ": " + ErrnoText(errno));
        std::erase(present, victim);
    }
    // From the oldest down, so that each new name is free when its file moves there.
    for (std::size_t k = present.size(); k-- > 0;) {
        if (present[k] == k + 1) continue;
        const std::filesystem::path from = BackupPath(real, present[k]);
        const std::filesystem::path to = BackupPath(real, k + 1);
        if (ops.rename(from.c_str(), to.c_str()) != 0)
            return Failure("cannot move the copy " + from.string() + " to " + to.string() + ": " + ErrnoText(errno));
    }
    return StoreResult{};
}

// A second name for `real`, moved into place as `kept`; false when no link can be made.
bool LinkAs(const std::filesystem::path& real, const std::filesystem::path& kept, const FileOps& ops) {
    std::filesystem::path staging = real;
    staging.replace_filename(OwnTemporaryPrefix(real) + "bak-" + std::to_string(::getpid()));
    ::unlink(staging.c_str());
    if (ops.link(real.c_str(), staging.c_str()) != 0) return false;
    if (ops.rename(staging.c_str(), kept.c_str()) == 0) return true;
    ::unlink(staging.c_str());
    return false;
}

}  // namespace

std::filesystem::path BackupPath(const std::filesystem::path& real, std::size_t index) {
    std::filesystem::path path = real;
    path += index == 0 ? std::string(".bak") : ".bak." + std::to_string(index);
    return path;
}

StoreResult KeepBackup(const std::filesystem::path& real, const FileOps& ops) {
    const std::filesystem::path newest = BackupPath(real, 0);
    struct stat info {};
    if (!RegularFile(real, info)) return Failure(real.string() + " is not a regular file");
    StoreResult result;
    result.keptAs = newest.string();
    if (AlreadyKept(real, info, newest)) return result;
    if (StoreResult room = MakeRoom(real, ops); !room.ok()) return room;
    if (LinkAs(real, newest, ops)) {
        // The secrets stay the owner's, whatever mode the store had.
        const mode_t ownerOnly = info.st_mode & (S_IRUSR | S_IWUSR);
        if ((info.st_mode & 07777) == ownerOnly || ::chmod(newest.c_str(), ownerOnly) == 0) return result;
        ::unlink(newest.c_str());  // another owner's file: copied below into one of ours
    }
    // Another owner's file under protected_hardlinks, a file system without links: a copy.
    if (StoreResult copied = CopyFileAtomically(real, newest, ops); !copied.ok())
        return Failure("cannot keep " + real.string() + " as " + newest.string() + ": " + copied.reason);
    return result;
}

}  // namespace tembrel
