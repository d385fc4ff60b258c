#include "SheetMainPageSource.h"

#include "app/CZarn9100Sheet.h"
#include "platform/Settings.h"

#include <chrono>

namespace tembrel {

bool SheetMainPageSource::hasAdapter() const { return sheet_.adapter().handle().held(); }
bool SheetMainPageSource::radioOn() const { return sheet_.adapter().radioState != kRadioOff; }
bool SheetMainPageSource::monitorMode() const { return sheet_.isMonitorMode(); }
bool SheetMainPageSource::stopping() const { return sheet_.adapter().stopping != 0; }
void SheetMainPageSource::setStopping(bool stopping) { sheet_.adapter().stopping = stopping ? 1 : 0; }

monitoring::LinkFacts SheetMainPageSource::linkFacts() const {
    const ConnectionSnapshot s = sheet_.snapshot();
    monitoring::LinkFacts facts;
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

uint32_t SheetMainPageSource::encryptionStatus() { return sheet_.EncryptionStatus(); }

uint32_t SheetMainPageSource::refreshRatePS() const {
    return static_cast<uint32_t>(sheet_.settings().read(settings::kRefreshRatePS));
}

int SheetMainPageSource::osFamily() const { return sheet_.osFamily(); }

std::vector<monitoring::ProfilePtr> SheetMainPageSource::profiles() const { return sheet_.profiles().Snapshot(); }
monitoring::ProfilePtr SheetMainPageSource::profileInUse() const { return sheet_.connector().profileInUse(); }
void SheetMainPageSource::setProfileInUse(const monitoring::ProfilePtr& profile) {
    sheet_.connector().SetProfileInUse(profile);
}
int SheetMainPageSource::connectProfile(const monitoring::ProfilePtr& profile) {
    return sheet_.connector().ConnectProfile(profile);
}

std::optional<int32_t> SheetMainPageSource::queryRssi() {
    auto lease = sheet_.adapter().handle().lease();
    int32_t rssi = 0;
    if (!lease || sheet_.library().QueryRssi(lease.get(), &rssi) != 0) return std::nullopt;
    return rssi;
}

std::optional<uint32_t> SheetMainPageSource::queryLinkSpeed() {
    auto lease = sheet_.adapter().handle().lease();
    uint32_t speed = 0;
    if (!lease || sheet_.library().QueryLinkSpeed(lease.get(), &speed) != 0) return std::nullopt;
    return speed;
}

std::optional<MacAddress> SheetMainPageSource::macAddress() {
    if (!hasAdapter()) return std::nullopt;
    return sheet_.adapter().macAddress();
}

bool SheetMainPageSource::queryDhcp9x() {
    auto lease = sheet_.adapter().handle().lease();
    return lease && sheet_.library().QueryDhcp9x(lease.get()) != 0;
}

uint32_t SheetMainPageSource::tickCountMs() const {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace tembrel
