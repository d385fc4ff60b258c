#include "survey/ScanEntry.h"

#include <algorithm>

namespace tembrel {

MacAddress ScanEntry::macAddress() const {
    MacAddress mac;
    std::copy_n(bytes_.begin() + scan_entry::kMacAddress, mac.size(), mac.begin());
    return mac;
}

std::string_view ScanEntry::ssid() const {
    if (!hasUsableSsid()) return {};
    return {reinterpret_cast<const char*>(bytes_.data() + scan_entry::kSsid), ssidLength()};
}

std::span<const uint8_t> ScanEntry::variableElements() const {
    const uint32_t ieLen = ieLength();
    if (ieLen <= scan_entry::kFixedElementsSize || bytes_.size() <= scan_entry::kVariableElements) return {};
    const size_t available = bytes_.size() - scan_entry::kVariableElements;
    const size_t wanted = ieLen - scan_entry::kFixedElementsSize;
    return bytes_.subspan(scan_entry::kVariableElements, std::min(wanted, available));
}

ScanList::ScanList(std::span<const uint8_t> buffer)
    : buffer_(buffer.first(std::min(buffer.size(), kScanBufferSize))) {
    if (buffer_.size() >= 4) count_ = scan_entry::LoadU32Le(buffer_.data());
}

ScanList::Iterator::Iterator(std::span<const uint8_t> buffer, uint32_t count)
    : buffer_(buffer), count_(count), offset_(4) {
    settle();
}

// Accepts the entry at offset_ when it is within the count, at least the fixed fields long
// and wholly inside the buffer; otherwise the walk ends (length_ = 0).
void ScanList::Iterator::settle() {
    length_ = 0;
    if (index_ >= count_ || offset_ > buffer_.size() || buffer_.size() - offset_ < scan_entry::kMinimumLength)
        return;
    const uint32_t length = scan_entry::LoadU32Le(buffer_.data() + offset_);
    if (length < scan_entry::kMinimumLength || length > buffer_.size() - offset_) return;
    length_ = length;
}

ScanList::Iterator& ScanList::Iterator::operator++() {
    if (length_ == 0) return *this;
    offset_ += length_;
    ++index_;
    settle();
    return *this;
}

std::optional<ScanEntry> ScanList::EntryAt(long long index) const {
    if (index < 0 || static_cast<unsigned long long>(index) >= count_) return std::nullopt;
    for (auto it = begin(); it != end(); ++it)
        if (it.index() == index) return *it;
    return std::nullopt;
}

std::optional<ScanEntry> EntryAt(std::span<const uint8_t> buffer, long long index) {
    return ScanList(buffer).EntryAt(index);
}

}  // namespace tembrel
