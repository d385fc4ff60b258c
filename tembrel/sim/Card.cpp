#include "Card.h"

#include "Hostile.h"

#include <algorithm>
#include <cstring>

namespace tembrel::sim {

namespace {

constexpr uint64_t kDriftPeriodMs = 1000;
constexpr uint64_t kBackgroundScanPeriodMs = 10000;
constexpr uint64_t kScanDurationMs = 1200;
constexpr uint64_t kExchangeStepMs = 300;
constexpr int32_t kHearingLimitDbm = -92;  // weaker beacons are not decoded; a link drops
constexpr int32_t kDriftSpanDb = 4;
const std::string kZeroConfigInterfaces = "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\";

struct RegionDefault {
    uint32_t code;
    char country[3];
    uint8_t first;
    uint8_t last;
};
constexpr RegionDefault kRegions[] = {
    {0x10, "US", 1, 11}, {0x20, "CA", 1, 11}, {0x30, "EU", 1, 13},
    {0x31, "ES", 10, 11}, {0x32, "FR", 11, 13}, {0x40, "JP", 1, 14},
};

const RegionDefault& RegionFor(uint32_t code) {
    for (const auto& r : kRegions) {
        if (r.code == code) return r;
    }
    return kRegions[0];
}

_ZARN9100_REGION_CTRL DefaultRegionRecord(uint32_t code) {
    const RegionDefault& r = RegionFor(code);
    _ZARN9100_REGION_CTRL rec{};
    rec.mode = 1;
    rec.countryCode[0] = r.country[0];
    rec.countryCode[1] = r.country[1];
    rec.environment = ' ';
    rec.channelRanges[0][0] = r.first;
    rec.channelRanges[0][1] = uint8_t(r.last - r.first + 1);
    const uint8_t a[][2] = {{36, 4}, {52, 4}, {149, 5}};
    for (size_t i = 0; i < 3; ++i) {
        rec.channelRanges11a[i][0] = a[i][0];
        rec.channelRanges11a[i][1] = a[i][1];
    }
    return rec;
}

// Link speed in Mbit/s x 2 (500 kbit/s units) that the signal sustains.
uint32_t AdaptiveRate(int32_t rssi, bool ofdm) {
    if (!ofdm) {
        if (rssi >= -80) return 22;
        if (rssi >= -85) return 11;
        if (rssi >= -88) return 4;
        return 2;
    }
    struct Step {
        int32_t rssi;
        uint32_t rate;
    };
    constexpr Step steps[] = {{-65, 108}, {-68, 96}, {-72, 72}, {-76, 48}, {-80, 36}, {-84, 24}, {-86, 18}};
    for (const Step& s : steps) {
        if (rssi >= s.rssi) return s.rate;
    }
    return 12;
}

}  // namespace

const char* Card::deviceInterfaceName() {
    return R"(\\?\PCI#VEN_7E3C&DEV_4C01&SUBSYS_00000000&REV_01#4&1a2b3c4d&0&00E0#{ad498944-762f-11d0-8dcb-00c04fc3358c})";
}

Card::Card(Environment env, uint64_t nowMs, uint32_t seed)
    : env_(std::move(env)), present_(env_.cardPresent), hwRadioOn_(env_.radioSwitchOn), nowMs_(nowMs), rng_(seed),
      hostile_(env_.hostile) {
    const RegionDefault& r = RegionFor(env_.regionCode);
    settings_.channelRange = (uint32_t(r.first) << 8) | r.last;
    settings_.region = DefaultRegionRecord(env_.regionCode);
    resetCounters();
    nextDriftMs_ = nowMs + kDriftPeriodMs;
    nextBackgroundScanMs_ = nowMs + kBackgroundScanPeriodMs;
    registryPath_ = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0012";
    interfaceId_ = "{6F2A3C1D-7E3C-4C01-9A1B-00E0A1B2C3D4}";
    registry_.setText(registryPath_, "NetCfgInstanceId", interfaceId_);
    registry_.setText(registryPath_, "DriverDesc", identity::kDeviceDescription);
    registry_.setNumber(kZeroConfigInterfaces + interfaceId_, "ControlFlags",
                        env_.zeroConfigActive ? 0x0000c015u : 0x00004015u);
    refreshCache();
}

bool Card::zeroConfigActive() const {
    const auto* flags = registry_.find(kZeroConfigInterfaces + interfaceId_, "ControlFlags");
    const auto* number = flags != nullptr ? std::get_if<uint32_t>(flags) : nullptr;
    return number != nullptr && (*number & 0x8000u) != 0;
}

// ---------------------------------------------------------------- handles

ZARN9100_HANDLE Card::open() {
    if (!present_) return nullptr;
    const uintptr_t h = nextHandle_++;
    handles_.insert(h);
    return reinterpret_cast<ZARN9100_HANDLE>(h);
}

bool Card::close(ZARN9100_HANDLE h) { return handles_.erase(reinterpret_cast<uintptr_t>(h)) > 0; }

bool Card::valid(ZARN9100_HANDLE h) const {
    return present_ && handles_.count(reinterpret_cast<uintptr_t>(h)) > 0;
}

// ---------------------------------------------------------------- environment

bool Card::bandAllowed(const Network& n) const {
    if (n.adHoc) return true;
    switch (settings_.wlanMode) {
    case ZARN9100_WLAN_MODE_80211A: return n.band == Band::A;
    case ZARN9100_WLAN_MODE_80211G:
    case ZARN9100_WLAN_MODE_80211B: return n.band != Band::A;
    default: return true;
    }
}

bool Card::audibleAt(const Network& n, int32_t rssiDbm) const {
    if (!radioOn() || rssiDbm < kHearingLimitDbm) return false;
    if (IsFiveGigahertz(n.channel)) return true;
    const uint32_t first = (settings_.channelRange >> 8) & 0xff;
    const uint32_t last = settings_.channelRange & 0xff;
    return n.channel >= first && n.channel <= last;
}

Network* Card::networkByBssid(const MacAddress& bssid) {
    for (Network& n : env_.networks) {
        if (n.bssid == bssid) return &n;
    }
    return nullptr;
}

const Network* Card::networkByBssid(const MacAddress& bssid) const {
    for (const Network& n : env_.networks) {
        if (n.bssid == bssid) return &n;
    }
    return nullptr;
}

Network* Card::findNetwork(const std::string& key) {
    if (const auto mac = abi::ParseMac(key)) return networkByBssid(*mac);
    for (Network& n : env_.networks) {
        if (n.ssid == key) return &n;
    }
    return nullptr;
}

bool Card::addNetwork(Network n, std::string& error) {
    if (networkByBssid(n.bssid) != nullptr) {
        error = "a network with BSSID " + FormatMac(n.bssid) + " exists already";
        return false;
    }
    env_.networks.push_back(std::move(n));
    return true;
}

bool Card::removeNetwork(const std::string& key) {
    Network* n = findNetwork(key);
    if (n == nullptr) return false;
    const MacAddress bssid = n->bssid;
    env_.networks.erase(std::remove_if(env_.networks.begin(), env_.networks.end(),
                                       [&](const Network& x) { return x.bssid == bssid; }),
                        env_.networks.end());
    return true;
}

void Card::setSignal(Network& n, int32_t dbm) {
    n.levelDbm = dbm;
    n.rssiDbm = dbm;
    ++signalsSet_;
}

const Network* Card::linkNetwork() const {
    if (link_.state != LinkState::Associated) return nullptr;
    return networkByBssid(link_.bssid);
}

int Card::randomBetween(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

std::vector<abi::CardEvent> Card::takeEvents() {
    std::vector<abi::CardEvent> out;
    out.swap(events_);
    return out;
}

// ---------------------------------------------------------------- link

std::string Card::linkSsid() const { return link_.state == LinkState::Idle ? std::string() : link_.ssid; }

MacAddress Card::linkBssid() const { return link_.state == LinkState::Idle ? MacAddress{} : link_.bssid; }

uint32_t Card::currentChannel() const {
    if (link_.state != LinkState::Idle) return link_.channel;
    return settings_.channel != 0 ? settings_.channel : 6;
}

uint32_t Card::currentWlanMode() const {
    if (link_.state != LinkState::Idle) return uint32_t(link_.band);
    return settings_.wlanMode;
}

uint32_t Card::wepStatus() const {
    const StationSecurity& s = settings_.security;
    switch (s.wepStatus) {
    case ZARN9100_ENCRYPTION_WEP: {
        const bool hasKey = s.txKeyIndex >= 1 && s.txKeyIndex <= 4 && !s.wepKeys[s.txKeyIndex - 1].empty();
        const bool dynamic = s.ccxNetworkEap != 0 || s.identity.method != 0;
        return hasKey || dynamic || connected() ? ZARN9100_ENCRYPTION_WEP : ZARN9100_ENCRYPTION_WEP_KEY_ABSENT;
    }
    case ZARN9100_ENCRYPTION_TKIP: return connected() ? ZARN9100_ENCRYPTION_TKIP : ZARN9100_ENCRYPTION_TKIP_KEY_ABSENT;
    case ZARN9100_ENCRYPTION_AES: return connected() ? ZARN9100_ENCRYPTION_AES : ZARN9100_ENCRYPTION_AES_KEY_ABSENT;
    default: return s.wepStatus;
    }
}

uint32_t Card::radioControl() const {
    if (!hwRadioOn_) return 2;
    return settings_.radio;
}

std::optional<int32_t> Card::rssi() const {
    if (link_.state != LinkState::Associated) return std::nullopt;
    const Network* n = networkByBssid(link_.bssid);
    if (n == nullptr) return std::nullopt;
    return n->rssiDbm;
}

uint32_t Card::linkSpeed100bps() const {
    const auto r = rssi();
    if (!r) return 0;
    const bool ofdm = link_.band != Band::B && settings_.wlanMode != ZARN9100_WLAN_MODE_80211B;
    uint32_t rate = AdaptiveRate(*r, ofdm);
    if (settings_.dataRate != 255 && settings_.dataRate < rate) rate = settings_.dataRate;
    return rate * 5000;  // 500 kbit/s = 5000 x 100 bit/s
}

void Card::dropLink(uintptr_t eventCode) {
    const bool wasUp = link_.state != LinkState::Idle;
    if (exchange_.running) failExchange(ZARN9100_EVENT_AUTOLINK_FAILED);
    exchange_ = Exchange{};
    link_ = Link{};
    if (wasUp) emit(abi::LibraryEvent(eventCode));
}

void Card::associate(const Network& n) {
    const bool same = link_.state == LinkState::Associated && link_.bssid == n.bssid;
    if (!same && link_.state != LinkState::Idle) dropLink(ZARN9100_EVENT_LINK_DOWN);
    if (!same) exchange_ = Exchange{};
    link_.state = LinkState::Associated;
    link_.bssid = n.bssid;
    link_.ssid = n.ssid;
    link_.security = n.security;
    link_.channel = n.channel;
    link_.band = n.band;
    link_.adHoc = n.adHoc;
    const unsigned method = settings_.security.identity.method;
    if (n.security == Security::WpaEap || n.security == Security::Wpa2Eap || n.security == Security::CcxLeap)
        emit(abi::StatusTextEvent(std::string(EapMethodName(method)) + " authentication succeeded"));
    emit(abi::LibraryEvent(n.adHoc ? ZARN9100_EVENT_ADHOC_LINK_UP : ZARN9100_EVENT_LINK_UP));
    if (n.autoLink.present && n.autoLink.state == 1 && !n.autoLink.silent) emit(abi::LibraryEvent(ZARN9100_EVENT_AUTOLINK_CONFIGURED));
}

void Card::startAdHoc(const std::string& ssid) {
    if (link_.state != LinkState::Idle) dropLink(ZARN9100_EVENT_LINK_DOWN);
    link_.state = LinkState::AdHocWaiting;
    link_.ssid = ssid;
    link_.adHoc = true;
    link_.band = settings_.adHocWlanMode <= ZARN9100_WLAN_MODE_80211A ? Band(settings_.adHocWlanMode) : Band::G;
    uint32_t channel = settings_.channel;
    if (link_.band == Band::A) {
        if (!IsFiveGigahertz(channel)) channel = 36;
    } else if (channel < 1 || channel > 14) {
        channel = 6;
    }
    link_.channel = channel;
    ++ibssCounter_;
    // A locally administered BSSID made from our address, as IBSS creators do.
    link_.bssid = env_.mac;
    link_.bssid[0] = uint8_t((link_.bssid[0] | 0x02) & 0xfe);
    link_.bssid[5] = uint8_t(link_.bssid[5] ^ ibssCounter_);
}

int Card::setSsid(const uint8_t* ssidBytes, uint32_t length) {
    if (length > 32 || (ssidBytes == nullptr && length > 0)) return ZARN9100_RESULT_BAD_ARGUMENT;
    if (!radioOn()) return ZARN9100_RESULT_RADIO_OFF;
    const std::string ssid(reinterpret_cast<const char*>(ssidBytes), length);
    const bool adHoc = settings_.networkMode == ZARN9100_NETWORK_ADHOC;
    const Network* best = nullptr;
    for (const Network& n : env_.networks) {
        if (n.ssid != ssid || n.adHoc != adHoc || !audible(n) || !bandAllowed(n)) continue;
        if (best == nullptr || n.rssiDbm > best->rssiDbm) best = &n;
    }
    if (best == nullptr) {
        if (adHoc && length > 0) {
            startAdHoc(ssid);
            return ZARN9100_RESULT_PENDING;
        }
        dropLink(ZARN9100_EVENT_LINK_DOWN);
        if (length > 0) emit(abi::StatusTextEvent(OutOfRangeText(ssid)));
        return ZARN9100_RESULT_NO_NETWORK;
    }
    const MatchResult match = MatchSecurity(settings_.security, *best);
    if (match != MatchResult::Joined) {
        if (link_.state != LinkState::Idle) {
            exchange_ = Exchange{};
            link_ = Link{};
        }
        emit(abi::LibraryEvent(ZARN9100_EVENT_ASSOCIATION_REFUSED));
        emit(abi::StatusTextEvent(RefusalText(ssid, match)));
        return ZARN9100_RESULT_SECURITY_REFUSED;
    }
    associate(*best);
    return ZARN9100_RESULT_OK;
}

void Card::setNetworkMode(uint32_t mode) {
    if (mode != settings_.networkMode && link_.state != LinkState::Idle) dropLink(ZARN9100_EVENT_LINK_DOWN);
    settings_.networkMode = mode;
}

void Card::setRadio(uint32_t on) {
    const bool wasOn = radioOn();
    settings_.radio = on;
    if (wasOn && !radioOn()) {
        dropLink(ZARN9100_EVENT_LINK_DOWN);
        cache_.clear();
        pendingScan_.reset();
    } else if (!wasOn && radioOn()) {
        refreshCache();
    }
}

void Card::portDown() {
    if (link_.state == LinkState::Associated &&
        (link_.security == Security::WpaEap || link_.security == Security::Wpa2Eap ||
         link_.security == Security::CcxLeap))
        dropLink(ZARN9100_EVENT_LINK_DOWN);
}

void Card::radarDetected() {
    // Radar on a shared 5 GHz channel forces everyone off it.
    if (link_.state != LinkState::Idle && link_.channel >= 52 && link_.channel <= 140) dropLink(ZARN9100_EVENT_LINK_LOST);
}

int Card::setRegion(const _ZARN9100_REGION_CTRL& r) {
    if (r.mode < 1 || r.mode > 3) return ZARN9100_RESULT_BAD_ARGUMENT;
    if (r.mode != 3) {
        settings_.region = DefaultRegionRecord(env_.regionCode);
        settings_.region.mode = r.mode;
        return ZARN9100_RESULT_OK;
    }
    _ZARN9100_REGION_CTRL rec{};
    rec.mode = 3;
    rec.countryCode[0] = r.countryCode[0];
    rec.countryCode[1] = r.countryCode[1];
    rec.environment = r.environment;
    rec.maxTxPower = r.maxTxPower;
    rec.maxTxPower11a = r.maxTxPower11a;
    // Keep the ranges a radio can use; the first unusable one ends the list.
    for (size_t i = 0; i < 16; ++i) {
        const uint8_t first = r.channelRanges[i][0];
        const uint8_t count = r.channelRanges[i][1];
        if (first == 0 || first > 14) break;
        rec.channelRanges[i][0] = first;
        rec.channelRanges[i][1] = uint8_t(std::min<unsigned>(count, 15u - first));
    }
    std::memcpy(rec.channelRanges11a, settings_.region.channelRanges11a, sizeof rec.channelRanges11a);
    settings_.region = rec;
    return ZARN9100_RESULT_OK;
}

// ---------------------------------------------------------------- scanning

void Card::refreshCache() {
    cache_.clear();
    if (!radioOn()) return;
    for (const Network& n : env_.networks) {
        if (audible(n)) cache_.push_back(ScanResult{n, n.rssiDbm, false});
    }
}

void Card::startFullScan() {
    if (!radioOn()) return;
    pendingScan_ = PendingScan{PendingScan::Kind::Full, nowMs_ + kScanDurationMs, {}, 0, {}, {}};
}

namespace {
std::vector<uint32_t> ChannelList(const uint8_t channels[14]) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < 14; ++i) {
        if (channels[i] != 0) out.push_back(channels[i]);
    }
    return out;
}
}  // namespace

void Card::startSsidScan(const std::string& ssid, const uint8_t channels[14], uint32_t networkType) {
    if (!radioOn()) return;
    pendingScan_ = PendingScan{PendingScan::Kind::Ssid, nowMs_ + kScanDurationMs, ssid, networkType, {},
                               ChannelList(channels)};
}

void Card::startBssidScan(const MacAddress& bssid, const uint8_t channels[14]) {
    if (!radioOn()) return;
    pendingScan_ = PendingScan{PendingScan::Kind::Bssid, nowMs_ + kScanDurationMs, {}, 0, bssid,
                               ChannelList(channels)};
}

void Card::completeScan(const PendingScan& scan) {
    if (scan.kind == PendingScan::Kind::Full) {
        refreshCache();
        emit(abi::LibraryEvent(ZARN9100_EVENT_SCAN_COMPLETE));
        return;
    }
    // A directed scan refreshes the entries it asked about and keeps the rest of the list.
    const MacAddress any{0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
    auto wanted = [&](const Network& n) {
        if (scan.kind == PendingScan::Kind::Ssid) {
            if (n.ssid != scan.ssid) return false;
            if (scan.networkType == ZARN9100_NETWORK_ADHOC && !n.adHoc) return false;
            if (scan.networkType == ZARN9100_NETWORK_INFRASTRUCTURE && n.adHoc) return false;
        } else if (scan.bssid != any && n.bssid != scan.bssid) {
            return false;
        }
        return scan.channels.empty() ||
               std::find(scan.channels.begin(), scan.channels.end(), n.channel) != scan.channels.end();
    };
    cache_.erase(std::remove_if(cache_.begin(), cache_.end(), [&](const ScanResult& r) { return wanted(r.network); }),
                 cache_.end());
    for (const Network& n : env_.networks) {
        if (!wanted(n) || !audible(n)) continue;
        const bool revealed = scan.kind == PendingScan::Kind::Ssid && n.hidden && !scan.ssid.empty();
        cache_.push_back(ScanResult{n, n.rssiDbm, revealed});
    }
    emit(abi::LibraryEvent(ZARN9100_EVENT_SCAN_COMPLETE));
}

// ---------------------------------------------------------------- time

void Card::advanceTo(uint64_t nowMs) {
    for (;;) {
        uint64_t due = std::min(nextDriftMs_, nextBackgroundScanMs_);
        if (pendingScan_) due = std::min(due, pendingScan_->dueMs);
        if (exchange_.running) due = std::min(due, exchange_.dueMs);
        if (due > nowMs) break;
        nowMs_ = due;
        if (pendingScan_ && pendingScan_->dueMs == due) {
            const PendingScan scan = *pendingScan_;
            pendingScan_.reset();
            completeScan(scan);
        } else if (exchange_.running && exchange_.dueMs == due) {
            exchangeStep();
        } else if (nextDriftMs_ == due) {
            nextDriftMs_ += kDriftPeriodMs;
            driftAndSupervise(due);
        } else {
            nextBackgroundScanMs_ += kBackgroundScanPeriodMs;
            if (!pendingScan_) refreshCache();
        }
    }
    nowMs_ = std::max(nowMs_, nowMs);
}

uint64_t Card::nextDueMs() const {
    uint64_t due = kNever;
    if (pendingScan_) due = std::min(due, pendingScan_->dueMs);
    if (exchange_.running) due = std::min(due, exchange_.dueMs);
    if (driftStepMayChangeLink()) due = std::min(due, link_.state == LinkState::Associated ? linkLossDueMs() : nextDriftMs_);
    return due;
}

uint64_t Card::linkLossDueMs() const {
    const uint64_t key = linkLossKey();
    LossForecast& f = forecast_;
    // A forecast holds until the state it was made from changes or the card steps past it.
    if (!f.valid || f.key != key || nextDriftMs_ > std::min(f.dueMs, f.horizonMs)) {
        Card probe(*this);
        probe.events_.clear();
        f = LossForecast{true, key, kNever, nextDriftMs_};
        for (int step = 0; step < kLookAheadSteps; ++step) {
            const uint64_t at = probe.nextDriftMs_;
            f.horizonMs = at;
            // Only the drift: a scan or an Auto Link step due earlier is due by itself.
            probe.pendingScan_.reset();
            probe.exchange_.running = false;
            probe.advanceTo(at);
            if (probe.link_.state != LinkState::Associated || probe.link_.bssid != link_.bssid) {
                f.dueMs = at;
                break;
            }
        }
    }
    return std::min(f.dueMs, f.horizonMs);
}

uint64_t Card::linkLossKey() const {
    // FNV-1a over what a drift step reads besides the readings and the random state it walks.
    uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](uint64_t v) {
        for (int i = 0; i < 8; ++i) {
            hash ^= (v >> (8 * i)) & 0xff;
            hash *= 1099511628211ull;
        }
    };
    mix(uint64_t(present_) | uint64_t(hwRadioOn_) << 1 | uint64_t(hostile_) << 2 | uint64_t(link_.state) << 3);
    mix(settings_.radio);
    mix(settings_.channelRange);
    mix(settings_.rtsThreshold);  // how many random numbers the traffic counters draw
    mix(signalsSet_);
    mix(uint64_t(link_.security));
    for (uint8_t b : link_.bssid) mix(b);
    mix(env_.networks.size());  // every network draws its own drift step
    for (size_t i = 0; i < env_.networks.size(); ++i) {
        const Network& n = env_.networks[i];
        if (n.bssid != link_.bssid) continue;
        mix(i);
        mix(uint64_t(uint32_t(n.levelDbm)));
        mix(uint64_t(n.security));
        mix(n.channel);
        mix(n.beaconIntervalTu);
    }
    return hash;
}

// After a drift step every signal lies within kDriftSpanDb of its level, so the step can only
// change the link when that range reaches past the hearing limit, or when the link's network
// is already gone, changed or out of the card's channels.
bool Card::driftStepMayChangeLink() const {
    if (!present_) return false;
    if (link_.state == LinkState::Associated) {
        const Network* n = networkByBssid(link_.bssid);
        return n == nullptr || n->security != link_.security || !audibleAt(*n, n->levelDbm - kDriftSpanDb);
    }
    if (link_.state == LinkState::AdHocWaiting) {
        for (const Network& n : env_.networks) {
            if (n.adHoc && n.ssid == link_.ssid && audibleAt(n, n.levelDbm + kDriftSpanDb) &&
                MatchSecurity(settings_.security, n) == MatchResult::Joined)
                return true;
        }
    }
    return false;
}

void Card::driftAndSupervise(uint64_t) {
    for (Network& n : env_.networks) {
        const int32_t step = randomBetween(-2, 2);
        n.rssiDbm = std::clamp(n.rssiDbm + step, n.levelDbm - kDriftSpanDb, n.levelDbm + kDriftSpanDb);
    }
    if (!present_) return;
    if (hostile_) {
        const uint32_t round = nextHostileRound();
        emit(abi::LibraryEvent(hostile::UnknownEventCode(round), intptr_t(hostile::Number(round))));
        emit(abi::LibraryEvent(ZARN9100_EVENT_LINK_UP));  // "associated", while the card stays without a link
    }
    if (link_.state == LinkState::Associated) {
        const Network* n = networkByBssid(link_.bssid);
        if (n == nullptr || !audible(*n) || n->security != link_.security) {
            dropLink(ZARN9100_EVENT_LINK_LOST);
            return;
        }
        countTraffic();
    } else if (link_.state == LinkState::AdHocWaiting) {
        for (const Network& n : env_.networks) {
            if (n.adHoc && n.ssid == link_.ssid && audible(n) &&
                MatchSecurity(settings_.security, n) == MatchResult::Joined) {
                link_.state = LinkState::Associated;
                link_.bssid = n.bssid;
                link_.security = n.security;
                link_.channel = n.channel;
                link_.band = n.band;
                emit(abi::LibraryEvent(ZARN9100_EVENT_ADHOC_LINK_UP));
                break;
            }
        }
    }
}

void Card::countTraffic() {
    const Network* n = networkByBssid(link_.bssid);
    const int32_t rssi = n != nullptr ? n->rssiDbm : kHearingLimitDbm;
    const bool weak = rssi < -78;
    auto& s = counters_.stats;
    const int tx = randomBetween(5, 40);
    const int rx = randomBetween(10, 80);
    s.TransmittedFragmentCount += tx;
    s.MulticastTransmittedFrameCount += randomBetween(0, 2);
    s.ReceivedFragmentCount += rx;
    s.MulticastReceivedFrameCount += randomBetween(1, 5);
    const int retries = randomBetween(0, weak ? tx / 3 : tx / 20 + 1);
    s.RetryCount += retries;
    s.MultipleRetryCount += randomBetween(0, retries / 3);
    s.ACKFailureCount += randomBetween(0, weak ? 4 : 1);
    s.FailedCount += weak ? randomBetween(0, 2) : (randomBetween(0, 19) == 0 ? 1 : 0);
    if (settings_.rtsThreshold < 2347) {
        s.RTSSuccessCount += randomBetween(tx / 4, tx / 2);
        s.RTSFailureCount += randomBetween(0, weak ? 2 : 0);
    }
    s.FrameDuplicateCount += randomBetween(0, 19) == 0 ? 1 : 0;
    s.FCSErrorCount += randomBetween(0, weak ? 12 : 2);
    // Frames received by signal quality (dBm + 100): 0-19, 20-39, 40-59, 60 and up.
    const int quality = std::clamp(rssi + 100, 0, 100);
    const size_t bucket = quality < 20 ? 0 : quality < 40 ? 1 : quality < 60 ? 2 : 3;
    counters_.rssi.Range[bucket] += uint32_t(rx);
    // About 9.77 beacons a second at 100 TU.
    const uint32_t tu = n != nullptr && n->beaconIntervalTu != 0 ? n->beaconIntervalTu : 100;
    beaconRemainder_ += 1000000;
    const uint32_t perBeacon = tu * 1024;
    const uint32_t heard = beaconRemainder_ / perBeacon;
    beaconRemainder_ %= perBeacon;
    const uint32_t lost = weak ? uint32_t(randomBetween(1, 3)) : (randomBetween(0, 19) == 0 ? 1u : 0u);
    counters_.beacons.BeaconsReceived += heard > lost ? heard - lost : 0;
    counters_.beacons.BeaconsLost += std::min(lost, heard);
}

// ---------------------------------------------------------------- Auto Link

int Card::setFastJoinSecurity(const _QELT_FASTJOIN_SEC_INFO& info) {
    const Network* n = linkNetwork();
    if (n == nullptr || !n->autoLink.present || n->autoLink.state != 0) return ZARN9100_RESULT_NOT_AVAILABLE;
    if (info.Length != sizeof(_QELT_FASTJOIN_SEC_INFO)) return ZARN9100_RESULT_BAD_ARGUMENT;
    // Every utility sends the same all-zero fixed block and an address mode of 1 (static) or 2 (DHCP).
    const bool zeroBlock = std::all_of(std::begin(info.FixedBlock), std::end(info.FixedBlock), [](uint8_t b) { return b == 0; });
    if (!zeroBlock || (info.AddressMode != 1 && info.AddressMode != 2)) return ZARN9100_RESULT_BAD_ARGUMENT;
    exchange_.securityReceived = true;
    exchange_.apTag = info.ApTag;
    size_t len = 0;
    while (len < sizeof info.Pin && info.Pin[len] != 0) ++len;
    exchange_.pin.assign(reinterpret_cast<const char*>(info.Pin), len);
    return ZARN9100_RESULT_OK;
}

int Card::setFastJoinSetup(const _QELT_FASTJOIN_SETUP_REQ& request) {
    const Network* n = linkNetwork();
    if (n == nullptr || !n->autoLink.present || n->autoLink.state != 0) {
        emit(abi::LibraryEvent(ZARN9100_EVENT_AUTOLINK_FAILED));
        return ZARN9100_RESULT_NOT_AVAILABLE;
    }
    if (request.Length != sizeof(_QELT_FASTJOIN_SETUP_REQ) || !exchange_.securityReceived ||
        request.ApTag != exchange_.apTag || request.Field1 != 1 || request.Field2 != 1 || request.Field3 != 0) {
        emit(abi::LibraryEvent(ZARN9100_EVENT_AUTOLINK_FAILED));
        return ZARN9100_RESULT_BAD_ARGUMENT;
    }
    // An access point that never answers takes the request and stays quiet.
    if (n->autoLink.silent) return ZARN9100_RESULT_OK;
    exchange_.running = true;
    exchange_.step = 0;
    exchange_.dueMs = nowMs_ + kExchangeStepMs;
    exchange_.bssid = n->bssid;
    return ZARN9100_RESULT_OK;
}

void Card::failExchange(uintptr_t code) {
    exchange_.running = false;
    emit(abi::LibraryEvent(code));
}

void Card::exchangeStep() {
    Network* n = link_.state == LinkState::Associated && link_.bssid == exchange_.bssid
                     ? networkByBssid(exchange_.bssid)
                     : nullptr;
    if (n == nullptr || !n->autoLink.present || n->autoLink.state != 0) {
        failExchange(ZARN9100_EVENT_AUTOLINK_FAILED);
        return;
    }
    const int step = exchange_.step++;
    exchange_.dueMs = nowMs_ + kExchangeStepMs;
    if (step == 1 && exchange_.apTag != n->autoLink.apTag) {
        // The access point does not answer a start request meant for another tag.
        failExchange(ZARN9100_EVENT_AUTOLINK_FAILED);
        return;
    }
    if (step == 4 && exchange_.pin != n->autoLink.pin) {
        failExchange(ZARN9100_EVENT_AUTOLINK_WRONG_PIN);
        return;
    }
    if (step < 7) {
        emit(abi::LibraryEvent(ZARN9100_EVENT_AUTOLINK_STEP_FIRST + uintptr_t(step)));
        return;
    }
    // The access point takes the PIN as its WPA-PSK passphrase and restarts configured.
    n->autoLink.state = 1;
    n->security = Security::WpaPsk;
    n->cipher = Cipher::Tkip;
    n->passphrase = exchange_.pin;
    learntSsid_ = n->ssid;
    exchange_.running = false;
    emit(abi::LibraryEvent(ZARN9100_EVENT_AUTOLINK_SUCCEEDED));
}

// ---------------------------------------------------------------- controls

void Card::pullOut() {
    if (!present_) return;
    present_ = false;
    exchange_ = Exchange{};
    link_ = Link{};
    handles_.clear();
    cache_.clear();
    pendingScan_.reset();
    emit(abi::LibraryEvent(ZARN9100_EVENT_CARD_REMOVED));
    emit(abi::DeviceEvent(TEMBREL_DEVICE_REMOVE_COMPLETE, deviceInterfaceName()));
}

void Card::plugIn() {
    if (present_) return;
    present_ = true;
    settings_.radio = 1;
    refreshCache();
    emit(abi::DeviceEvent(TEMBREL_DEVICE_ARRIVAL, deviceInterfaceName()));
}

void Card::setRadioSwitch(bool on) {
    if (on == hwRadioOn_) return;
    if (!on) {
        dropLink(ZARN9100_EVENT_LINK_DOWN);
        hwRadioOn_ = false;
        cache_.clear();
        pendingScan_.reset();
        emit(abi::LibraryEvent(ZARN9100_EVENT_RADIO_SWITCH_OFF));
    } else {
        hwRadioOn_ = true;
        refreshCache();
        emit(abi::LibraryEvent(ZARN9100_EVENT_RADIO_SWITCH_ON));
    }
}

}  // namespace tembrel::sim
