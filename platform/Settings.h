#pragma once
// The program's settings: integers under a section and a key, read with a default and
// written as decimal text. The keys the program uses, with their defaults, are in
// SettingsKeys.def and appear here as settings::k<Name>.

#include <array>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string_view>

namespace tembrel {

struct SettingKey {
    std::string_view section;
    std::string_view key;
    int defaultValue;
};

namespace settings {
#define TEMBREL_SETTING(id, section, key, def) inline constexpr SettingKey k##id{section, key, def};
#include "platform/SettingsKeys.def"
#undef TEMBREL_SETTING

inline constexpr std::array kAll{
#define TEMBREL_SETTING(id, section, key, def) k##id,
#include "platform/SettingsKeys.def"
#undef TEMBREL_SETTING
};
}  // namespace settings

class Settings {
public:
    virtual ~Settings() = default;

    // The stored integer, or defaultValue when the key is missing or unreadable.
    virtual int readInt(std::string_view section, std::string_view key, int defaultValue) const = 0;
    // Stores value as decimal text; true when it reached the store.
    virtual bool writeInt(std::string_view section, std::string_view key, int value) = 0;

    int read(const SettingKey& setting) const {
        return readInt(setting.section, setting.key, setting.defaultValue);
    }
    bool write(const SettingKey& setting, int value) {
        return writeInt(setting.section, setting.key, value);
    }
};

// The settings file Tembrel.ini, in Windows initialisation-file syntax (see IniText.h).
// Every read goes to the file, so that a change made by hand is seen. A missing, unreadable,
// oversized or damaged file reads as defaults. A write keeps every other line, replaces the
// file atomically (WriteFileAtomically: every write and sync checked, the old file kept on any
// failure), and refuses to replace a file that exists but cannot be read, a read-only file, or
// to write a file the reader would refuse, so that nothing of it is lost. Refusals and failures
// are told on standard error. Safe to call from any thread.
class IniSettings final : public Settings {
public:
    // Files larger than this are not read, not rewritten, and never written.
    static constexpr std::int64_t kMaxFileBytes = 1 << 20;

    explicit IniSettings(std::filesystem::path file);

    int readInt(std::string_view section, std::string_view key, int defaultValue) const override;
    bool writeInt(std::string_view section, std::string_view key, int value) override;

    const std::filesystem::path& path() const { return file_; }

private:
    std::filesystem::path file_;
    mutable std::mutex mutex_;
};

}  // namespace tembrel
