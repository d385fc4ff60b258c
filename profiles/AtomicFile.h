#pragma once
// Whole-file replacement that never leaves a half-written file: the bytes go to a temporary file in
// the target's folder (mode 0600 from its creation), which is flushed to disk and then renamed over
// the target. On any failure the target is untouched and the temporary file is removed.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "profiles/StoreResult.h"

namespace tembrel {

// The system calls the writer makes once its temporary file is open; tests replace one to make it fail.
struct FileOps {
    std::function<ssize_t(int fd, const void* data, std::size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(const char* from, const char* to)> rename;
    std::function<int(const char* existing, const char* newName)> link;

    static FileOps System();
};

// The file a replacement of `target` replaces: where its chain of symbolic links ends, else `target`
// itself. A dangling link gives the file it names, which the replacement creates, so that the link
// is kept. Nothing for links that loop (or a chain of more than 40).
std::optional<std::filesystem::path> ReplacedFile(const std::filesystem::path& target);

// The program's own temporary files beside `real` start with this (".Data.cfg.tembrel-"), so that
// a clean-up never takes a file of the user's that merely looks alike.
std::string OwnTemporaryPrefix(const std::filesystem::path& real);

// WriteFailed when `target` exists and nobody may write it (every write bit clear): a file the user
// made read-only is left as it is, also where the folder would allow a rename over it.
StoreResult CheckReplaceable(const std::filesystem::path& target);

// Replaces `target` with `bytes`. A symbolic link is followed, so the file it names is replaced.
// A read-only target (CheckReplaceable) and a link that loops are refused. The temporary file is
// OwnTemporaryPrefix + "save-" + six letters or digits.
StoreResult WriteFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes,
                                const FileOps& ops = FileOps::System());

// Replaces `target` with a copy of the file `source` in the same way (owner-only, flushed, renamed
// into place), reading `source` a piece at a time, so that a file of any size can be copied.
StoreResult CopyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target,
                               const FileOps& ops = FileOps::System());

}  // namespace tembrel
