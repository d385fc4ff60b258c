#include "Settings.h"

#include "IniText.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <span>
#include <string>

#include "profiles/AtomicFile.h"

namespace tembrel {

namespace {

enum class ReadStatus { Ok, Missing, Failed };

struct FileText {
    ReadStatus status = ReadStatus::Failed;
    std::string text;
};

FileText ReadWholeFile(const QString& name) {
    const QFileInfo info(name);
    if (!info.exists()) return {ReadStatus::Missing, {}};
    if (!info.isFile() || info.size() > IniSettings::kMaxFileBytes) return {};
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.read(IniSettings::kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > IniSettings::kMaxFileBytes) return {};
    return {ReadStatus::Ok, bytes.toStdString()};
}

}  // namespace

IniSettings::IniSettings(std::filesystem::path file) : file_(std::move(file)) {}

int IniSettings::readInt(std::string_view section, std::string_view key, int defaultValue) const {
    std::lock_guard lock(mutex_);
    const FileText file = ReadWholeFile(QFile::decodeName(file_.c_str()));
    if (file.status != ReadStatus::Ok) return defaultValue;
    const std::optional<std::string> value = ini::FindValue(file.text, section, key);
    if (!value) return defaultValue;
    return ini::ParseInteger(*value).value_or(defaultValue);
}

bool IniSettings::writeInt(std::string_view section, std::string_view key, int value) {
    if (!ini::IsWritableName(section, key) || file_.empty()) return false;
    std::lock_guard lock(mutex_);
    const QString name = QFile::decodeName(file_.c_str());
    const FileText file = ReadWholeFile(name);
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
