#pragma once
// Everything the Network Status page reads from or asks of its sheet and the card. The sheet
// implements it; tests implement it with plain fields.

#include "connection/ConnectionSnapshot.h"
#include "platform/IpHelper.h"
#include "profiles/ProfileRecord.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tembrel::monitoring {

using ProfilePtr = std::shared_ptr<PROFILE_RECORD>;

// A copy of the sheet's connection snapshot.
struct LinkFacts {
    bool connected = false;
    bool adHocStarted = false;
    std::string ssid;
    std::array<uint8_t, 6> bssid{};
    uint32_t networkType = 0;      // 0 = ad hoc, 1 = infrastructure
    uint32_t channel = 0;
    uint32_t frequencyMHz = 0;
    uint32_t wirelessMode = 0;     // band code: 0 = g, 1 = b, 2 = a
};

inline LinkFacts LinkFactsOf(const ConnectionSnapshot& s) {
    LinkFacts facts;
    facts.connected = s.connected != 0;
    facts.adHocStarted = s.adHocStarted != 0;
    facts.ssid = std::string(s.ssid());
    facts.bssid = s.currentBssid;
    facts.networkType = s.currentNetworkMode;
    facts.channel = s.currentChannel;
    facts.frequencyMHz = s.frequencyMHz;
    facts.wirelessMode = s.currentWlanMode;
    return facts;
}

class MainPageSource {
public:
    virtual ~MainPageSource() = default;

    // The sheet.
    virtual bool hasAdapter() const = 0;
    virtual bool radioOn() const = 0;              // radioState != 0
    virtual bool monitorMode() const = 0;
    virtual bool stopping() const = 0;
    virtual void setStopping(bool stopping) = 0;
    virtual LinkFacts linkFacts() const = 0;
    // The sheet's encryption-status query (it re-reads a key-absent status from the card).
    virtual uint32_t encryptionStatus() = 0;
    virtual uint32_t refreshRatePS() const = 0;    // "Debug"/"RefreshRatePS"
    virtual int osFamily() const = 0;              // 3 = the family whose DHCP flag comes from the card
    virtual std::vector<ProfilePtr> profiles() const = 0;   // list order
    virtual ProfilePtr profileInUse() const = 0;
    virtual void setProfileInUse(const ProfilePtr& profile) = 0;
    virtual int connectProfile(const ProfilePtr& profile) = 0;

    // The card, through the sheet's adapter handle; nullopt when the call fails.
    virtual std::optional<int32_t> queryRssi() = 0;            // dBm
    virtual std::optional<uint32_t> queryLinkSpeed() = 0;      // units of 100 bit/s
    virtual std::optional<MacAddress> macAddress() = 0;
    virtual bool queryDhcp9x() = 0;

    // Milliseconds of a monotonic clock, wrapping at 2^32.
    virtual uint32_t tickCountMs() const = 0;
};

enum class Graph { Transmit, Receive };

// What the page's window does on the model's behalf.
class MainPageOutput {
public:
    virtual ~MainPageOutput() = default;
    virtual void graphSetRange(Graph graph, uint32_t low, uint32_t high) = 0;
    virtual void graphAddValue(Graph graph, uint32_t value) = 0;
    // Both graphs take `count` steps (more than one after a period in which the page was not shown).
    virtual void graphsStep(int count) = 0;
    // Busy: wait cursor, every child control disabled, the current texts painted at once.
    virtual void setBusyUi(bool busy) = 0;
};

}  // namespace tembrel::monitoring
