#pragma once
// A small registry store: values by (key, name), keys compared without regard to case as
// the Windows registry does.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <variant>

namespace tembrel::sim {

class Registry {
public:
    using Value = std::variant<uint32_t, std::string>;

    void setNumber(const std::string& key, const std::string& name, uint32_t value);
    void setText(const std::string& key, const std::string& name, std::string text);
    const Value* find(const std::string& key, const std::string& name) const;

private:
    static std::pair<std::string, std::string> folded(const std::string& key, const std::string& name);
    std::map<std::pair<std::string, std::string>, Value> values_;
};

}  // namespace tembrel::sim
