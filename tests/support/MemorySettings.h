#pragma once
// Settings kept in memory, for tests: no file, every write recorded in order; writes can be
// made to fail.

#include "platform/Settings.h"

#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

namespace tembrel {

class MemorySettings final : public Settings {
public:
    struct Write {
        std::string section;
        std::string key;
        int value;
        bool operator==(const Write&) const = default;
    };

    int readInt(std::string_view section, std::string_view key, int defaultValue) const override {
        std::lock_guard lock(mutex_);
        const auto it = values_.find({std::string(section), std::string(key)});
        return it == values_.end() ? defaultValue : it->second;
    }

    bool writeInt(std::string_view section, std::string_view key, int value) override {
        std::lock_guard lock(mutex_);
        writes_.push_back({std::string(section), std::string(key), value});
        if (failWrites_) return false;
        values_[{std::string(section), std::string(key)}] = value;
        return true;
    }

    void set(const SettingKey& setting, int value) {
        std::lock_guard lock(mutex_);
        values_[{std::string(setting.section), std::string(setting.key)}] = value;
    }
    void setFailWrites(bool fail) {
        std::lock_guard lock(mutex_);
        failWrites_ = fail;
    }
    std::vector<Write> writes() const {
        std::lock_guard lock(mutex_);
        return writes_;
    }

private:
    mutable std::mutex mutex_;
    std::map<std::tuple<std::string, std::string>, int> values_;
    std::vector<Write> writes_;
    bool failWrites_ = false;
};

}  // namespace tembrel
