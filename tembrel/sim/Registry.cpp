#include "Registry.h"

#include <cctype>

namespace tembrel::sim {

std::pair<std::string, std::string> Registry::folded(const std::string& key, const std::string& name) {
    auto lower = [](std::string s) {
        for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    std::string k = lower(key);
    while (!k.empty() && k.back() == '\\') k.pop_back();
    return {k, lower(name)};
}

void Registry::setNumber(const std::string& key, const std::string& name, uint32_t value) {
    values_[folded(key, name)] = value;
}

void Registry::setText(const std::string& key, const std::string& name, std::string text) {
    values_[folded(key, name)] = std::move(text);
}

const Registry::Value* Registry::find(const std::string& key, const std::string& name) const {
    auto it = values_.find(folded(key, name));
    return it == values_.end() ? nullptr : &it->second;
}

}  // namespace tembrel::sim
