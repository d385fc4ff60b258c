#pragma once
// Iterates the information elements of a scan entry (id, length, body). An element whose
// header or body would run past the element area ends the walk.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>

namespace tembrel {

struct InformationElement {
    uint8_t id = 0;
    std::span<const uint8_t> body;  // `length` bytes following the two header bytes
    // Byte i counted from the id byte (0 = id, 1 = length), or none when outside the element.
    bool byteRangeInside(size_t first, size_t count) const { return first >= 2 && first - 2 + count <= body.size(); }
};

class InformationElements {
public:
    explicit InformationElements(std::span<const uint8_t> area) : area_(area) {}

    class Iterator {
    public:
        const InformationElement& operator*() const { return current_; }
        const InformationElement* operator->() const { return &current_; }
        Iterator& operator++() {
            offset_ += 2 + current_.body.size();
            settle();
            return *this;
        }
        bool operator==(std::default_sentinel_t) const { return done_; }

    private:
        friend class InformationElements;
        explicit Iterator(std::span<const uint8_t> area) : area_(area) { settle(); }
        void settle() {
            const size_t left = area_.size() - offset_;
            if (left < 2 || size_t{area_[offset_ + 1]} > left - 2) {
                done_ = true;
                return;
            }
            current_.id = area_[offset_];
            current_.body = area_.subspan(offset_ + 2, area_[offset_ + 1]);
        }
        std::span<const uint8_t> area_;
        size_t offset_ = 0;
        bool done_ = false;
        InformationElement current_;
    };

    Iterator begin() const { return Iterator(area_); }
    std::default_sentinel_t end() const { return {}; }

private:
    std::span<const uint8_t> area_;
};

}  // namespace tembrel
