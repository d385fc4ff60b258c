#pragma once
// The Advanced page's lists with the value each entry carries (sent to and compared with the
// driver library), the transmit rates of each wireless mode, the pending-change bits and the
// threshold rules.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembrel::advanced {

struct Entry {
    std::string text;
    uint32_t value;
    bool operator==(const Entry&) const = default;
};

// The page's drop-down lists.
enum class List { PowerSave, Preamble, RxAntenna, TxAntenna, TxPower, TxRate };
inline constexpr int kListCount = 6;

// The fixed entries of a list; the transmit-rate list is built by rateEntries().
const std::vector<Entry>& fixedEntries(List list);

inline constexpr uint32_t kRateAuto = 255;
// "Auto", then the rates of the wireless mode: 1 = 802.11b, 2 = 802.11a, any other = 802.11g.
std::vector<Entry> rateEntries(uint32_t wirelessMode);
// A rate in units of 500 kbit/s: "%d Mbps" for an even value, "%d.5 Mbps" for an odd one.
std::string formatRate(uint32_t rate500kbps);

// Pending-change bits: one per parameter changed since the last Apply.
enum Pending : uint32_t {
    kPendingPowerSave = 0x001,
    kPendingPreamble = 0x002,
    kPendingTxAntenna = 0x004,
    kPendingRxAntenna = 0x008,
    kPendingDataRate = 0x010,
    kPendingFragThreshold = 0x020,
    kPendingRtsThreshold = 0x040,
    kPendingBoost = 0x100,
    kPendingTxPower = 0x200,
};
// "&Default": every parameter but boost.
inline constexpr uint32_t kPendingDefaults = 0x27F;
// The bits a selection change in a list sets (a rate change also sends the preamble again).
uint32_t pendingBitsOf(List list);

// Thresholds: the spin ranges, the values Apply clamps to, and the defaults.
inline constexpr int32_t kFragMin = 256;
inline constexpr int32_t kFragMax = 2346;
inline constexpr int32_t kRtsMin = 0;
inline constexpr int32_t kRtsMax = 2347;
inline constexpr int32_t kFragDefault = 2346;
inline constexpr int32_t kRtsDefault = 2347;

// The integer of a threshold edit: decimal digits only, at least one, within signed 32 bits.
// nullopt for an empty, non-numeric or overflowing text.
std::optional<int32_t> parseThreshold(std::string_view text);

// A threshold value the driver reported, as the page keeps it (signed 32-bit).
int32_t thresholdFromDriver(uint32_t value);

// The device description from a buffer the driver filled: up to the first NUL, and never past
// the buffer, since a driver may leave it unterminated.
std::string boundedText(const char* buffer, size_t capacity);

inline constexpr uint32_t kDeviceDescCapacity = 200;
// A description with this text marks the card that has Boost Mode.
inline constexpr std::string_view kBoostCardMarker = "(8335)";

}  // namespace tembrel::advanced
