#pragma once
// The card's RF, baseband and MAC register files. RF register 0 holds the chip type and is
// read-only; RF and baseband registers are 8 bits wide, MAC registers 32 bits.

#include <array>
#include <cstdint>
#include <map>

namespace tembrel::sim {

class Registers {
public:
    static constexpr uint32_t kChipType = 3;
    static constexpr uint32_t kRfCount = 256;
    static constexpr uint32_t kBbCount = 256;
    static constexpr uint32_t kMacCount = 0x10000;

    Registers();
    bool readRf(uint32_t index, uint32_t& value) const;
    bool writeRf(uint32_t index, uint32_t value);
    bool readBb(uint32_t index, uint32_t& value) const;
    bool writeBb(uint32_t index, uint32_t value);
    bool readMac(uint32_t index, uint32_t& value) const;
    bool writeMac(uint32_t index, uint32_t value);

private:
    std::array<uint8_t, kRfCount> rf_{};
    std::array<uint8_t, kBbCount> bb_{};
    std::map<uint32_t, uint32_t> mac_;
};

}  // namespace tembrel::sim
