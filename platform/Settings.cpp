#include "Settings.h"

#include "IniText.h"


#include <cstdio>
#include <optional>
#include <span>
#include <string>

#include "profiles/AtomicFile.h"
#include "profiles/InputFile.h"

namespace tembrel {

namespace {

enum class ReadStatus { Ok, Missing, Failed };

struct FileText {
    ReadStatus status = ReadStatus::Failed;
    std::string text;
};

// Read through the very bytes of the path the writer uses: a folder whose name is not valid in
// the locale's encoding would otherwise be read under another name and found empty, and the next
// write would replace the file with one key.
FileText ReadWholeFile(const std::filesystem::path& path) {
    InputFile file;
    const StoreResult opened = InputFile::Open(path, IniSettings::kMaxFileBytes, file);
    if (opened.status == StoreStatus::NotFound) return {ReadStatus::Missing, {}};
    if (!opened.ok()) return {};
    FileImage image;
    if (!file.ReadAll(image).ok()) return {};
    return {ReadStatus::Ok, std::string(reinterpret_cast<const char*>(image.data.get()), image.size)};
}

}  // namespace

IniSettings::IniSettings(std::filesystem::path file) : file_(std::move(file)) {}

int IniSettings::readInt(std::string_view section, std::string_view key, int defaultValue) const {
    std::lock_guard lock(mutex_);
    const FileText file = ReadWholeFile(file_);
    if (file.status != ReadStatus::Ok) return defaultValue;
    const std::optional<std::string> value = ini::FindValue(file.text, section, key);
    if (!value) return defaultValue;
    return ini::ParseInteger(*value).value_or(defaultValue);
}

bool IniSettings::writeInt(std::string_view section, std::string_view key, int value) {
    if (!ini::IsWritableName(section, key) || file_.empty()) return false;
    std::lock_guard lock(mutex_);
    const FileText file = ReadWholeFile(file_);
    if (file.status == ReadStatus::Failed) return false;

    const std::string text = ini::SetValue(file.text, section, key, std::to_string(value));
    // The same value again (the channel range at every start, say): no rewrite, no sync.
    if (file.status == ReadStatus::Ok && text == file.text) return true;
    // A file the reader would refuse would cost every setting at the next read.
    if (static_cast<std::int64_t>(text.size()) > kMaxFileBytes) {
        std::fprintf(stderr, "Tembrel: %s not changed: it would grow beyond %lld bytes\n", file_.c_str(),
                     static_cast<long long>(kMaxFileBytes));
        return false;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const StoreResult written = WriteFileAtomically(file_, std::span(bytes, text.size()));
    if (!written) std::fprintf(stderr, "Tembrel: %s not changed: %s\n", file_.c_str(), written.reason.c_str());
    return written.ok();
}

}  // namespace tembrel
