#pragma once
// Whole-file replacement that never leaves a half-written file: the bytes go to a temporary file in
// the target's folder (mode 0600 from its creation), which is flushed to disk and then renamed over
// the target. On any failure the target is untouched and the temporary file is removed.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

#include "profiles/StoreResult.h"

namespace tembrel {

// The system calls the writer makes once its temporary file is open; tests replace one to make it fail.
struct FileOps {
    std::function<ssize_t(int fd, const void* data, std::size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(const char* from, const char* to)> rename;

    static FileOps System();
};

// The file a replacement of `target` replaces: the file a symbolic link names, else `target` itself.
std::filesystem::path ReplacedFile(const std::filesystem::path& target);

// WriteFailed when `target` exists and nobody may write it (every write bit clear): a file the user
// made read-only is left as it is, also where the folder would allow a rename over it.
StoreResult CheckReplaceable(const std::filesystem::path& target);

// Replaces `target` with `bytes`. A symbolic link is followed, so the file it names is replaced.
// A read-only target (CheckReplaceable) is refused.
StoreResult WriteFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes,
                                const FileOps& ops = FileOps::System());

}  // namespace tembrel
