// The C ABI of the simulated card. Every call takes the state lock through Simulation;
// handles are numbers checked against the open set, so stale ones fail safely.

#include "Card.h"
#include "ControlCommands.h"
#include "Hostile.h"
#include "Simulation.h"
#include "tembrel/common/AbiChecks.h"
#include "tembrel/common/AbiText.h"

#include <TembrelSim.h>
#include <Tembrel.h>

#include <cstring>
#include <string>

using namespace tembrel::sim;

namespace {

Simulation& Sim() { return Simulation::instance(); }

// Runs body(card) when h is an open handle of a present card.
template <class F>
int WithHandle(ZARN9100_HANDLE h, F&& body) {
    return Sim().withCard([&](Card& card) -> int {
        if (!card.valid(h)) return ZARN9100_RESULT_BAD_HANDLE;
        return body(card);
    });
}

using tembrel::abi::BoundedText;
using tembrel::abi::CopyText;
namespace valid = tembrel::abi::valid;


constexpr size_t kMaxText = 256;

// A text answer: the text, or in hostile mode the whole buffer without a terminator.
int TextAnswer(Card& card, const std::string& text, char* buf, uint32_t cap) {
    if (card.hostile() && buf != nullptr && cap > 0) {
        hostile::FillUnterminated(buf, cap, card.nextHostileRound());
        return ZARN9100_RESULT_OK;
    }
    return CopyText(text, buf, cap);
}

// The WEP key sizes the card takes: 40, 104, 128 and 232 bits.
bool WepKeyLength(uint32_t length) { return valid::OneOf(length, {5, 13, 16, 29}); }

}  // namespace

extern "C" {

// ---------------------------------------------------------------- handle and mode

TEMBREL_API int Zarn9100OpenAdapter(ZARN9100_HANDLE* handle) {
    if (handle == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
    *handle = Sim().withCard([](Card& card) { return card.open(); });
    return *handle != nullptr ? ZARN9100_RESULT_OK : ZARN9100_RESULT_BAD_HANDLE;
}

TEMBREL_API int Zarn9100CloseAdapter(ZARN9100_HANDLE* handle) {
    if (handle == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
    const bool closed = Sim().withCard([&](Card& card) { return card.close(*handle); });
    *handle = nullptr;
    return closed ? ZARN9100_RESULT_OK : ZARN9100_RESULT_BAD_HANDLE;
}

TEMBREL_API int Zarn9100Initialize(const ZARN9100_EVENT_SINK* sink) {
    Sim().dispatcher().setSink(sink);
    return ZARN9100_RESULT_OK;
}

TEMBREL_API int Zarn9100UnlockPages(ZARN9100_HANDLE h) {
    return WithHandle(h, [](Card&) { return ZARN9100_RESULT_OK; });
}

TEMBREL_API int Zarn9100SetGUIMonitorMode(ZARN9100_HANDLE h, uint32_t monitor) {
    return WithHandle(h, [&](Card& c) {
        if (!valid::Flag(monitor)) return ZARN9100_RESULT_BAD_ARGUMENT;
        c.settings().monitorMode = monitor;
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryWZCStatusCheck(int* active) {
    if (active == nullptr) return 1;
    *active = Sim().withCard([](Card& card) { return card.zeroConfigActive() ? 1 : 0; });
    return 0;
}

// ---------------------------------------------------------------- association

TEMBREL_API int Zarn9100GetConnectStatus(ZARN9100_HANDLE h) {
    return Sim().withCard([&](Card& card) { return card.valid(h) && (card.connected() || card.hostile()) ? 1 : 0; });
}

TEMBREL_API int Zarn9100SetSsid(ZARN9100_HANDLE h, const char* ssid, uint32_t length, int /*hidden*/) {
    return WithHandle(h, [&](Card& c) {
        if (!valid::Ssid(ssid, length)) return ZARN9100_RESULT_BAD_ARGUMENT;
        if (c.hostile()) return ZARN9100_RESULT_OK;  // "associated", and no link follows
        return c.setSsid(reinterpret_cast<const uint8_t*>(ssid), length);
    });
}

TEMBREL_API int Zarn9100QuerySsid(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](Card& c) {
        if (c.hostile()) return TextAnswer(c, {}, buf, cap);
        const std::string ssid = c.linkSsid();
        // An SSID of exactly cap bytes comes back without terminator: SSIDs are up to 32
        // bytes and callers pass 32 with a zeroed 33-byte field.
        if (buf != nullptr && cap > 0 && ssid.size() == cap) {
            std::memcpy(buf, ssid.data(), cap);
            return ZARN9100_RESULT_OK;
        }
        return CopyText(ssid, buf, cap);
    });
}

TEMBREL_API int Zarn9100QueryBssid(ZARN9100_HANDLE h, uint8_t bssid[6]) {
    return WithHandle(h, [&](Card& c) {
        if (bssid == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        if (c.hostile()) {
            std::memset(bssid, 0xFF, 6);
            return ZARN9100_RESULT_OK;
        }
        const MacAddress b = c.linkBssid();
        std::memcpy(bssid, b.data(), 6);
        return ZARN9100_RESULT_OK;
    });
}

#define TEMBREL_QUERY(Name, expr)                                          \
    TEMBREL_API int Zarn9100Query##Name(ZARN9100_HANDLE h, uint32_t* value) { \
        return WithHandle(h, [&](Card& c) {                                \
            if (value == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;             \
            *value = c.hostile() ? hostile::Number(c.nextHostileRound()) : (expr); \
            return ZARN9100_RESULT_OK;                                            \
        });                                                                \
    }
#define TEMBREL_SET(Name, valid, action)                                   \
    TEMBREL_API int Zarn9100Set##Name(ZARN9100_HANDLE h, uint32_t v) {     \
        return WithHandle(h, [&](Card& c) {                                \
            if (!(valid)) return ZARN9100_RESULT_BAD_ARGUMENT;                     \
            action;                                                        \
            return ZARN9100_RESULT_OK;                                            \
        });                                                                \
    }
#define TEMBREL_FIELD(Name, field, valid)                                  \
    TEMBREL_SET(Name, valid, c.settings().field = v)                       \
    TEMBREL_QUERY(Name, c.settings().field)

TEMBREL_SET(NetworkMode, valid::NetworkMode(v), c.setNetworkMode(v))
TEMBREL_QUERY(NetworkMode, c.settings().networkMode)
TEMBREL_SET(WlanMode, valid::WlanMode(v), c.settings().wlanMode = v)
TEMBREL_QUERY(WlanMode, c.currentWlanMode())
TEMBREL_SET(Channel, valid::Channel(v), c.settings().channel = v)
TEMBREL_QUERY(Channel, c.currentChannel())
TEMBREL_SET(AuthMode, valid::AuthMode(v), c.settings().security.authMode = v)
TEMBREL_QUERY(AuthMode, c.settings().security.authMode)
TEMBREL_SET(WepStatus, valid::WepStatus(v), c.settings().security.wepStatus = v)
TEMBREL_QUERY(WepStatus, c.wepStatus())
TEMBREL_SET(RadioControl, valid::Flag(v), c.setRadio(v))
TEMBREL_QUERY(RadioControl, c.radioControl())
TEMBREL_FIELD(PowerMode, powerMode, valid::PowerMode(v))
TEMBREL_FIELD(Preamble, preamble, valid::Preamble(v))
TEMBREL_FIELD(DataRate, dataRate, valid::DataRate(v))
TEMBREL_FIELD(FragThreshold, fragThreshold, valid::FragThreshold(v))
TEMBREL_FIELD(RTSThreshold, rtsThreshold, valid::RTSThreshold(v))
TEMBREL_FIELD(TxPower, txPower, valid::TxPower(v))
TEMBREL_FIELD(TxAntenna, txAntenna, valid::Antenna(v))
TEMBREL_FIELD(RxAntenna, rxAntenna, valid::Antenna(v))
TEMBREL_FIELD(BoostMode, boostMode, valid::Flag(v))
TEMBREL_FIELD(ChannelRange, channelRange, valid::ChannelRange(v))
TEMBREL_FIELD(SignalThreshold, signalThreshold, valid::SignalThreshold(v))
TEMBREL_FIELD(TxFailThreshold, txFailThreshold, valid::TxFailThreshold(v))

TEMBREL_API int Zarn9100SetAdHocWlanMode(ZARN9100_HANDLE h, uint32_t mode) {
    return WithHandle(h, [&](Card& c) {
        if (!valid::AdHocWlanMode(mode)) return ZARN9100_RESULT_BAD_ARGUMENT;
        c.settings().adHocWlanMode = mode;
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100SetProfileInUse(ZARN9100_HANDLE h, const char* name, uint32_t length) {
    return WithHandle(h, [&](Card& c) {
        if (!valid::ProfileName(name, length)) return ZARN9100_RESULT_BAD_ARGUMENT;
        c.settings().profileInUse = BoundedText(name, length);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryProfileInUse(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](Card& c) { return TextAnswer(c, c.settings().profileInUse, buf, cap); });
}

TEMBREL_API int Zarn9100QueryRssi(ZARN9100_HANDLE h, int32_t* rssi) {
    return WithHandle(h, [&](Card& c) {
        if (rssi == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        if (c.hostile()) {
            *rssi = hostile::Rssi(c.nextHostileRound());
            return ZARN9100_RESULT_OK;
        }
        const auto r = c.rssi();
        if (!r) return ZARN9100_RESULT_NOT_AVAILABLE;
        *rssi = *r;
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryLinkSpeed(ZARN9100_HANDLE h, uint32_t* speed100bps) {
    return WithHandle(h, [&](Card& c) {
        if (speed100bps == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        if (c.hostile()) {
            *speed100bps = hostile::Number(c.nextHostileRound());
            return ZARN9100_RESULT_OK;
        }
        if (!c.connected()) return ZARN9100_RESULT_NOT_AVAILABLE;
        *speed100bps = c.linkSpeed100bps();
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryRegionCode(ZARN9100_HANDLE h, uint32_t* code) {
    return WithHandle(h, [&](Card& c) {
        if (code == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        *code = c.regionCode();
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100RadarDetected(ZARN9100_HANDLE h) {
    return WithHandle(h, [](Card& c) {
        c.radarDetected();
        return ZARN9100_RESULT_OK;
    });
}

// ---------------------------------------------------------------- security

TEMBREL_API int Zarn9100SetWepKey(ZARN9100_HANDLE h, uint32_t index, const uint8_t* key, uint32_t length,
                                  int transmit) {
    return WithHandle(h, [&](Card& c) {
        if (!valid::WepKeySlot(index)) return ZARN9100_RESULT_BAD_ARGUMENT;
        auto& s = c.settings().security;
        // A refused key empties its slot rather than leave an earlier network's key there.
        if (key == nullptr || !WepKeyLength(length)) {
            s.wepKeys[index - 1].clear();
            return ZARN9100_RESULT_BAD_ARGUMENT;
        }
        s.wepKeys[index - 1].assign(key, key + length);
        if (transmit != 0) s.txKeyIndex = index;
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100SetWPAInformation(ZARN9100_HANDLE h, uint32_t networkType, uint32_t /*authMode*/,
                                          uint32_t /*encryption*/, const char* passphrase, const char* /*ssid*/) {
    return WithHandle(h, [&](Card& c) {
        if (!valid::NetworkMode(networkType)) return ZARN9100_RESULT_BAD_ARGUMENT;
        c.settings().security.passphrase = BoundedText(passphrase, 128);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100SetFswCCXNetworkEap(ZARN9100_HANDLE h, uint32_t value) {
    return WithHandle(h, [&](Card& c) {
        if (!valid::Flag(value)) return ZARN9100_RESULT_BAD_ARGUMENT;
        c.settings().security.ccxNetworkEap = value;
        return ZARN9100_RESULT_OK;
    });
}

namespace {
// A refused identity leaves none: the next network never authenticates as an earlier user.
int SetIdentity(unsigned method, const char* login, const char* domain, const char* password, const char* anonymous,
                const uint8_t* hash) {
    const auto kind = method == kEapTls    ? tembrel::abi::EapMethod::Tls
                      : method == kEapPeap ? tembrel::abi::EapMethod::Peap
                      : method == kEapTtls ? tembrel::abi::EapMethod::Ttls
                                           : tembrel::abi::EapMethod::Leap;
    return Sim().withCard([&](Card& c) {
        if (!valid::Identity(kind, hash)) {
            c.settings().security.identity = Identity{};
            return ZARN9100_RESULT_BAD_ARGUMENT;
        }
        Identity id;
        id.method = method;
        id.login = BoundedText(login, kMaxText);
        id.domain = BoundedText(domain, kMaxText);
        id.password = BoundedText(password, kMaxText);
        id.anonymous = BoundedText(anonymous, kMaxText);
        if (hash != nullptr) std::memcpy(id.certificateHash.data(), hash, id.certificateHash.size());
        c.settings().security.identity = id;
        return ZARN9100_RESULT_OK;
    });
}
}  // namespace

TEMBREL_API int Zarn9100WPACreateIdentityTLS(const char* login, const uint8_t hash[20]) {
    return SetIdentity(kEapTls, login, nullptr, nullptr, nullptr, hash);
}
TEMBREL_API int Zarn9100WPACreateIdentityPEAP(const char* login, const char* domain, const char* password) {
    return SetIdentity(kEapPeap, login, domain, password, nullptr, nullptr);
}
TEMBREL_API int Zarn9100WPACreateIdentityLEAP(const char* login, const char* domain, const char* password) {
    return SetIdentity(kEapLeap, login, domain, password, nullptr, nullptr);
}
TEMBREL_API int Zarn9100WPACreateIdentityTtls(const char* login, const char* domain, const char* password,
                                              const char* anonymous) {
    return SetIdentity(kEapTtls, login, domain, password, anonymous, nullptr);
}
TEMBREL_API void Zarn9100WPAPortDown(void) {
    Sim().withCard([](Card& c) { c.portDown(); });
}

// ---------------------------------------------------------------- scanning

TEMBREL_API int Zarn9100Scan(ZARN9100_HANDLE h) {
    return WithHandle(h, [](Card& c) {
        c.startFullScan();
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100SsidScan(ZARN9100_HANDLE h, const _ZARN9100_SSID_SCAN* request, uint32_t networkType) {
    return WithHandle(h, [&](Card& c) {
        if (!valid::SsidScan(request, networkType)) return ZARN9100_RESULT_BAD_ARGUMENT;
        const std::string ssid(reinterpret_cast<const char*>(request->Ssid), request->SsidLength);
        c.startSsidScan(ssid, request->Channels, networkType);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100BssidScan(ZARN9100_HANDLE h, const _ZARN9100_BSSID_SCAN* request) {
    return WithHandle(h, [&](Card& c) {
        if (request == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        MacAddress bssid{};
        std::memcpy(bssid.data(), request->Bssid, 6);
        c.startBssidScan(bssid, request->Channels);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryScanList(ZARN9100_HANDLE h, uint8_t* buf, uint32_t cap) {
    return WithHandle(h, [&](Card& c) {
        if (buf == nullptr || cap < 4) return ZARN9100_RESULT_BAD_ARGUMENT;
        if (c.hostile()) {
            hostile::WriteScanList(buf, cap, c.nextHostileRound());
            return ZARN9100_RESULT_OK;
        }
        tembrel::abi::WriteScanList(BuildScanEntries(c.scanList()), buf, cap);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryScanListLength(ZARN9100_HANDLE h, uint8_t* buf, uint32_t cap, uint32_t* length) {
    const int r = WithHandle(h, [&](Card& c) {
        if (buf == nullptr || cap < 4 || length == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        if (c.hostile()) {
            const uint32_t round = c.nextHostileRound();
            hostile::WriteScanList(buf, cap, round);
            *length = hostile::ScanListLength(cap, round);
            return round % 5 == 4 ? -7 : ZARN9100_RESULT_OK;  // sometimes a positive result, which no caller expects
        }
        *length = tembrel::abi::WriteScanList(BuildScanEntries(c.scanList()), buf, cap).bytesWritten;
        return ZARN9100_RESULT_OK;
    });
    return -r;
}

// ---------------------------------------------------------------- region

TEMBREL_API int Zarn9100SetRegionCtrl(ZARN9100_HANDLE h, const _ZARN9100_REGION_CTRL* region) {
    return WithHandle(h, [&](Card& c) { return region == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : c.setRegion(*region); });
}

TEMBREL_API int Zarn9100QueryRegionCtrl(ZARN9100_HANDLE h, _ZARN9100_REGION_CTRL* region) {
    return WithHandle(h, [&](Card& c) {
        if (region == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        *region = c.settings().region;
        return ZARN9100_RESULT_OK;
    });
}

// ---------------------------------------------------------------- information

TEMBREL_API int Zarn9100GetMacAddress(ZARN9100_HANDLE h, uint8_t* buf, uint32_t length) {
    return WithHandle(h, [&](Card& c) {
        if (buf == nullptr || length < 6) return ZARN9100_RESULT_BAD_ARGUMENT;
        std::memcpy(buf, c.mac().data(), 6);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryDeviceDesc(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](Card& c) { return TextAnswer(c, identity::kDeviceDescription, buf, cap); });
}

TEMBREL_API int Zarn9100QueryDriverVersion(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](Card& c) { return TextAnswer(c, identity::kDriverVersion, buf, cap); });
}

TEMBREL_API int Zarn9100QueryDriverDate(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](Card& c) { return TextAnswer(c, identity::kDriverDate, buf, cap); });
}

TEMBREL_API int Zarn9100QueryRegistryPath(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](Card& c) {
        return TextAnswer(c, c.registryPath(), buf, cap);
    });
}

TEMBREL_API int Zarn9100QueryFirmwareVersion(ZARN9100_HANDLE h, uint32_t* version) {
    return WithHandle(h, [&](Card&) {
        if (version == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        *version = identity::kFirmwareVersion;
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryChipVersion(ZARN9100_HANDLE h, uint32_t* version) {
    return WithHandle(h, [&](Card&) {
        if (version == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        *version = identity::kChipVersion;
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryDhcp9x(ZARN9100_HANDLE h) {
    return Sim().withCard([&](Card& c) { return c.valid(h) ? 1 : 0; });
}

TEMBREL_API int Zarn9100QueryStatistics(ZARN9100_HANDLE h, _NDIS_802_11_STATISTICS* stats) {
    return WithHandle(h, [&](Card& c) {
        if (stats == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        if (c.hostile()) {
            std::memset(stats, 0xFF, sizeof *stats);  // a Length field that matches nothing
            return ZARN9100_RESULT_OK;
        }
        *stats = c.counters().stats;
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryRssiStat(ZARN9100_HANDLE h, _RSSI_STATS* stats) {
    return WithHandle(h, [&](Card& c) {
        if (stats == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        *stats = c.counters().rssi;
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryBeaconStatistics(ZARN9100_HANDLE h, _BEACON_STATS* stats) {
    return WithHandle(h, [&](Card& c) {
        if (stats == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        *stats = c.counters().beacons;
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100ResetStatistics(ZARN9100_HANDLE h) {
    return WithHandle(h, [](Card& c) {
        c.resetCounters();
        return ZARN9100_RESULT_OK;
    });
}

// ---------------------------------------------------------------- registers

#define TEMBREL_REGISTER(Name, read, write)                                                       \
    TEMBREL_API int Zarn9100Set##Name##Register(ZARN9100_HANDLE h, uint32_t index, uint32_t value) { \
        return WithHandle(h, [&](Card& c) {                                                       \
            return c.registers().write(index, value) ? ZARN9100_RESULT_OK : ZARN9100_RESULT_BAD_ARGUMENT;       \
        });                                                                                       \
    }                                                                                             \
    TEMBREL_API int Zarn9100Query##Name##Register(ZARN9100_HANDLE h, uint32_t index, uint32_t* value) { \
        return WithHandle(h, [&](Card& c) {                                                       \
            if (value == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;                                    \
            return c.registers().read(index, *value) ? ZARN9100_RESULT_OK : ZARN9100_RESULT_BAD_ARGUMENT;       \
        });                                                                                       \
    }
TEMBREL_REGISTER(Rf, readRf, writeRf)
TEMBREL_REGISTER(Bb, readBb, writeBb)
TEMBREL_REGISTER(Mac, readMac, writeMac)

// ---------------------------------------------------------------- registry

TEMBREL_API int Zarn9100QueryRegistryText(const char* key, const char* name, char* buf, uint32_t cap) {
    if (key == nullptr || name == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
    return Sim().withCard([&](Card& c) {
        const auto* v = c.registry().find(BoundedText(key, kMaxText * 2), BoundedText(name, kMaxText));
        const auto* text = v != nullptr ? std::get_if<std::string>(v) : nullptr;
        return text != nullptr ? CopyText(*text, buf, cap) : ZARN9100_RESULT_NOT_AVAILABLE;
    });
}

TEMBREL_API int Zarn9100QueryRegistryNumber(const char* key, const char* name, uint32_t* value) {
    if (key == nullptr || name == nullptr || value == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
    return Sim().withCard([&](Card& c) {
        const auto* v = c.registry().find(BoundedText(key, kMaxText * 2), BoundedText(name, kMaxText));
        const auto* number = v != nullptr ? std::get_if<uint32_t>(v) : nullptr;
        if (number == nullptr) return ZARN9100_RESULT_NOT_AVAILABLE;
        *value = *number;
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100SetRegistryNumber(const char* key, const char* name, uint32_t value) {
    if (key == nullptr || name == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
    return Sim().withCard([&](Card& c) {
        c.registry().setNumber(BoundedText(key, kMaxText * 2), BoundedText(name, kMaxText), value);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100SetRegistryText(const char* key, const char* name, const char* text, uint32_t length,
                                        int /*type*/) {
    if (key == nullptr || name == nullptr || (text == nullptr && length > 0) || length > 4096)
        return ZARN9100_RESULT_BAD_ARGUMENT;
    return Sim().withCard([&](Card& c) {
        c.registry().setText(BoundedText(key, kMaxText * 2), BoundedText(name, kMaxText), BoundedText(text, length));
        return ZARN9100_RESULT_OK;
    });
}

// ---------------------------------------------------------------- Auto Link

TEMBREL_API int Zarn9100QueryFastjoinAPInfo(ZARN9100_HANDLE h, _QELT_FASTJOIN_SSID_INFO* info) {
    return WithHandle(h, [&](Card& c) {
        if (info == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        std::memset(info, 0, sizeof *info);
        if (c.hostile()) {
            std::memset(info, 'Z', sizeof *info);
            info->SsidLength = 0xFFFFFFFFu;
            return ZARN9100_RESULT_OK;
        }
        const std::string* ssid = c.learntSsid();
        if (ssid == nullptr) return ZARN9100_RESULT_NOT_AVAILABLE;
        info->SsidLength = uint32_t(ssid->size());
        std::memcpy(info->Ssid, ssid->data(), ssid->size());
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100SetFJSecurityInfo(ZARN9100_HANDLE h, const _QELT_FASTJOIN_SEC_INFO* info) {
    return WithHandle(h, [&](Card& c) { return info == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : c.setFastJoinSecurity(*info); });
}

TEMBREL_API int Zarn9100SetFJSetupRequest(ZARN9100_HANDLE h, const _QELT_FASTJOIN_SETUP_REQ* request) {
    return WithHandle(h, [&](Card& c) { return request == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : c.setFastJoinSetup(*request); });
}

// ---------------------------------------------------------------- extension and controls

TEMBREL_API int TembrelSetDeviceNotify(TEMBREL_DEVICE_NOTIFY callback, void* context) {
    Sim().dispatcher().setDeviceNotify(callback, context);
    return ZARN9100_RESULT_OK;
}

TEMBREL_API void TembrelSimAdvance(uint32_t ms) { Sim().advance(ms); }

TEMBREL_API int TembrelSimFlushEvents(uint32_t timeoutMs) { return Sim().dispatcher().flush(timeoutMs) ? 0 : 1; }

TEMBREL_API void TembrelSimReset(void) { Sim().reset(); }

TEMBREL_API int TembrelSimControl(const char* commandJson, char* reply, uint32_t cap) {
    std::string text;
    std::vector<std::string> words;
    bool ok = false;
    if (commandJson == nullptr || !ParseCommandWords(BoundedText(commandJson, 1u << 16), words, text)) {
        if (text.empty()) text = "no command";
    } else {
        ok = Sim().control(words, text);
    }
    if (CopyText(text, reply, cap) != ZARN9100_RESULT_OK) return 2;
    return ok ? 0 : 1;
}

}  // extern "C"
