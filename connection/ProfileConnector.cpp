#include "connection/ProfileConnector.h"

#include "adapter/Adapter.h"
#include "connection/OpenNetworkChoice.h"
#include "connection/SecurityPlan.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "survey/ScanRequests.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace tembrel {

namespace {

// The library gets a NUL-terminated copy of each text field, even from a record whose field
// lost its terminator.
template <size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(GetText(field));
}

constexpr std::string_view kAnySsidText = "<ANY SSID>";
constexpr size_t kMaxSsidBytes = 32;
constexpr size_t kProfileNameBuffer = 40;

std::string SsidOf(const PROFILE_RECORD& p) {
    std::string ssid = FieldText(p.ssid);
    if (ssid.size() > kMaxSsidBytes) ssid.resize(kMaxSsidBytes);
    return ssid;
}

}  // namespace

ProfileConnector::ProfileConnector(ConnectionContext context) : context_(std::move(context)) {}

int ProfileConnector::ConnectProfile(const ProfilePtr& profile, std::string_view page) {
    if (!profile || !context_.handle.held() || context_.radioState.load() == ZARN9100_RADIO_OFF) return 1;
    std::lock_guard apply(applyMutex_);
    // Work on a copy: the user-interface thread may edit the shared record meanwhile.
    const PROFILE_RECORD p = context_.profiles.Read([&](const ProfileSequence&) { return *profile; });
    DriverLibrary& d = context_.driver;
    const std::string ssid = SsidOf(p);
    const bool anySsid = ssid == kAnySsidText;
    if (!page.empty())
        context_.history->joinAttempted({JoinRequester::User, std::string(page), std::string(ProfileName(p)), ssid});

    if (!anySsid) {
        const auto request = MakeSsidScanRequest(ssid, AllChannels());
        withHandle([&](ZARN9100_HANDLE h) { return d.SsidScan(h, &request, p.networkType); });
    }
    SetProfileInUse(profile);
    applySecurity(p);
    if (anySsid) return finished(p, connectAnyOpenNetwork());

    withHandle([&](ZARN9100_HANDLE h) { return d.SetNetworkMode(h, p.networkType); });
    if (p.networkType == ZARN9100_NETWORK_ADHOC) {
        withHandle([&](ZARN9100_HANDLE h) { return d.SetAdHocWlanMode(h, p.adHocWirelessMode); });
        withHandle([&](ZARN9100_HANDLE h) { return d.SetChannel(h, static_cast<uint32_t>(p.adHocChannel)); });
    } else {
        withHandle([&](ZARN9100_HANDLE h) { return d.SetWlanMode(h, p.wirelessMode); });
    }
    const int result = withHandle([&](ZARN9100_HANDLE h) {
        return d.SetSsid(h, ssid.c_str(), static_cast<uint32_t>(ssid.size()), p.hiddenSsid);
    });
    if (result != 0) {
        const bool connected = withHandle([&](ZARN9100_HANDLE h) { return d.GetConnectStatus(h); }, 0) != 0;
        if (context_.refreshStatus) context_.refreshStatus(connected);
        if (context_.snapshot.copy().connectedOrAdHocStarted()) applyProtocolSettings(p);
    } else {
        applyProtocolSettings(p);
    }
    return finished(p, result);
}

int ProfileConnector::finished(const PROFILE_RECORD& p, int result) {
    context_.history->joinFinished(std::string(ProfileName(p)), SsidOf(p), result);
    return result;
}

int ProfileConnector::ApplySecurity(const PROFILE_RECORD& profile) {
    std::lock_guard apply(applyMutex_);
    applySecurity(profile);
    return 1;
}

int ProfileConnector::ApplyProtocolSettings(const PROFILE_RECORD& profile) {
    std::lock_guard apply(applyMutex_);
    applyProtocolSettings(profile);
    return 1;
}

int ProfileConnector::ConnectAnyOpenNetwork() {
    std::lock_guard apply(applyMutex_);
    return connectAnyOpenNetwork();
}

void ProfileConnector::applySecurity(const PROFILE_RECORD& p) {
    DriverLibrary& d = context_.driver;
    if (p.networkType == ZARN9100_NETWORK_ADHOC) {
        withHandle([&](ZARN9100_HANDLE h) { return d.SetAuthMode(h, p.authMode); });
        withHandle([&](ZARN9100_HANDLE h) { return d.SetFswCCXNetworkEap(h, 0); });
    } else {
        const InfrastructureSecurity row = InfrastructureSecurityFor(p.authMode, p.encryption);
        withHandle([&](ZARN9100_HANDLE h) { return d.SetAuthMode(h, row.authValue); });
        withHandle([&](ZARN9100_HANDLE h) { return d.SetFswCCXNetworkEap(h, row.ccxNetworkEap); });
        const std::string login = FieldText(p.loginName);
        const std::string domain = FieldText(p.domain);
        const std::string password = FieldText(p.password);
        switch (row.identity) {
            case IdentityCall::kNone: break;
            case IdentityCall::kLeap: d.WPACreateIdentityLEAP(login.c_str(), domain.c_str(), password.c_str()); break;
            case IdentityCall::kTls: d.WPACreateIdentityTLS(login.c_str(), p.certificateHash); break;
            case IdentityCall::kPeap: d.WPACreateIdentityPEAP(login.c_str(), domain.c_str(), password.c_str()); break;
            case IdentityCall::kTtls: {
                const std::string anonymous = FieldText(p.anonymousName);
                d.WPACreateIdentityTtls(login.c_str(), domain.c_str(), password.c_str(), anonymous.c_str());
                break;
            }
        }
    }
    const std::string passphrase = FieldText(p.passphrase);
    const std::string ssid = SsidOf(p);
    withHandle([&](ZARN9100_HANDLE h) {
        return d.SetWPAInformation(h, p.networkType, p.authMode, static_cast<uint32_t>(p.encryption),
                                   passphrase.c_str(), ssid.c_str());
    });
    const auto status = EncryptionStatusFor(p.encryption);
    if (!status) return;
    withHandle([&](ZARN9100_HANDLE h) { return d.SetWepStatus(h, *status); });
    if (p.encryption == kCipherWep && IsWepAuthentication(p.authMode)) setStaticWepKeys(p);
}

void ProfileConnector::setStaticWepKeys(const PROFILE_RECORD& p) {
    DriverLibrary& d = context_.driver;
    const auto setKey = [&](uint32_t index, int transmit) {
        const WEP_KEY_ENTRY& key = p.wep.keys[index - 1];
        // A damaged record cannot make the library read past the key material.
        const uint32_t length = std::min<uint32_t>(key.length, sizeof key.material);
        withHandle([&](ZARN9100_HANDLE h) { return d.SetWepKey(h, index, key.material, length, transmit); });
    };
    for (uint32_t i = 1; i <= 4; ++i) setKey(i, p.wep.txKeyIndex == i ? 1 : 0);
    if (p.wep.txKeyIndex >= 1 && p.wep.txKeyIndex <= 4) setKey(p.wep.txKeyIndex, 1);
}

void ProfileConnector::applyProtocolSettings(const PROFILE_RECORD& p) {
    DriverLibrary& d = context_.driver;
    if (p.networkType == ZARN9100_NETWORK_ADHOC) withHandle([&](ZARN9100_HANDLE h) { return d.SetPowerMode(h, 0); });
    if (p.keepAdapterSettings != 0) return;
    withHandle([&](ZARN9100_HANDLE h) { return d.SetPowerMode(h, p.powerSaveMode); });
    withHandle([&](ZARN9100_HANDLE h) { return d.SetPreamble(h, p.preamble); });
    withHandle([&](ZARN9100_HANDLE h) { return d.SetDataRate(h, p.txRate); });
    withHandle([&](ZARN9100_HANDLE h) { return d.SetFragThreshold(h, p.fragThreshold); });
    withHandle([&](ZARN9100_HANDLE h) { return d.SetRTSThreshold(h, p.rtsThreshold); });
}

int ProfileConnector::connectAnyOpenNetwork() {
    const auto start = context_.now();
    if (!context_.handle.held() || context_.radioState.load() == ZARN9100_RADIO_OFF) return 1;
    DriverLibrary& d = context_.driver;
    auto buffer = std::make_unique<ScanBuffer>();
    const bool read = withHandle([&](ZARN9100_HANDLE h) { return ReadScanList(d, h, *buffer) ? 0 : 1; }) == 0;
    if (!read) return 1;
    const ScanList list(*buffer);
    if (list.numberOfItems() == 0) return 1;
    const auto candidates = ChooseOpenNetworkCandidates(list);
    if (candidates.empty()) return 1;

    withHandle([&](ZARN9100_HANDLE h) { return d.SetAuthMode(h, ZARN9100_AUTH_OPEN); });
    withHandle([&](ZARN9100_HANDLE h) { return d.SetWepStatus(h, ZARN9100_ENCRYPTION_DISABLED); });
    withHandle([&](ZARN9100_HANDLE h) { return d.SetNetworkMode(h, ZARN9100_NETWORK_INFRASTRUCTURE); });
    for (const OpenNetworkCandidate& c : candidates) {
        if (context_.now() - start > kOpenNetworkTimeLimit) return 1;
        if (c.ssid.empty() || c.ssid.front() == '\0') continue;
        const int result = withHandle([&](ZARN9100_HANDLE h) {
            return d.SetSsid(h, c.ssid.c_str(), static_cast<uint32_t>(c.ssid.size()), 0);
        });
        return result == 0 ? 0 : 1;
    }
    return 1;
}

void ProfileConnector::SetProfileInUse(const ProfilePtr& profile) {
    std::lock_guard inUse(inUseMutex_);
    {
        std::lock_guard lock(profileInUseMutex_);
        profileInUse_ = profile;
    }
    DriverLibrary& d = context_.driver;
    if (!profile) {
        withHandle([&](ZARN9100_HANDLE h) { return d.SetProfileInUse(h, " ", 1); });
        return;
    }
    const std::string name = context_.profiles.Edit([&](ProfileSequence&) {
        profile->inPreferList = 1;
        return FieldText(profile->name);
    });
    withHandle([&](ZARN9100_HANDLE h) { return d.SetProfileInUse(h, name.c_str(), static_cast<uint32_t>(name.size())); });

    context_.profiles.MoveToHeadOfGroup(profile.get());
}

void ProfileConnector::SyncProfileInUse() {
    char name[kProfileNameBuffer] = {};
    const int held = withHandle([&](ZARN9100_HANDLE h) {
        context_.driver.QueryProfileInUse(h, name, sizeof name);
        return 1;
    }, 0);
    if (!held) return;
    const std::string_view wanted(name, strnlen(name, sizeof name));
    const ProfilePtr match = context_.profiles.Read([&](const ProfileSequence& records) -> ProfilePtr {
        for (const auto& r : records)
            if (FieldText(r->name) == wanted) return r;
        return nullptr;
    });
    if (match) SetProfileInUse(match);
}

ProfilePtr ProfileConnector::profileInUse() const {
    std::lock_guard lock(profileInUseMutex_);
    return profileInUse_;
}

}  // namespace tembrel
