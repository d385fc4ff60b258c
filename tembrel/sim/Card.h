#pragma once
// The simulated card: its settings, its link, its scan list and counters, and the radio
// environment around it. Not thread-safe on its own: Simulation serialises every call.

#include "Environment.h"
#include "tembrel/common/CardEvent.h"
#include "Registers.h"
#include "Registry.h"
#include "ScanList.h"
#include "Security.h"

#include <Tembrel.h>

#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace tembrel::sim {

// What the card reports about itself (About and Debug pages, tembrelctl "diagnostics").
namespace identity {
constexpr const char* kDeviceDescription = "Orvix LX-7700 802.11a/b/g Wireless PC Card (8335)";
constexpr const char* kDriverVersion = "3.2.7.1";
constexpr const char* kDriverDate = "9-14-2005";
constexpr uint32_t kFirmwareVersion = (1u << 24) | (4u << 16) | (2u << 8) | 17u;  // 1.4.2.17
constexpr uint32_t kChipVersion = 2;
}  // namespace identity

struct Settings {
    uint32_t networkMode = ZARN9100_NETWORK_INFRASTRUCTURE;
    uint32_t wlanMode = ZARN9100_WLAN_MODE_ANY;
    uint32_t adHocWlanMode = ZARN9100_WLAN_MODE_80211G;
    uint32_t channel = 0;       // ad-hoc channel, 0 = automatic
    uint32_t radio = 1;         // software radio control
    uint32_t powerMode = 0;
    uint32_t preamble = 1;
    uint32_t dataRate = 255;
    uint32_t fragThreshold = 2346;
    uint32_t rtsThreshold = 2347;
    uint32_t txPower = 4;
    uint32_t txAntenna = 2;
    uint32_t rxAntenna = 0xffff;
    uint32_t boostMode = 1;
    uint32_t channelRange = (1u << 8) | 11u;  // first channel << 8 | last channel
    uint32_t signalThreshold = 50;
    uint32_t txFailThreshold = 15;
    uint32_t monitorMode = 0;
    std::string profileInUse;
    StationSecurity security;
    _ZARN9100_REGION_CTRL region{};
};

struct Counters {
    _NDIS_802_11_STATISTICS stats{};
    _RSSI_STATS rssi{};
    _BEACON_STATS beacons{};
};

class Card {
public:
    Card(Environment env, uint64_t nowMs, uint32_t seed);

    // ---- handles ----
    ZARN9100_HANDLE open();
    bool close(ZARN9100_HANDLE h);
    bool valid(ZARN9100_HANDLE h) const;

    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }
    Registers& registers() { return registers_; }
    Registry& registry() { return registry_; }
    const Environment& environment() const { return env_; }
    const MacAddress& mac() const { return env_.mac; }
    uint32_t regionCode() const { return env_.regionCode; }
    const std::string& registryPath() const { return registryPath_; }
    // Bit 0x8000 of the interface's Zero-Config ControlFlags: the service controls the card.
    bool zeroConfigActive() const;

    // ---- link ----
    int setSsid(const uint8_t* ssid, uint32_t length);
    bool connected() const { return link_.state == LinkState::Associated; }
    std::string linkSsid() const;
    MacAddress linkBssid() const;
    uint32_t currentChannel() const;
    uint32_t currentWlanMode() const;
    uint32_t wepStatus() const;
    uint32_t radioControl() const;
    std::optional<int32_t> rssi() const;
    uint32_t linkSpeed100bps() const;
    void setNetworkMode(uint32_t mode);
    void setRadio(uint32_t on);
    void portDown();
    void radarDetected();
    int setRegion(const _ZARN9100_REGION_CTRL& r);

    // ---- scanning ----
    void startFullScan();
    void startSsidScan(const std::string& ssid, const uint8_t channels[14], uint32_t networkType);
    void startBssidScan(const MacAddress& bssid, const uint8_t channels[14]);
    const std::vector<ScanResult>& scanList() const { return cache_; }

    // ---- counters ----
    const Counters& counters() const { return counters_; }
    void resetCounters() { counters_ = Counters{}; counters_.stats.Length = sizeof(_NDIS_802_11_STATISTICS); }

    // ---- Auto Link ----
    int setFastJoinSecurity(const _QELT_FASTJOIN_SEC_INFO& info);
    int setFastJoinSetup(const _QELT_FASTJOIN_SETUP_REQ& request);
    const std::string* learntSsid() const { return learntSsid_ ? &*learntSsid_ : nullptr; }

    // ---- time ----
    // Works out everything that fell due up to nowMs, in time order.
    void advanceTo(uint64_t nowMs);
    static constexpr uint64_t kNever = UINT64_MAX;
    // When the card next does something nobody asked for, that is, reports an event: a scan
    // completes, an Auto Link step, the drift step that loses the link, or one that may let an
    // ad-hoc peer join. kNever when nothing is due. Drift, counters and the background refresh of
    // the scan list report nothing, so they are worked out only when the card is next asked.
    // A faint link is not due every second: drift is a deterministic walk from the card's random
    // state, so the step that loses the link is found by walking a copy of the card ahead (at
    // most kLookAheadSteps; beyond them the last step looked at is due, to look further).
    uint64_t nextDueMs() const;
    static constexpr int kLookAheadSteps = 120;

    // ---- controls no real card has ----
    bool present() const { return present_; }
    void pullOut();
    void plugIn();
    bool radioSwitchOn() const { return hwRadioOn_; }
    void setRadioSwitch(bool on);
    std::vector<Network>& networks() { return env_.networks; }
    Network* findNetwork(const std::string& ssidOrBssid);
    bool addNetwork(Network n, std::string& error);
    bool removeNetwork(const std::string& ssidOrBssid);
    void setSignal(Network& n, int32_t dbm);
    const Network* linkNetwork() const;

    std::vector<abi::CardEvent> takeEvents();

    // Hostile mode (Hostile.h): the exported calls answer with nonsense, and each drift period
    // brings events with unknown codes and a link-up without a link. Each call takes the next round.
    bool hostile() const { return hostile_; }
    void setHostile(bool on) { hostile_ = on; }
    uint32_t nextHostileRound() { return hostileRound_++; }

    static const char* deviceInterfaceName();

private:
    enum class LinkState { Idle, Associated, AdHocWaiting };
    struct Link {
        LinkState state = LinkState::Idle;
        MacAddress bssid{};       // the access point's, the station's, or our own IBSS
        std::string ssid;
        Security security = Security::Open;
        uint32_t channel = 0;
        Band band = Band::G;
        bool adHoc = false;
    };
    struct PendingScan {
        enum class Kind { Full, Ssid, Bssid } kind = Kind::Full;
        uint64_t dueMs = 0;
        std::string ssid;
        uint32_t networkType = ZARN9100_SSID_SCAN_ANY_TYPE;
        MacAddress bssid{};
        std::vector<uint32_t> channels;
    };
    struct Exchange {
        bool securityReceived = false;
        std::string pin;
        uint8_t apTag = 0;
        bool running = false;
        int step = 0;
        uint64_t dueMs = 0;
        MacAddress bssid{};
    };

    bool radioOn() const { return present_ && hwRadioOn_ && settings_.radio == 1; }
    bool audible(const Network& n) const { return audibleAt(n, n.rssiDbm); }
    bool audibleAt(const Network& n, int32_t rssiDbm) const;
    bool driftStepMayChangeLink() const;
    uint64_t linkLossDueMs() const;
    // Everything but the drift's own walk that decides when drift loses the link: while it is
    // unchanged, a walk ahead computed earlier still holds.
    uint64_t linkLossKey() const;
    bool bandAllowed(const Network& n) const;
    Network* networkByBssid(const MacAddress& bssid);
    const Network* networkByBssid(const MacAddress& bssid) const;
    void dropLink(uintptr_t eventCode);
    void associate(const Network& n);
    void startAdHoc(const std::string& ssid);
    void refreshCache();
    void completeScan(const PendingScan& scan);
    void driftAndSupervise(uint64_t nowMs);
    void countTraffic();
    void exchangeStep();
    void failExchange(uintptr_t code);
    void emit(abi::CardEvent e) { events_.push_back(std::move(e)); }
    int randomBetween(int lo, int hi);

    Environment env_;
    Settings settings_;
    Registers registers_;
    Registry registry_;
    std::string registryPath_;
    std::string interfaceId_;
    Counters counters_;
    Link link_;
    std::vector<ScanResult> cache_;
    std::optional<PendingScan> pendingScan_;
    Exchange exchange_;
    std::optional<std::string> learntSsid_;
    std::set<uintptr_t> handles_;
    uintptr_t nextHandle_ = 0x7e3c0001;
    bool present_ = true;
    bool hwRadioOn_ = true;
    uint64_t nowMs_ = 0;
    uint64_t nextDriftMs_ = 0;
    uint64_t nextBackgroundScanMs_ = 0;
    uint32_t beaconRemainder_ = 0;
    uint32_t ibssCounter_ = 0;
    std::mt19937 rng_;
    std::vector<abi::CardEvent> events_;
    bool hostile_ = false;
    uint32_t hostileRound_ = 0;
    uint32_t signalsSet_ = 0;  // setSignal calls: a reading can be reset to the level it drifts around
    // The last walk ahead (linkLossDueMs); a cache, so kept by const calls.
    struct LossForecast {
        bool valid = false;
        uint64_t key = 0;
        uint64_t dueMs = kNever;     // the step that loses the link, kNever when none was found
        uint64_t horizonMs = 0;      // the last step looked at
    };
    mutable LossForecast forecast_;
};

}  // namespace tembrel::sim
