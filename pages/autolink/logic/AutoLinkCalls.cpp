#include "pages/autolink/logic/AutoLinkCalls.h"

#include "pages/autolink/logic/AutoLinkRules.h"
#include "profiles/ProfileText.h"

#include <array>
#include <cstring>

namespace tembrel::autolink {

AssociateResult AssociateWith(DriverLibrary& driver, const AdapterHandle& handle, const PROFILE_RECORD& profile) {
    const auto lease = handle.lease();
    if (!lease) return AssociateResult::kNoCard;
    const ZARN9100_HANDLE h = lease.get();
    const std::string ssid(ProfileSsid(profile));
    const std::string passphrase(GetText(profile.passphrase));
    driver.SetAuthMode(h, AssociationAuthValue(profile.authMode));
    driver.SetFswCCXNetworkEap(h, 0);
    driver.SetWepStatus(h, AssociationWepStatus(profile.encryption));
    driver.SetWPAInformation(h, profile.networkType, profile.authMode, static_cast<uint32_t>(profile.encryption),
                             passphrase.c_str(), ssid.c_str());
    driver.SetWlanMode(h, profile.wirelessMode);
    driver.SetNetworkMode(h, profile.networkType);
    if (driver.SetSsid(h, ssid.c_str(), static_cast<uint32_t>(ssid.size()), 0) != 0 && driver.GetConnectStatus(h) == 0)
        return AssociateResult::kRefused;
    return AssociateResult::kStarted;
}

void DisconnectCard(DriverLibrary& driver, const AdapterHandle& handle) {
    driver.WPAPortDown();
    // 32 bytes of 0x01, and a terminator for a library that reads the name as text.
    static constexpr std::array<char, 33> kNoNetwork = [] {
        std::array<char, 33> a{};
        for (size_t i = 0; i < 32; ++i) a[i] = '\x01';
        return a;
    }();
    if (const auto lease = handle.lease()) driver.SetSsid(lease.get(), kNoNetwork.data(), 32, 0);
}

void ReadCardIpSettings(DriverLibrary& driver, const AdapterHandle& handle, const IpHelper& ipHelper, int osFamily,
                        CardIpSettings& settings) {
    MacAddress mac{};
    std::optional<bool> dhcp9x;
    {
        const auto lease = handle.lease();
        if (!lease || driver.GetMacAddress(lease.get(), mac.data(), static_cast<uint32_t>(mac.size())) != 0) return;
        if (osFamily == 3) dhcp9x = driver.QueryDhcp9x(lease.get()) != 0;
    }
    const auto adapter = ipHelper.findAdapter(mac);
    if (!adapter) return;
    settings.dhcp = dhcp9x ? *dhcp9x : adapter->dhcpEnabled;
    settings.ipAddress = adapter->ipAddress;
}

bool SendSetupRecords(DriverLibrary& driver, const AdapterHandle& handle, uint32_t apTag, std::string_view pin,
                      const CardIpSettings& ip) {
    const auto lease = handle.lease();
    if (!lease) return false;
    const _QELT_FASTJOIN_SEC_INFO info = MakeFastJoinSecurityInfo(apTag, pin, ip);
    const _QELT_FASTJOIN_SETUP_REQ request = MakeFastJoinSetupRequest(apTag);
    driver.SetFJSecurityInfo(lease.get(), &info);
    driver.SetFJSetupRequest(lease.get(), &request);
    return true;
}

std::optional<std::string> QueryLearntSsid(DriverLibrary& driver, const AdapterHandle& handle) {
    _QELT_FASTJOIN_SSID_INFO info;
    std::memset(&info, 0, sizeof info);
    {
        const auto lease = handle.lease();
        if (!lease) return std::nullopt;
        driver.QueryFastjoinAPInfo(lease.get(), &info);
    }
    return FastJoinSsid(info);
}

}  // namespace tembrel::autolink
