#pragma once
// What the C ABI of a real card's library asks of its card. The entry points (CardExports.cpp)
// are the same in every such library: they check handles and arguments and collect the security
// settings, which SetSsid hands to the card as one network's (and clears for the next); each
// card answers the rest from its own source.

#include "tembrel/common/CollectedSecurity.h"
#include "tembrel/common/EventDispatcher.h"

#include <Tembrel.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tembrel::abi {

class DriverCard {
public:
    virtual ~DriverCard() = default;

    virtual EventDispatcher& dispatcher() = 0;
    // A new handle, null when the card cannot be reached.
    virtual ZARN9100_HANDLE open() = 0;
    virtual bool close(ZARN9100_HANDLE h) = 0;
    virtual bool valid(ZARN9100_HANDLE h) = 0;
    // Another service configures the card, so the library's settings would not hold.
    virtual bool managedBySystemService() const = 0;

    // Joins `ssid` with `security`, the settings collected for it; a SetSsid result.
    virtual int setSsid(const std::string& ssid, bool hidden, const CollectedSecurity& security) = 0;
    // What the card can take besides the common bounds.
    virtual bool acceptsWepKeyLength(uint32_t length) const = 0;
    // Why the card cannot take `text` in an identity ("contains a line break"), "" when it can.
    virtual std::string identityTextProblem(const std::string& text) const = 0;
    // Ends the 802.1x session (the port closes).
    virtual void logOff() = 0;

    virtual bool associated() = 0;
    virtual std::string associatedSsid() = 0;        // "" when none
    virtual std::array<uint8_t, 6> associatedBssid() = 0;  // zeros when none
    virtual LinkSecurity linkSecurity() = 0;
    virtual uint32_t linkFrequencyMHz() = 0;  // 0 when none
    virtual std::optional<int32_t> rssiDbm() = 0;
    virtual std::optional<uint32_t> linkSpeed100bps() = 0;

    // ZARN9100_RADIO_ON, _OFF or _SWITCHED_OFF; a result code from setting it.
    virtual uint32_t radioControl() = 0;
    virtual int setRadioControl(bool on) = 0;

    virtual int scan() = 0;
    // The scan list's entries in the layout QueryScanList hands out.
    virtual std::vector<std::vector<uint8_t>> scanEntries() = 0;

    virtual bool wired() const = 0;
    virtual std::string interfaceName() = 0;
    virtual std::optional<std::array<uint8_t, 6>> macAddress() = 0;
    // The driver's name and version, "" when unknown.
    virtual std::string driverText() = 0;
    // The kernel's counter of the interface (frames, not 802.11 fragments); 0 when unknown.
    virtual int64_t statistic(const char* name) = 0;
};

// The library's one card, made at the first call and kept while the library is loaded.
DriverCard& TheCard();

}  // namespace tembrel::abi
