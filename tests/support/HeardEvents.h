#pragma once
// What a test hears from a driver library, from any of the library's threads, in order: events
// as their code, status texts as "1012[text]", and whatever else the test adds.

#include "tests/support/PollUntil.h"

#include <TembrelCodes.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace tembrel::testing {

class HeardEvents {
public:
    void add(std::string what) {
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(what));
    }
    // An event of the sink's message kind; param is the text of a status text.
    void addEvent(uintptr_t code, intptr_t param) {
        add(code == ZARN9100_EVENT_STATUS_TEXT ? "1012[" + std::string(reinterpret_cast<const char*>(param)) + "]"
                                               : std::to_string(code));
    }
    size_t count() const {
        std::lock_guard lock(mutex_);
        return items_.size();
    }
    // What was heard since `mark`, separated by spaces.
    std::string since(size_t mark = 0) const {
        std::lock_guard lock(mutex_);
        std::string out;
        for (size_t i = mark; i < items_.size(); ++i) out += (out.empty() ? "" : " ") + items_[i];
        return out;
    }
    bool has(size_t mark, const std::string& item) const {
        std::lock_guard lock(mutex_);
        return std::find(items_.begin() + static_cast<std::ptrdiff_t>(std::min(mark, items_.size())), items_.end(),
                         item) != items_.end();
    }
    // Waits until since(mark) holds `text`.
    bool waitFor(size_t mark, const std::string& text) const {
        return PollUntil([&] { return since(mark).find(text) != std::string::npos; }, std::chrono::seconds(30));
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> items_;
};

}  // namespace tembrel::testing
