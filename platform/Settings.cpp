#include "Settings.h"

#include "IniText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>
#include <string>

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
    QSaveFile out(name);
    if (!out.open(QIODevice::WriteOnly)) return false;
    const qint64 size = static_cast<qint64>(text.size());
    if (out.write(text.data(), size) != size) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

}  // namespace tembrel
