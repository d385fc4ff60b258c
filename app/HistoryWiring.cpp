#include "app/HistoryWiring.h"

#include "history/HistoryLocation.h"
#include "platform/Settings.h"
#include "profiles/AuthMode.h"
#include "profiles/Cipher.h"
#include "survey/ChannelPlan.h"
#include "survey/ScanEntry.h"
#include "survey/ScanRequests.h"
#include "survey/SecurityDetection.h"

#include <cstdio>
#include <memory>

namespace tembrel {

namespace {

// The method only: which kind of key a network asks for, never the key.
std::string SecurityName(const ScanEntry& entry) {
    if (entry.privacy() == 0) return "open";
    const ScanSecurity s = DetectSecurityOfEntry(entry);
    const char* cipher = s.cipher == kCipherTkip ? " TKIP" : s.cipher == kCipherAes ? " AES" : "";
    switch (s.authentication) {
    case kAuthWpaPsk: return std::string("WPA-PSK") + cipher;
    case kAuthWpa2Psk: return std::string("WPA2-PSK") + cipher;
    case kAuthWpaTls: case kAuthWpaPeap: case kAuthWpaTtls: case kAuthWpaLeap:
        return std::string("WPA 802.1x") + cipher;
    case kAuthWpa2Tls: case kAuthWpa2Peap: case kAuthWpa2Ttls: case kAuthWpa2Leap:
        return std::string("WPA2 802.1x") + cipher;
    case kAuthCcxLeap: case kAuthCcxPeap: case kGroupCcx: return "CCX";
    case kGroupWpa: return std::string("WPA 802.1x") + cipher;
    case kGroupWpa2: return std::string("WPA2 802.1x") + cipher;
    case kGroup8021x: return "802.1x";
    default: return "WEP";
    }
}

std::string MacText(const std::array<uint8_t, 6>& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

std::string BandName(uint32_t channel) { return IsTwoPointFourGhzChannel(channel) ? "2.4 GHz" : "5 GHz"; }

// The current scan list, read under a lease; empty without a card or a readable list.
std::unique_ptr<ScanBuffer> ReadList(DriverLibrary& driver, const AdapterHandle& handle) {
    auto buffer = std::make_unique<ScanBuffer>();
    const auto lease = handle.lease();
    if (!lease || !ReadScanList(driver, lease.get(), *buffer)) return nullptr;
    return buffer;
}

}  // namespace

HistoryProbe MakeHistoryProbe(DriverLibrary& driver, const AdapterHandle& handle, const ConnectionSnapshotHolder& snapshot) {
    HistoryProbe probe;
    probe.sample = [&driver, &handle]() -> std::optional<LinkSample> {
        const auto lease = handle.lease();
        if (!lease) return std::nullopt;
        int32_t rssi = 0;
        uint32_t speed100bps = 0;
        if (driver.QueryRssi(lease.get(), &rssi) != 0) return std::nullopt;
        driver.QueryLinkSpeed(lease.get(), &speed100bps);
        return LinkSample{rssi, speed100bps / 10};
    };
    probe.link = [&driver, &handle, &snapshot, sample = probe.sample]() -> std::optional<LinkFacts> {
        const ConnectionSnapshot s = snapshot.copy();
        if (!s.connectedOrAdHocStarted()) return std::nullopt;
        LinkFacts facts;
        facts.ssid = std::string(s.ssid());
        facts.bssid = MacText(s.currentBssid);
        facts.channel = static_cast<int>(s.currentChannel);
        facts.band = BandName(s.currentChannel);
        facts.adHoc = s.currentNetworkMode == 0;
        if (const auto reading = sample()) {
            facts.signalDbm = reading->signalDbm;
            facts.linkSpeedKbps = reading->linkSpeedKbps;
        }
        if (const auto buffer = ReadList(driver, handle)) {
            for (const ScanEntry entry : ScanList(*buffer))
                if (entry.macAddress() == s.currentBssid) facts.security = SecurityName(entry);
        }
        return facts;
    };
    probe.scan = [&driver, &handle] {
        std::vector<HeardNetwork> heard;
        const auto buffer = ReadList(driver, handle);
        if (!buffer) return heard;
        for (const ScanEntry entry : ScanList(*buffer)) {
            if (!entry.hasUsableSsid()) continue;
            heard.push_back({std::string(entry.ssid()), static_cast<int>(ChannelFromFrequency(entry.dsConfigKHz())),
                             entry.rssiDbm(), SecurityName(entry)});
        }
        return heard;
    };
    return probe;
}

std::function<std::unique_ptr<HistorySink>(HistoryProbe)> HistoryFactory(const std::filesystem::path& folder,
                                                                          const Settings& settings) {
    const HistorySettings chosen = ReadHistorySettings(settings);
    if (!chosen.enabled || folder.empty()) return {};
    return [folder, chosen](HistoryProbe probe) -> std::unique_ptr<HistorySink> {
        HistoryOptions options;
        options.limits = chosen.limits;
        options.sampleInterval = std::chrono::seconds(chosen.sampleSeconds);
        return std::make_unique<HistoryRecorder>(folder, std::move(options), std::move(probe));
    };
}

}  // namespace tembrel
