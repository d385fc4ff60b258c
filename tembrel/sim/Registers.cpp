#include "Registers.h"

namespace tembrel::sim {

Registers::Registers() {
    rf_[0] = kChipType;
    // Calibration results within their valid ranges.
    rf_[0x1a] = 0x5c;
    rf_[0x1b] = 0x7f;
    rf_[0x1c] = 0x33;
    rf_[0x21] = 0x1d;
    rf_[0x20] = 0x71;
    rf_[0x26] = 0x43;
    rf_[0x24] = 0x07;
    for (uint32_t i = 1; i < kBbCount; ++i) bb_[i] = uint8_t((i * 37) ^ 0x5a);
    bb_[0] = 0;
    mac_[0x0000] = 0x77000001;  // revision
    mac_[0x0004] = 0x00000003;
}

bool Registers::readRf(uint32_t index, uint32_t& value) const {
    if (index >= kRfCount) return false;
    value = rf_[index];
    return true;
}

bool Registers::writeRf(uint32_t index, uint32_t value) {
    if (index == 0 || index >= kRfCount || value > 0xff) return false;
    rf_[index] = uint8_t(value);
    return true;
}

bool Registers::readBb(uint32_t index, uint32_t& value) const {
    if (index >= kBbCount) return false;
    value = bb_[index];
    return true;
}

bool Registers::writeBb(uint32_t index, uint32_t value) {
    if (index >= kBbCount || value > 0xff) return false;
    bb_[index] = uint8_t(value);
    return true;
}

bool Registers::readMac(uint32_t index, uint32_t& value) const {
    if (index >= kMacCount) return false;
    auto it = mac_.find(index);
    value = it == mac_.end() ? 0 : it->second;
    return true;
}

bool Registers::writeMac(uint32_t index, uint32_t value) {
    if (index >= kMacCount) return false;
    mac_[index] = value;
    return true;
}

}  // namespace tembrel::sim
