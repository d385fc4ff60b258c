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

// Replaces `target` with `bytes`. A symbolic link is followed, so the file it names is replaced.
StoreResult WriteFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes,
                                const FileOps& ops = FileOps::System());

}  // namespace tembrel
