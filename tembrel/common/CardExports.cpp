// The C ABI of a real card's library (wpa_supplicant's or NetworkManager's): handles and
// arguments checked here, answers from the library's card (DriverCard.h). What such a card
// cannot do (registers, Auto Link, boost, antennas, thresholds, the registry) fails with the
// documented result rather than pretending to succeed.

#include "tembrel/common/AbiChecks.h"
#include "tembrel/common/AbiText.h"
#include "tembrel/common/ChannelPlan.h"
#include "tembrel/common/DriverCard.h"
#include "tembrel/common/ScanEntryLayout.h"

#include <Tembrel.h>

#include <cstring>
#include <string>
#include <utility>

using tembrel::abi::BoundedText;
using tembrel::abi::CollectedSecurity;
using tembrel::abi::CopyText;
using tembrel::abi::DriverCard;
using tembrel::abi::EapMethod;
using tembrel::abi::SecurityCollector;
using tembrel::abi::TheCard;
namespace valid = tembrel::abi::valid;

namespace {

// What the security calls collected for the next SetSsid.
SecurityCollector& Collected() {
    static SecurityCollector collected;
    return collected;
}

template <class F>
int WithHandle(ZARN9100_HANDLE h, F&& body) {
    DriverCard& c = TheCard();
    if (!c.valid(h)) return ZARN9100_RESULT_BAD_HANDLE;
    return body(c);
}

// For calls the card has no means to carry out: the arguments are still checked.
int NotAvailable(ZARN9100_HANDLE h, bool validArguments = true) {
    return WithHandle(h, [&](DriverCard&) {
        return validArguments ? ZARN9100_RESULT_NOT_AVAILABLE : ZARN9100_RESULT_BAD_ARGUMENT;
    });
}

template <class F>
int SetPending(ZARN9100_HANDLE h, bool accepted, F&& apply) {
    return WithHandle(h, [&](DriverCard&) {
        if (!accepted) return ZARN9100_RESULT_BAD_ARGUMENT;
        Collected().update(apply);
        return ZARN9100_RESULT_OK;
    });
}

// What the card reports, when it has it to report.
template <class T, class F>
int QueryReported(ZARN9100_HANDLE h, T* value, F&& read) {
    return WithHandle(h, [&](DriverCard& c) {
        if (value == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        const std::optional<T> reported = read(c);
        if (!reported) return ZARN9100_RESULT_NOT_AVAILABLE;
        *value = *reported;
        return ZARN9100_RESULT_OK;
    });
}

// The link's own security when the card reports it, else what was collected for the next one.
int QueryLinkOrPending(ZARN9100_HANDLE h, uint32_t* value, std::optional<uint32_t> tembrel::abi::LinkSecurity::*link,
                       uint32_t CollectedSecurity::*pending) {
    return WithHandle(h, [&](DriverCard& c) {
        if (value == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        if (link != nullptr) {
            if (const auto reported = c.linkSecurity().*link) {
                *value = *reported;
                return ZARN9100_RESULT_OK;
            }
        }
        *value = Collected().current().*pending;
        return ZARN9100_RESULT_OK;
    });
}

// A refused identity leaves none: the next network never authenticates as an earlier user.
int SetIdentity(EapMethod method, const char* login, const char* domain, const char* password,
                const char* anonymous, const uint8_t* hash) {
    DriverCard& c = TheCard();
    CollectedSecurity next;
    next.login = BoundedText(login, 256);
    next.domain = BoundedText(domain, 256);
    next.password = BoundedText(password, 256);
    next.anonymous = BoundedText(anonymous, 256);
    std::string problem = valid::Identity(method, hash) ? "" : "TLS needs a client certificate";
    const std::pair<const std::string*, const char*> texts[] = {
        {&next.login, "the identity"}, {&next.domain, "the domain"}, {&next.password, "the password"},
        {&next.anonymous, "the anonymous identity"}};
    for (const auto& [text, what] : texts) {
        const std::string refused = problem.empty() ? c.identityTextProblem(*text) : "";
        if (!refused.empty()) problem = std::string(what) + " " + refused;
    }
    if (hash != nullptr) next.certificateHash = tembrel::abi::HexText(hash, 20);
    Collected().update([&](CollectedSecurity& p) {
        p.clearIdentity();
        // SetSsid then says why there is no identity.
        if (!problem.empty()) {
            p.identityProblem = problem;
            return;
        }
        p.method = method;
        p.login = next.login;
        p.domain = next.domain;
        p.password = next.password;
        p.anonymous = next.anonymous;
        p.certificateHash = next.certificateHash;
    });
    return problem.empty() ? ZARN9100_RESULT_OK : ZARN9100_RESULT_BAD_ARGUMENT;
}

}  // namespace

extern "C" {

TEMBREL_API int Zarn9100OpenAdapter(ZARN9100_HANDLE* handle) {
    if (handle == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
    *handle = TheCard().open();
    return *handle != nullptr ? ZARN9100_RESULT_OK : ZARN9100_RESULT_BAD_HANDLE;
}

TEMBREL_API int Zarn9100CloseAdapter(ZARN9100_HANDLE* handle) {
    if (handle == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
    const bool closed = TheCard().close(*handle);
    *handle = nullptr;
    return closed ? ZARN9100_RESULT_OK : ZARN9100_RESULT_BAD_HANDLE;
}

TEMBREL_API int Zarn9100Initialize(const ZARN9100_EVENT_SINK* sink) {
    TheCard().dispatcher().setSink(sink);
    return ZARN9100_RESULT_OK;
}

TEMBREL_API int TembrelSetDeviceNotify(TEMBREL_DEVICE_NOTIFY callback, void* context) {
    TheCard().dispatcher().setDeviceNotify(callback, context);
    return ZARN9100_RESULT_OK;
}

TEMBREL_API int Zarn9100UnlockPages(ZARN9100_HANDLE h) {
    return WithHandle(h, [](DriverCard&) { return ZARN9100_RESULT_OK; });
}

TEMBREL_API int Zarn9100SetGUIMonitorMode(ZARN9100_HANDLE h, uint32_t monitor) {
    return WithHandle(h, [&](DriverCard&) { return valid::Flag(monitor) ? ZARN9100_RESULT_OK : ZARN9100_RESULT_BAD_ARGUMENT; });
}

TEMBREL_API int Zarn9100QueryWZCStatusCheck(int* active) {
    if (active == nullptr) return 1;
    *active = TheCard().managedBySystemService() ? 1 : 0;
    return 0;
}

// ---------------------------------------------------------------- association

TEMBREL_API int Zarn9100GetConnectStatus(ZARN9100_HANDLE h) {
    DriverCard& c = TheCard();
    return c.valid(h) && c.associated() ? 1 : 0;
}

TEMBREL_API int Zarn9100SetSsid(ZARN9100_HANDLE h, const char* ssid, uint32_t length, int hidden) {
    return WithHandle(h, [&](DriverCard& c) {
        if (!valid::Ssid(ssid, length)) return ZARN9100_RESULT_BAD_ARGUMENT;
        return c.setSsid(std::string(ssid == nullptr ? "" : ssid, length), hidden != 0, Collected().takeForNetwork());
    });
}

// An SSID of exactly the buffer's size is handed out without a terminator.
TEMBREL_API int Zarn9100QuerySsid(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](DriverCard& c) {
        const std::string ssid = c.associatedSsid();
        if (buf != nullptr && cap > 0 && ssid.size() == cap) {
            std::memcpy(buf, ssid.data(), cap);
            return ZARN9100_RESULT_OK;
        }
        return CopyText(ssid, buf, cap);
    });
}

TEMBREL_API int Zarn9100QueryBssid(ZARN9100_HANDLE h, uint8_t bssid[6]) {
    return WithHandle(h, [&](DriverCard& c) {
        if (bssid == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        const auto mac = c.associatedBssid();
        std::memcpy(bssid, mac.data(), 6);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100SetNetworkMode(ZARN9100_HANDLE h, uint32_t v) {
    return SetPending(h, valid::NetworkMode(v), [&](CollectedSecurity& p) { p.networkMode = v; });
}
TEMBREL_API int Zarn9100QueryNetworkMode(ZARN9100_HANDLE h, uint32_t* v) {
    return QueryLinkOrPending(h, v, nullptr, &CollectedSecurity::networkMode);
}
TEMBREL_API int Zarn9100SetAuthMode(ZARN9100_HANDLE h, uint32_t v) {
    return SetPending(h, valid::AuthMode(v), [&](CollectedSecurity& p) { p.authMode = v; });
}
// The security of a link is what the card reports for it, whoever made the link.
TEMBREL_API int Zarn9100QueryAuthMode(ZARN9100_HANDLE h, uint32_t* v) {
    return QueryLinkOrPending(h, v, &tembrel::abi::LinkSecurity::authMode, &CollectedSecurity::authMode);
}
TEMBREL_API int Zarn9100SetWepStatus(ZARN9100_HANDLE h, uint32_t v) {
    return SetPending(h, valid::WepStatus(v), [&](CollectedSecurity& p) { p.wepStatus = v; });
}
TEMBREL_API int Zarn9100QueryWepStatus(ZARN9100_HANDLE h, uint32_t* v) {
    return QueryLinkOrPending(h, v, &tembrel::abi::LinkSecurity::wepStatus, &CollectedSecurity::wepStatus);
}
TEMBREL_API int Zarn9100SetChannel(ZARN9100_HANDLE h, uint32_t v) {
    return SetPending(h, valid::Channel(v), [&](CollectedSecurity& p) { p.channel = v; });
}
// A wired port has no frequency: no channel to give.
TEMBREL_API int Zarn9100QueryChannel(ZARN9100_HANDLE h, uint32_t* v) {
    return QueryReported(h, v, [](DriverCard& c) -> std::optional<uint32_t> {
        const uint32_t channel = tembrel::abi::ChannelAtFrequencyMHz(c.linkFrequencyMHz());
        return channel != 0 ? std::optional(channel) : std::nullopt;
    });
}

TEMBREL_API int Zarn9100SetRadioControl(ZARN9100_HANDLE h, uint32_t v) {
    return WithHandle(h, [&](DriverCard& c) {
        return !valid::Flag(v) ? ZARN9100_RESULT_BAD_ARGUMENT : c.setRadioControl(v == ZARN9100_RADIO_ON);
    });
}
TEMBREL_API int Zarn9100QueryRadioControl(ZARN9100_HANDLE h, uint32_t* v) {
    return QueryReported(h, v, [](DriverCard& c) { return std::optional(c.radioControl()); });
}

// Settings the system keeps to itself or its driver decides.
#define TEMBREL_UNSUPPORTED(Name, rule)                                                                            \
    TEMBREL_API int Zarn9100Set##Name(ZARN9100_HANDLE h, uint32_t v) { return NotAvailable(h, rule(v)); }          \
    TEMBREL_API int Zarn9100Query##Name(ZARN9100_HANDLE h, uint32_t* v) { return NotAvailable(h, v != nullptr); }
TEMBREL_UNSUPPORTED(WlanMode, valid::WlanMode)
TEMBREL_UNSUPPORTED(PowerMode, valid::PowerMode)
TEMBREL_UNSUPPORTED(Preamble, valid::Preamble)
TEMBREL_UNSUPPORTED(DataRate, valid::DataRate)
TEMBREL_UNSUPPORTED(FragThreshold, valid::FragThreshold)
TEMBREL_UNSUPPORTED(RTSThreshold, valid::RTSThreshold)
TEMBREL_UNSUPPORTED(TxPower, valid::TxPower)
TEMBREL_UNSUPPORTED(TxAntenna, valid::Antenna)
TEMBREL_UNSUPPORTED(RxAntenna, valid::Antenna)
TEMBREL_UNSUPPORTED(BoostMode, valid::Flag)
TEMBREL_UNSUPPORTED(ChannelRange, valid::ChannelRange)
TEMBREL_UNSUPPORTED(SignalThreshold, valid::SignalThreshold)
TEMBREL_UNSUPPORTED(TxFailThreshold, valid::TxFailThreshold)
#undef TEMBREL_UNSUPPORTED

TEMBREL_API int Zarn9100SetAdHocWlanMode(ZARN9100_HANDLE h, uint32_t mode) {
    return NotAvailable(h, valid::AdHocWlanMode(mode));
}

TEMBREL_API int Zarn9100SetProfileInUse(ZARN9100_HANDLE h, const char* name, uint32_t length) {
    return NotAvailable(h, valid::ProfileName(name, length));
}
TEMBREL_API int Zarn9100QueryProfileInUse(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return NotAvailable(h, buf != nullptr && cap > 0);
}

TEMBREL_API int Zarn9100QueryRssi(ZARN9100_HANDLE h, int32_t* rssi) {
    return QueryReported(h, rssi, [](DriverCard& c) { return c.rssiDbm(); });
}
TEMBREL_API int Zarn9100QueryLinkSpeed(ZARN9100_HANDLE h, uint32_t* speed100bps) {
    return QueryReported(h, speed100bps, [](DriverCard& c) { return c.linkSpeed100bps(); });
}

TEMBREL_API int Zarn9100QueryRegionCode(ZARN9100_HANDLE h, uint32_t* code) { return NotAvailable(h, code != nullptr); }
TEMBREL_API int Zarn9100RadarDetected(ZARN9100_HANDLE h) { return NotAvailable(h); }

// ---------------------------------------------------------------- security

TEMBREL_API int Zarn9100SetWepKey(ZARN9100_HANDLE h, uint32_t index, const uint8_t* key, uint32_t length,
                                  int transmit) {
    const bool slot = valid::WepKeySlot(index);
    const bool accepted = slot && key != nullptr && TheCard().acceptsWepKeyLength(length);
    const int r = SetPending(h, accepted, [&](CollectedSecurity& p) {
        p.wepKeys[index - 1].assign(key, key + length);
        if (transmit != 0) p.txKeyIndex = index;
    });
    // A refused key empties its slot rather than leave an earlier network's key there.
    if (r == ZARN9100_RESULT_BAD_ARGUMENT && slot) {
        Collected().update([&](CollectedSecurity& p) { p.wepKeys[index - 1].clear(); });
    }
    return r;
}

TEMBREL_API int Zarn9100SetWPAInformation(ZARN9100_HANDLE h, uint32_t networkType, uint32_t, uint32_t,
                                          const char* passphrase, const char*) {
    return SetPending(h, valid::NetworkMode(networkType),
                      [&](CollectedSecurity& p) { p.passphrase = BoundedText(passphrase, 128); });
}

TEMBREL_API int Zarn9100SetFswCCXNetworkEap(ZARN9100_HANDLE h, uint32_t value) {
    return SetPending(h, valid::Flag(value), [&](CollectedSecurity& p) { p.ccxNetworkEap = value; });
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
TEMBREL_API void Zarn9100WPAPortDown(void) { TheCard().logOff(); }

// ---------------------------------------------------------------- scanning

TEMBREL_API int Zarn9100Scan(ZARN9100_HANDLE h) {
    return WithHandle(h, [](DriverCard& c) { return c.scan(); });
}

// The card scans every channel: a directed scan is a full one.
TEMBREL_API int Zarn9100SsidScan(ZARN9100_HANDLE h, const _ZARN9100_SSID_SCAN* request, uint32_t networkType) {
    return WithHandle(h, [&](DriverCard& c) {
        if (!valid::SsidScan(request, networkType)) return ZARN9100_RESULT_BAD_ARGUMENT;
        return c.scan();
    });
}

TEMBREL_API int Zarn9100BssidScan(ZARN9100_HANDLE h, const _ZARN9100_BSSID_SCAN* request) {
    return WithHandle(h, [&](DriverCard& c) { return request == nullptr ? ZARN9100_RESULT_BAD_ARGUMENT : c.scan(); });
}

TEMBREL_API int Zarn9100QueryScanListLength(ZARN9100_HANDLE h, uint8_t* buf, uint32_t cap, uint32_t* length) {
    const int r = WithHandle(h, [&](DriverCard& c) {
        if (buf == nullptr || cap < 4) return ZARN9100_RESULT_BAD_ARGUMENT;
        const auto w = tembrel::abi::WriteScanList(c.scanEntries(), buf, cap);
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
    return NotAvailable(h, region != nullptr);
}
TEMBREL_API int Zarn9100QueryRegionCtrl(ZARN9100_HANDLE h, _ZARN9100_REGION_CTRL* region) {
    return NotAvailable(h, region != nullptr);
}

// ---------------------------------------------------------------- information

TEMBREL_API int Zarn9100GetMacAddress(ZARN9100_HANDLE h, uint8_t* buf, uint32_t length) {
    return WithHandle(h, [&](DriverCard& c) {
        if (buf == nullptr || length < 6) return ZARN9100_RESULT_BAD_ARGUMENT;
        const auto mac = c.macAddress();
        if (!mac) return ZARN9100_RESULT_NOT_AVAILABLE;
        std::memcpy(buf, mac->data(), 6);
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryDeviceDesc(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](DriverCard& c) {
        return CopyText((c.wired() ? "Wired interface " : "Wireless interface ") + c.interfaceName(), buf, cap);
    });
}

TEMBREL_API int Zarn9100QueryDriverVersion(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return WithHandle(h, [&](DriverCard& c) {
        const std::string text = c.driverText();
        return text.empty() ? ZARN9100_RESULT_NOT_AVAILABLE : CopyText(text, buf, cap);
    });
}

TEMBREL_API int Zarn9100QueryDriverDate(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return NotAvailable(h, buf != nullptr && cap > 0);
}
TEMBREL_API int Zarn9100QueryRegistryPath(ZARN9100_HANDLE h, char* buf, uint32_t cap) {
    return NotAvailable(h, buf != nullptr && cap > 0);
}
TEMBREL_API int Zarn9100QueryFirmwareVersion(ZARN9100_HANDLE h, uint32_t* version) {
    return NotAvailable(h, version != nullptr);
}
TEMBREL_API int Zarn9100QueryChipVersion(ZARN9100_HANDLE h, uint32_t* version) {
    return NotAvailable(h, version != nullptr);
}
TEMBREL_API int Zarn9100QueryDhcp9x(ZARN9100_HANDLE h) { return TheCard().valid(h) ? 1 : 0; }

TEMBREL_API int Zarn9100QueryStatistics(ZARN9100_HANDLE h, _NDIS_802_11_STATISTICS* stats) {
    return WithHandle(h, [&](DriverCard& c) {
        if (stats == nullptr) return ZARN9100_RESULT_BAD_ARGUMENT;
        std::memset(stats, 0, sizeof *stats);
        stats->Length = sizeof *stats;
        // The kernel counts frames, not 802.11 fragments: the closest counters it keeps.
        stats->TransmittedFragmentCount = c.statistic("tx_packets");
        stats->FailedCount = c.statistic("tx_errors");
        stats->ReceivedFragmentCount = c.statistic("rx_packets");
        stats->MulticastReceivedFrameCount = c.statistic("multicast");
        stats->FCSErrorCount = c.statistic("rx_crc_errors");
        return ZARN9100_RESULT_OK;
    });
}

TEMBREL_API int Zarn9100QueryRssiStat(ZARN9100_HANDLE h, _RSSI_STATS* stats) { return NotAvailable(h, stats != nullptr); }
TEMBREL_API int Zarn9100QueryBeaconStatistics(ZARN9100_HANDLE h, _BEACON_STATS* stats) {
    return NotAvailable(h, stats != nullptr);
}
TEMBREL_API int Zarn9100ResetStatistics(ZARN9100_HANDLE h) { return NotAvailable(h); }

// ---------------------------------------------------------------- registers, registry, Auto Link

#define TEMBREL_REGISTER(Name)                                                                         \
    TEMBREL_API int Zarn9100Set##Name##Register(ZARN9100_HANDLE h, uint32_t, uint32_t) {                \
        return NotAvailable(h);                                                                         \
    }                                                                                                   \
    TEMBREL_API int Zarn9100Query##Name##Register(ZARN9100_HANDLE h, uint32_t, uint32_t* value) {       \
        return NotAvailable(h, value != nullptr);                                                       \
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
    return NotAvailable(h, info != nullptr);
}
TEMBREL_API int Zarn9100SetFJSecurityInfo(ZARN9100_HANDLE h, const _QELT_FASTJOIN_SEC_INFO* info) {
    return NotAvailable(h, info != nullptr);
}
TEMBREL_API int Zarn9100SetFJSetupRequest(ZARN9100_HANDLE h, const _QELT_FASTJOIN_SETUP_REQ* request) {
    return NotAvailable(h, request != nullptr);
}

}  // extern "C"
