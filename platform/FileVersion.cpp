#include "FileVersion.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <vector>

namespace tembrel {

namespace {

constexpr uint32_t kNoteTypeVersion = 1;
constexpr char kNoteName[] = "Tembrel";     // with its NUL: 8 bytes
constexpr uint32_t kSectionNote = 7;        // SHT_NOTE
constexpr uint32_t kSegmentNote = 4;        // PT_NOTE
constexpr uint64_t kMaxNoteArea = 64 * 1024;  // larger note areas are not ours
constexpr unsigned kMaxNoteAreas = 64;

// Fields of the ELF header and tables, decoded for the file's class and byte order.
class ElfView {
public:
    explicit ElfView(const ByteReader& read) : read_(read) {}

    bool open() {
        uint8_t ident[16];
        if (!read_(0, ident, sizeof ident)) return false;
        if (std::memcmp(ident, "\x7f" "ELF", 4) != 0) return false;
        if (ident[4] != 1 && ident[4] != 2) return false;
        if (ident[5] != 1 && ident[5] != 2) return false;
        wide_ = ident[4] == 2;
        big_ = ident[5] == 2;
        return true;
    }

    bool wide() const { return wide_; }

    bool u16(uint64_t offset, uint64_t& v) const { return number(offset, 2, v); }
    bool u32(uint64_t offset, uint64_t& v) const { return number(offset, 4, v); }
    // An address-sized field: 4 bytes in 32-bit files, 8 in 64-bit files.
    bool word(uint64_t offset, uint64_t& v) const { return number(offset, wide_ ? 8 : 4, v); }
    bool bytes(uint64_t offset, void* out, size_t size) const { return read_(offset, out, size); }

private:
    bool number(uint64_t offset, size_t size, uint64_t& v) const {
        uint8_t b[8];
        if (!read_(offset, b, size)) return false;
        v = 0;
        for (size_t i = 0; i < size; ++i) v |= uint64_t(b[big_ ? i : size - 1 - i]) << (8 * (size - 1 - i));
        return true;
    }

    const ByteReader& read_;
    bool wide_ = false;
    bool big_ = false;
};

struct NoteArea {
    uint64_t offset;
    uint64_t size;
};

// The note sections (from the section header table), or else the note segments.
std::vector<NoteArea> NoteAreas(const ElfView& elf) {
    std::vector<NoteArea> areas;
    uint64_t shoff = 0, shentsize = 0, shnum = 0, phoff = 0, phentsize = 0, phnum = 0;
    const bool wide = elf.wide();
    if (!elf.word(wide ? 0x28 : 0x20, shoff) || !elf.u16(wide ? 0x3a : 0x2e, shentsize) ||
        !elf.u16(wide ? 0x3c : 0x30, shnum) || !elf.word(wide ? 0x20 : 0x1c, phoff) ||
        !elf.u16(wide ? 0x36 : 0x2a, phentsize) || !elf.u16(wide ? 0x38 : 0x2c, phnum))
        return areas;
    const uint64_t minSection = wide ? 0x40 : 0x28;
    if (shoff != 0 && shentsize >= minSection) {
        for (uint64_t i = 0; i < shnum && areas.size() < kMaxNoteAreas; ++i) {
            const uint64_t at = shoff + i * shentsize;
            uint64_t type = 0, offset = 0, size = 0;
            if (!elf.u32(at + 4, type)) break;
            if (type != kSectionNote) continue;
            if (!elf.word(at + (wide ? 0x18 : 0x10), offset) || !elf.word(at + (wide ? 0x20 : 0x14), size)) break;
            if (size <= kMaxNoteArea) areas.push_back({offset, size});
        }
        if (!areas.empty()) return areas;
    }
    const uint64_t minSegment = wide ? 0x38 : 0x20;
    if (phoff != 0 && phentsize >= minSegment) {
        for (uint64_t i = 0; i < phnum && areas.size() < kMaxNoteAreas; ++i) {
            const uint64_t at = phoff + i * phentsize;
            uint64_t type = 0, offset = 0, size = 0;
            if (!elf.u32(at, type)) break;
            if (type != kSegmentNote) continue;
            if (!elf.word(at + (wide ? 0x08 : 0x04), offset) || !elf.word(at + (wide ? 0x20 : 0x10), size)) break;
            if (size <= kMaxNoteArea) areas.push_back({offset, size});
        }
    }
    return areas;
}

uint64_t Align4(uint64_t n) { return (n + 3) & ~uint64_t(3); }

std::optional<FileVersion> VersionInArea(const ElfView& elf, const NoteArea& area) {
    uint64_t at = 0;
    while (at + 12 <= area.size) {
        uint64_t nameSize = 0, descSize = 0, type = 0;
        if (!elf.u32(area.offset + at, nameSize) || !elf.u32(area.offset + at + 4, descSize) ||
            !elf.u32(area.offset + at + 8, type))
            return std::nullopt;
        const uint64_t name = at + 12;
        const uint64_t desc = name + Align4(nameSize);
        const uint64_t next = desc + Align4(descSize);
        if (nameSize > area.size || descSize > area.size || next > area.size) return std::nullopt;
        if (type == kNoteTypeVersion && nameSize == sizeof kNoteName && descSize == 16) {
            char text[sizeof kNoteName];
            if (!elf.bytes(area.offset + name, text, sizeof text)) return std::nullopt;
            if (std::memcmp(text, kNoteName, sizeof text) == 0) {
                FileVersion version{};
                for (size_t i = 0; i < version.size(); ++i) {
                    uint64_t part = 0;
                    if (!elf.u32(area.offset + desc + 4 * i, part)) return std::nullopt;
                    version[i] = uint32_t(part);
                }
                return version;
            }
        }
        at = next;
    }
    return std::nullopt;
}

}  // namespace

std::optional<FileVersion> FindStampedVersion(const ByteReader& read) {
    ElfView elf(read);
    if (!elf.open()) return std::nullopt;
    for (const NoteArea& area : NoteAreas(elf))
        if (auto version = VersionInArea(elf, area)) return version;
    return std::nullopt;
}

std::optional<FileVersion> ReadStampedVersion(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (end <= 0) return std::nullopt;
    const uint64_t length = uint64_t(end);
    const ByteReader read = [&in, length](uint64_t offset, void* out, size_t size) {
        if (offset > length || size > length - offset) return false;
        in.clear();
        in.seekg(std::streamoff(offset));
        return bool(in.read(static_cast<char*>(out), std::streamsize(size)));
    };
    return FindStampedVersion(read);
}

std::string FileDateText(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return {};
    std::tm local{};
    if (::localtime_r(&info.st_mtime, &local) == nullptr) return {};
    char text[48];
    std::snprintf(text, sizeof text, "%d-%d-%d", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
    return text;
}

}  // namespace tembrel
