// The C ABI over a real card. What Linux cannot do (registers, Auto Link, boost, antennas,
// thresholds, the registry) fails with result 8 rather than pretending to succeed.

#include "Card.h"
#include "Reports.h"
#include "tembrel/common/AbiText.h"
#include "tembrel/common/ChannelPlan.h"

#include <Tembrel.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>

using namespace tembrel::wpa;

namespace {

std::mutex cardMutex;
std::unique_ptr<Card> card;  // made at the first open, kept while the library is loaded

Card* TheCard() {
    std::lock_guard lock(cardMutex);
    if (!card) card = std::make_unique<Card>(Paths::FromEnvironment());
    return card.get();
}

template <class F>
int WithHandle(ZARN9100_HANDLE h, F&& body) {
    Card* c = TheCard();
    if (!c->valid(h)) return ZARN9100_RESULT_BAD_HANDLE;
    return body(*c);
}

using tembrel::abi::BoundedText;
using tembrel::abi::CopyText;


Report StatusOf(Card& c) { return ParseReport(c.request("STATUS").value_or("")); }

// A refused identity leaves none: the next network never authenticates as an earlier user.
int SetIdentity(EapMethod method, const char* login, const char* domain, const char* password,
                const char* anonymous, const uint8_t* hash) {
    Card* c = TheCard();
    const auto refuse = [c] {
        std::lock_guard lock(c->mutex());
        c->pending().clearIdentity();
        return ZARN9100_RESULT_BAD_ARGUMENT;
    };
    if (method == EapMethod::Tls && hash == nullptr) return refuse();
    PendingSecurity next;
    next.method = method;
    next.login = BoundedText(login, 256);
    next.domain = BoundedText(domain, 256);
    next.password = BoundedText(password, 256);
    next.anonymous = BoundedText(anonymous, 256);
    for (const std::string* t : {&next.login, &next.domain, &next.password, &next.anonymous}) {
        if (!IsQuotableText(*t)) return refuse();
    }
    if (hash != nullptr) {
        static const char digits[] = "0123456789abcdef";
        for (int i = 0; i < 20; ++i) {
            next.certificateHash.push_back(digits[hash[i] >> 4]);
            next.certificateHash.push_back(digits[hash[i] & 15]);
        }
    }
    std::lock_guard lock(c->mutex());
    PendingSecurity& p = c->pending();
    p.method = next.method;
    p.login = next.login;
    p.domain = next.domain;
    p.password = next.password;
    p.anonymous = next.anonymous;
    p.certificateHash = next.certificateHash;
    return ZARN9100_RESULT_OK;
}

template <class F>
int SetPending(ZARN9100_HANDLE h, bool valid, F&& apply) {
    return WithHandle(h, [&](Card& c) {
        if (!valid) return ZARN9100_RESULT_BAD_ARGUMENT;
        std::lock_guard lock(c.mutex());
        apply(c.pending());
        return ZARN9100_RESULT_OK;
    });
}

template <class F>
int QueryPending(ZARN9100_HANDLE h, uint32_t* value, F&& read) {
    return WithHandle(h, [&](Card& c) {
        if (value == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        std::lock_guard lock(c.mutex());
        *value = read(c.pending());
        return ZARN9100_RESULT_OK;
    });
}

int QueryLinkOrPending(ZARN9100_HANDLE h, uint32_t* value, std::optional<uint32_t> LinkSecurity::*link,
                       uint32_t PendingSecurity::*pending) {
    return WithHandle(h, [&](Card& c) {
        if (value == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        if (const auto reported = LinkSecurityOf(StatusOf(c)).*link) {
            *value = *reported;
            return ZARN9100_RESULT_OK;
        }
        std::lock_guard lock(c.mutex());
        *value = c.pending().*pending;
        return ZARN9100_RESULT_OK;
    });
}

int64_t Counter(Card& c, const char* name) {
    return ParseNumber(c.sysfsText(std::string("statistics/") + name)).value_or(0);
}

}  // namespace

extern "C" {

TEMBREL_API int Zarn9100OpenAdapter(ZARN9100_HANDLE* handle) {
    if (handle == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
    *handle = TheCard()->open();
    return *handle != nullptr ? ZARN9100_RESULT_OK : ZARN9100_RESULT_BAD_HANDLE;
}

TEMBREL_API int Zarn9100CloseAdapter(ZARN9100_HANDLE* handle) {
    if (handle == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
    const bool closed = TheCard()->close(*handle);
    *handle = nullptr;
    return closed ? ZARN9100_RESULT_OK : ZARN9100_RESULT_BAD_HANDLE;
}

TEMBREL_API int Zarn9100Initialize(const ZARN9100_EVENT_SINK* sink) {
    TheCard()->dispatcher().setSink(sink);
    return ZARN9100_RESULT_OK;
}

TEMBREL_API int TembrelSetDeviceNotify(TEMBREL_DEVICE_NOTIFY callback, void* context) {
    TheCard()->dispatcher().setDeviceNotify(callback, context);
    return ZARN9100_RESULT_OK;
}

TEMBREL_API int Zarn9100UnlockPages(ZARN9100_HANDLE h) {
    return WithHandle(h, [](Card&) { return ZARN9100_RESULT_OK; });
}

TEMBREL_API int Zarn9100SetGUIMonitorMode(ZARN9100_HANDLE h, uint32_t monitor) {
    return WithHandle(h, [&](Card&) { return monitor <= 1 ? ZARN9100_RESULT_OK : ZARN9100_RESULT_BAD_ARGUMENT; });
}

TEMBREL_API int Zarn9100QueryWZCStatusCheck(int* active) {
    if (active == nullptr) return 1;
    *active = TheCard()->managedBySystemService() ? 1 : 0;
    return 0;
}

// ---------------------------------------------------------------- association

TEMBREL_API int Zarn9100GetConnectStatus(ZARN9100_HANDLE h) {
    Card* c = TheCard();
    return c->valid(h) && StatusOf(*c)["wpa_state"] == "COMPLETED" ? 1 : 0;
}

TEMBREL_API int Zarn9100SetSsid(ZARN9100_HANDLE h, const char* ssid, uint32_t length, int hidden) {
    return WithHandle(h, [&](Card& c) {
        if (length > 32 || (ssid == nullptr && length > 0)) return ZARN9100_RESULT_BAD_ARGUMENT;
        return c.setSsid(std::string(ssid == nullptr ? "" : ssid, length), hidden != 0);
    });
}

TEMBREL_API int Zarn9100QuerySsid(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](Card& c) {
        Report s = StatusOf(c);
        const std::string ssid = s["wpa_state"] == "COMPLETED" ? PrintfDecode(s["ssid"]) : std::string();
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
        Report s = StatusOf(c);
        const auto mac = s["wpa_state"] == "COMPLETED" ? ParseMac(s["bssid"]) : std::nullopt;
        std::memset(bssid, 0, 6);
        if (mac) std::memcpy(bssid, mac->data(), 6);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100SetNetworkMode(ZARN9100_HANDLE h, uint32_t v) {
    return SetPending(h, v <= 1, [&](PendingSecurity& p) { p.networkMode = v; });
}
TEMBREL_API int Zarn9100QueryNetworkMode(ZARN9100_HANDLE h, uint32_t* v) {
    return QueryPending(h, v, [](const PendingSecurity& p) { return p.networkMode; });
}
TEMBREL_API int Zarn9100SetAuthMode(ZARN9100_HANDLE h, uint32_t v) {
    return SetPending(h, v <= 255, [&](PendingSecurity& p) { p.authMode = v; });
}
// The security of a link is what the supplicant reports for it, whoever made the link.
TEMBREL_API int Zarn9100QueryAuthMode(ZARN9100_HANDLE h, uint32_t* v) {
    return QueryLinkOrPending(h, v, &LinkSecurity::authMode, &PendingSecurity::authMode);
}
TEMBREL_API int Zarn9100SetWepStatus(ZARN9100_HANDLE h, uint32_t v) {
    return SetPending(h, v == 0 || v == 1 || v == 4 || v == 6, [&](PendingSecurity& p) { p.wepStatus = v; });
}
TEMBREL_API int Zarn9100QueryWepStatus(ZARN9100_HANDLE h, uint32_t* v) {
    return QueryLinkOrPending(h, v, &LinkSecurity::wepStatus, &PendingSecurity::wepStatus);
}
TEMBREL_API int Zarn9100SetChannel(ZARN9100_HANDLE h, uint32_t v) {
    return SetPending(h, v <= 165, [&](PendingSecurity& p) { p.channel = v; });
}
TEMBREL_API int Zarn9100QueryChannel(ZARN9100_HANDLE h, uint32_t* v) {
    return WithHandle(h, [&](Card& c) {
        if (v == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        Report s = StatusOf(c);
        const auto freq = ParseNumber(s["freq"]);
        // A wired port reports freq=0: no channel to give.
        const uint32_t channel = freq && *freq > 0 ? tembrel::abi::ChannelAtFrequencyMHz(uint32_t(*freq)) : 0;
        if (channel == 0) return ZARN9100_RESULT_NOT_AVAILABLE;
        *v = channel;
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100SetRadioControl(ZARN9100_HANDLE h, uint32_t v) {
    return WithHandle(h, [&](Card& c) {
        if (v > 1) return ZARN9100_RESULT_BAD_ARGUMENT;
        return c.setRadio(v == 1) ? ZARN9100_RESULT_OK : ZARN9100_RESULT_NOT_AVAILABLE;
    });
}
TEMBREL_API int Zarn9100QueryRadioControl(ZARN9100_HANDLE h, uint32_t* v) {
    return WithHandle(h, [&](Card& c) {
        if (v == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        *v = c.radioState().value_or(1);
        return ZARN9100_RESULT_OK;
    });
}

// Settings a Linux card keeps to itself or its driver decides.
#define TEMBREL_UNSUPPORTED(Name)                                                                    \
    TEMBREL_API int Zarn9100Set##Name(ZARN9100_HANDLE h, uint32_t) {                                 \
        return WithHandle(h, [](Card&) { return ZARN9100_RESULT_NOT_AVAILABLE; });                         \
    }                                                                                                \
    TEMBREL_API int Zarn9100Query##Name(ZARN9100_HANDLE h, uint32_t* v) {                            \
        return WithHandle(h, [&](Card&) { return v == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; }); \
    }
TEMBREL_UNSUPPORTED(WlanMode)
TEMBREL_UNSUPPORTED(PowerMode)
TEMBREL_UNSUPPORTED(Preamble)
TEMBREL_UNSUPPORTED(DataRate)
TEMBREL_UNSUPPORTED(FragThreshold)
TEMBREL_UNSUPPORTED(RTSThreshold)
TEMBREL_UNSUPPORTED(TxPower)
TEMBREL_UNSUPPORTED(TxAntenna)
TEMBREL_UNSUPPORTED(RxAntenna)
TEMBREL_UNSUPPORTED(BoostMode)
TEMBREL_UNSUPPORTED(ChannelRange)
TEMBREL_UNSUPPORTED(SignalThreshold)
TEMBREL_UNSUPPORTED(TxFailThreshold)
#undef TEMBREL_UNSUPPORTED

TEMBREL_API int Zarn9100SetAdHocWlanMode(ZARN9100_HANDLE h, uint32_t mode) {
    return WithHandle(h, [&](Card&) { return mode > 2 ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; });
}

TEMBREL_API int Zarn9100SetProfileInUse(ZARN9100_HANDLE h, const char* name, uint32_t length) {
    return WithHandle(h, [&](Card&) {
        return length > 64 || (name == nullptr && length > 0) ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE;
    });
}
TEMBREL_API int Zarn9100QueryProfileInUse(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](Card&) { return buf == nullptr || cap == 0 ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; });
}

TEMBREL_API int Zarn9100QueryRssi(ZARN9100_HANDLE h, int32_t* rssi) {
    return WithHandle(h, [&](Card& c) {
        if (rssi == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        const auto v = ParseNumber(ParseReport(c.request("SIGNAL_POLL").value_or(""))["RSSI"]);
        if (!v || *v < -200 || *v > 100) return ZARN9100_RESULT_NOT_AVAILABLE;
        *rssi = int32_t(*v);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryLinkSpeed(ZARN9100_HANDLE h, uint32_t* speed100bps) {
    return WithHandle(h, [&](Card& c) {
        if (speed100bps == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        // LINKSPEED is in Mbit/s.
        const auto v = ParseNumber(ParseReport(c.request("SIGNAL_POLL").value_or(""))["LINKSPEED"]);
        if (!v || *v <= 0 || *v > 100000) return ZARN9100_RESULT_NOT_AVAILABLE;
        *speed100bps = uint32_t(*v * 10000);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryRegionCode(ZARN9100_HANDLE h, uint32_t* code) {
    return WithHandle(h, [&](Card&) { return code == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; });
}
TEMBREL_API int Zarn9100RadarDetected(ZARN9100_HANDLE h) {
    return WithHandle(h, [](Card&) { return ZARN9100_RESULT_NOT_AVAILABLE; });
}

// ---------------------------------------------------------------- security

TEMBREL_API int Zarn9100SetWepKey(ZARN9100_HANDLE h, uint32_t index, const uint8_t* key, uint32_t length,
                                  int transmit) {
    // wpa_supplicant takes WEP keys of 5, 13 or 16 bytes.
    const bool valid = index >= 1 && index <= 4 && key != nullptr && (length == 5 || length == 13 || length == 16);
    const int r = SetPending(h, valid, [&](PendingSecurity& p) {
        p.wepKeys[index - 1].assign(key, key + length);
        if (transmit != 0) p.txKeyIndex = index;
    });
    // A refused key empties its slot rather than leave an earlier network's key there.
    if (r == ZARN9100_RESULT_BAD_ARGUMENT && index >= 1 && index <= 4) {
        Card* c = TheCard();
        std::lock_guard lock(c->mutex());
        c->pending().wepKeys[index - 1].clear();
    }
    return r;
}

TEMBREL_API int Zarn9100SetWPAInformation(ZARN9100_HANDLE h, uint32_t networkType, uint32_t, uint32_t,
                                          const char* passphrase, const char*) {
    return SetPending(h, networkType <= 1, [&](PendingSecurity& p) { p.passphrase = BoundedText(passphrase, 128); });
}

TEMBREL_API int Zarn9100SetFswCCXNetworkEap(ZARN9100_HANDLE h, uint32_t value) {
    return SetPending(h, value <= 1, [&](PendingSecurity& p) { p.ccxNetworkEap = value; });
}

TEMBREL_API int Zarn9100WPACreateIdentityTLS(const char* login, const uint8_t hash[20]) {
    return SetIdentity(EapMethod::Tls, login, nullptr, nullptr, nullptr, hash);
}
TEMBREL_API int Zarn9100WPACreateIdentityPEAP(const char* login, const char* domain, const char* password) {
    return SetIdentity(EapMethod::Peap, login, domain, password, nullptr, nullptr);
}
TEMBREL_API int Zarn9100WPACreateIdentityLEAP(const char* login, const char* domain, const char* password) {
    return SetIdentity(EapMethod::Leap, login, domain, password, nullptr, nullptr);
}
TEMBREL_API int Zarn9100WPACreateIdentityTtls(const char* login, const char* domain, const char* password,
                                              const char* anonymous) {
    return SetIdentity(EapMethod::Ttls, login, domain, password, anonymous, nullptr);
}
TEMBREL_API void Zarn9100WPAPortDown(void) { TheCard()->requestOk("LOGOFF"); }

// ---------------------------------------------------------------- scanning

TEMBREL_API int Zarn9100Scan(ZARN9100_HANDLE h) {
    return WithHandle(h, [](Card& c) { return c.scan(); });
}

TEMBREL_API int Zarn9100SsidScan(ZARN9100_HANDLE h, const _ZARN9100_SSID_SCAN* request, uint32_t) {
    return WithHandle(h, [&](Card& c) {
        if (request == nullptr || request->SsidLength > 32) return ZARN9100_RESULT_BAD_ARGUMENT;
        return c.scan();
    });
}

TEMBREL_API int Zarn9100BssidScan(ZARN9100_HANDLE h, const _ZARN9100_BSSID_SCAN* request) {
    return WithHandle(h, [&](Card& c) { return request == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : c.scan(); });
}

TEMBREL_API int Zarn9100QueryScanListLength(ZARN9100_HANDLE h, uint8_t* buf, uint32_t cap, uint32_t* length) {
    const int r = WithHandle(h, [&](Card& c) {
        if (buf == nullptr || cap < 4) return ZARN9100_RESULT_BAD_ARGUMENT;
        const ScanListWrite w = WriteScanList(c.scanEntries(), buf, cap);
        if (length != nullptr) *length = w.bytesWritten;
        return ZARN9100_RESULT_OK;
    });
    return -r;
}

TEMBREL_API int Zarn9100QueryScanList(ZARN9100_HANDLE h, uint8_t* buf, uint32_t cap) {
    return -Zarn9100QueryScanListLength(h, buf, cap, nullptr);
}

// ---------------------------------------------------------------- region

TEMBREL_API int Zarn9100SetRegionCtrl(ZARN9100_HANDLE h, const _ZARN9100_REGION_CTRL* region) {
    return WithHandle(h, [&](Card&) { return region == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; });
}
TEMBREL_API int Zarn9100QueryRegionCtrl(ZARN9100_HANDLE h, _ZARN9100_REGION_CTRL* region) {
    return WithHandle(h, [&](Card&) { return region == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; });
}

// ---------------------------------------------------------------- information

TEMBREL_API int Zarn9100GetMacAddress(ZARN9100_HANDLE h, uint8_t* buf, uint32_t length) {
    return WithHandle(h, [&](Card& c) {
        if (buf == nullptr || length < 6) return ZARN9100_RESULT_BAD_ARGUMENT;
        const auto mac = ParseMac(c.sysfsText("address"));
        if (!mac) return ZARN9100_RESULT_NOT_AVAILABLE;
        std::memcpy(buf, mac->data(), 6);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryDeviceDesc(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](Card& c) {
        const char* kind = c.port() == Port::Wired ? "Wired interface " : "Wireless interface ";
        return CopyText(kind + c.interfaceName(), buf, cap);
    });
}

TEMBREL_API int Zarn9100QueryDriverVersion(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](Card& c) {
        const std::string version = c.sysfsText("device/driver/module/version");
        const std::string name = c.driverName();
        if (name.empty() && version.empty()) return ZARN9100_RESULT_NOT_AVAILABLE;
        return CopyText(version.empty() ? name : name + " " + version, buf, cap);
    });
}

#define TEMBREL_NOT_AVAILABLE_TEXT(Name)                                                        \
    TEMBREL_API int Zarn9100Query##Name(ZARN9100_HANDLE h, char* buf, uint32_t cap) {           \
        return WithHandle(h, [&](Card&) { return buf == nullptr || cap == 0 ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; }); \
    }
TEMBREL_NOT_AVAILABLE_TEXT(DriverDate)
TEMBREL_NOT_AVAILABLE_TEXT(RegistryPath)
#undef TEMBREL_NOT_AVAILABLE_TEXT

TEMBREL_API int Zarn9100QueryFirmwareVersion(ZARN9100_HANDLE h, uint32_t* version) {
    return WithHandle(h, [&](Card&) { return version == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; });
}
TEMBREL_API int Zarn9100QueryChipVersion(ZARN9100_HANDLE h, uint32_t* version) {
    return WithHandle(h, [&](Card&) { return version == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; });
}
TEMBREL_API int Zarn9100QueryDhcp9x(ZARN9100_HANDLE h) { return TheCard()->valid(h) ? 1 : 0; }

TEMBREL_API int Zarn9100QueryStatistics(ZARN9100_HANDLE h, _NDIS_802_11_STATISTICS* stats) {
    return WithHandle(h, [&](Card& c) {
        if (stats == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        std::memset(stats, 0, sizeof *stats);
        stats->Length = sizeof *stats;
        // The kernel counts frames, not 802.11 fragments: the closest counters it keeps.
        stats->TransmittedFragmentCount = Counter(c, "tx_packets");
        stats->FailedCount = Counter(c, "tx_errors");
        stats->ReceivedFragmentCount = Counter(c, "rx_packets");
        stats->MulticastReceivedFrameCount = Counter(c, "multicast");
        stats->FCSErrorCount = Counter(c, "rx_crc_errors");
        stats->FrameDuplicateCount = 0;
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryRssiStat(ZARN9100_HANDLE h, _RSSI_STATS* stats) {
    return WithHandle(h, [&](Card&) { return stats == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; });
}
TEMBREL_API int Zarn9100QueryBeaconStatistics(ZARN9100_HANDLE h, _BEACON_STATS* stats) {
    return WithHandle(h, [&](Card&) { return stats == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; });
}
TEMBREL_API int Zarn9100ResetStatistics(ZARN9100_HANDLE h) {
    return WithHandle(h, [](Card&) { return ZARN9100_RESULT_NOT_AVAILABLE; });
}

// ---------------------------------------------------------------- registers, registry, Auto Link

#define TEMBREL_REGISTER(Name)                                                                        \
    TEMBREL_API int Zarn9100Set##Name##Register(ZARN9100_HANDLE h, uint32_t, uint32_t) {               \
        return WithHandle(h, [](Card&) { return ZARN9100_RESULT_NOT_AVAILABLE; });                           \
    }                                                                                                  \
    TEMBREL_API int Zarn9100Query##Name##Register(ZARN9100_HANDLE h, uint32_t, uint32_t* value) {      \
        return WithHandle(h, [&](Card&) { return value == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; }); \
    }
TEMBREL_REGISTER(Rf)
TEMBREL_REGISTER(Bb)
TEMBREL_REGISTER(Mac)
#undef TEMBREL_REGISTER

TEMBREL_API int Zarn9100QueryRegistryText(const char*, const char*, char* buf, uint32_t cap) {
    return buf == nullptr || cap == 0 ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE;
}
TEMBREL_API int Zarn9100QueryRegistryNumber(const char*, const char*, uint32_t* value) {
    return value == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE;
}
TEMBREL_API int Zarn9100SetRegistryNumber(const char*, const char*, uint32_t) { return ZARN9100_RESULT_NOT_AVAILABLE; }
TEMBREL_API int Zarn9100SetRegistryText(const char*, const char*, const char*, uint32_t, int) {
    return ZARN9100_RESULT_NOT_AVAILABLE;
}

TEMBREL_API int Zarn9100QueryFastjoinAPInfo(ZARN9100_HANDLE h, _QELT_FASTJOIN_SSID_INFO* info) {
    return WithHandle(h, [&](Card&) { return info == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; });
}
TEMBREL_API int Zarn9100SetFJSecurityInfo(ZARN9100_HANDLE h, const _QELT_FASTJOIN_SEC_INFO* info) {
    return WithHandle(h, [&](Card&) { return info == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; });
}
TEMBREL_API int Zarn9100SetFJSetupRequest(ZARN9100_HANDLE h, const _QELT_FASTJOIN_SETUP_REQ* request) {
    return WithHandle(h, [&](Card&) { return request == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : ZARN9100_RESULT_NOT_AVAILABLE; });
}

}  // extern "C"
