#include "ContextMainPageSource.h"

#include "adapter/Adapter.h"
#include "pages/monitoring/CMainPage.h"
#include "platform/Settings.h"
#include "ui/logic/ResponsiveWait.h"

#include <chrono>

namespace tembrel {

bool ContextMainPageSource::hasAdapter() const { return context_.handle().held(); }
bool ContextMainPageSource::radioOn() const { return context_.radioState() != ZARN9100_RADIO_OFF; }
bool ContextMainPageSource::monitorMode() const { return context_.monitorMode(); }
bool ContextMainPageSource::stopping() const { return context_.stopping().set(); }
void ContextMainPageSource::setStopping(bool stopping) {
    if (stopping && !hold_)
        hold_.emplace(context_.stopping());
    else if (!stopping)
        hold_.reset();
}

monitoring::LinkFacts ContextMainPageSource::linkFacts() const {
    return monitoring::LinkFactsOf(context_.snapshot());
}

uint32_t ContextMainPageSource::encryptionStatus() { return context_.encryptionStatus(); }

uint32_t ContextMainPageSource::refreshRatePS() const {
    return static_cast<uint32_t>(context_.settings().read(settings::kRefreshRatePS));
}

int ContextMainPageSource::osFamily() const { return context_.osFamily(); }

std::vector<monitoring::ProfilePtr> ContextMainPageSource::profiles() const { return context_.profiles().Snapshot(); }
monitoring::ProfilePtr ContextMainPageSource::profileInUse() const { return context_.connector().profileInUse(); }
void ContextMainPageSource::setProfileInUse(const monitoring::ProfilePtr& profile) {
    context_.connector().SetProfileInUse(profile);
}
int ContextMainPageSource::connectProfile(const monitoring::ProfilePtr& profile) {
    // The page is busy meanwhile (MainPageModel::chooseProfile).
    return ui::RunWhileResponsive([&] { return context_.connector().ConnectProfile(profile, CMainPage::kCaption); });
}

std::optional<int32_t> ContextMainPageSource::queryRssi() {
    auto lease = context_.handle().lease();
    int32_t rssi = 0;
    if (!lease || context_.library().QueryRssi(lease.get(), &rssi) != 0) return std::nullopt;
    return rssi;
}

std::optional<uint32_t> ContextMainPageSource::queryLinkSpeed() {
    auto lease = context_.handle().lease();
    uint32_t speed = 0;
    if (!lease || context_.library().QueryLinkSpeed(lease.get(), &speed) != 0) return std::nullopt;
    return speed;
}

std::optional<MacAddress> ContextMainPageSource::macAddress() {
    return context_.macAddress();
}

bool ContextMainPageSource::queryDhcp9x() {
    auto lease = context_.handle().lease();
    return lease && context_.library().QueryDhcp9x(lease.get()) != 0;
}

uint32_t ContextMainPageSource::tickCountMs() const {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace tembrel
