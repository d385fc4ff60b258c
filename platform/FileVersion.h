#pragma once
// File versions and dates of binaries on disk.
//
// Every binary of this project carries its version as an ELF note (name "Tembrel", type 1, four
// 32-bit numbers in the file's byte order), stamped at build time by tembrel_stamp_version()
// (cmake/VersionStamp.cmake). The version is read back from the file itself, so that a library
// built elsewhere shows its own version, not the program's.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace tembrel {

using FileVersion = std::array<uint32_t, 4>;  // most significant part first

// Reads `size` bytes at `offset` of a file image into `out`; false when they are not all there.
using ByteReader = std::function<bool(uint64_t offset, void* out, size_t size)>;

// The stamped version found in an ELF image (32 or 64 bits, either byte order), looked up in its
// note sections, else in its note segments. nullopt for anything else or a damaged file; reads
// are bounded, so a hostile file costs at most a few hundred kilobytes of reading.
std::optional<FileVersion> FindStampedVersion(const ByteReader& read);

// The stamped version of a file on disk.
std::optional<FileVersion> ReadStampedVersion(const std::filesystem::path& file);

// The file's last-write time in local time as "month-day-year" ("9-14-2005"); "" when the file
// cannot be found.
std::string FileDateText(const std::filesystem::path& file);

}  // namespace tembrel
