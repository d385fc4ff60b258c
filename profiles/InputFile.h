#pragma once
// A regular file opened for reading, refused when it is larger than its reader expects, so that
// nothing read from it can grow without bound.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "profiles/StoreResult.h"

namespace tembrel {

// The bytes of a file, in a buffer that is not zeroed before the read fills it.
struct FileImage {
    std::unique_ptr<uint8_t[]> data;
    std::size_t size = 0;

    std::span<const uint8_t> bytes() const { return {data.get(), size}; }
};

class InputFile {
public:
    InputFile() = default;
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    ~InputFile();

    // NotFound, OpenFailed, NotARegularFile or TooLarge when the file cannot be read as a whole.
    static StoreResult Open(const std::filesystem::path& path, std::size_t maxBytes, InputFile& out);

    int fd() const { return fd_; }
    // The size when opened; reading never goes beyond it.
    std::size_t size() const { return size_; }
    const std::filesystem::path& path() const { return path_; }

    // The whole file from its start. On a read error `out` holds what was read before it.
    StoreResult ReadAll(FileImage& out) const;

private:
    int fd_ = -1;
    std::size_t size_ = 0;
    std::filesystem::path path_;
};

}  // namespace tembrel
