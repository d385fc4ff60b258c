#include "pages/monitoring/logic/MainPageModel.h"
#include "connection/EventCodes.h"
#include "profiles/ProfileDefaults.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tembrel::monitoring {
namespace {

constexpr int kOsFamilyDhcpFromCard = 3;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string ssidOf(const PROFILE_RECORD& profile) {
    return recordText(profile.ssid, sizeof profile.ssid);
}

bool matchesLink(const PROFILE_RECORD& profile, const LinkFacts& facts) {
    return ssidOf(profile) == facts.ssid && profile.networkType == facts.networkType;
}

int iconForBand(uint32_t wirelessMode) {
    switch (wirelessMode) {
    case 1:
        return kIconBandB;
    case 2:
        return kIconBandA;
    default:
        return kIconBandG;
    }
}

}  // namespace

std::string recordText(const char* field, size_t capacity) {
    return std::string(field, strnlen(field, capacity));
}

MainPageModel::MainPageModel(MainPageSource& source, const IpHelper& ipHelper, MainPageOutput& output)
    : source_(source), ipHelper_(ipHelper), output_(output), linkSpeed_(source.refreshRatePS()) {}

void MainPageModel::activate() {
    signal_.reset();
    linkSpeed_.reset();
    linkSpeed_.setRefreshRatePS(source_.refreshRatePS());
    fillProfiles();
    refreshLink();
    timerRunning_ = true;
    updateValues();
    stepGraphs(true);
}

void MainPageModel::deactivate() {
    timerRunning_ = false;
}

void MainPageModel::onAdapterState(bool usable) {
    busy_ = !usable;
}

void MainPageModel::notify(uint32_t code, std::string_view text) {
    switch (code) {
    case ZARN9100_EVENT_LINK_DOWN:
    case ZARN9100_EVENT_LINK_UP:
    case ZARN9100_EVENT_ADHOC_LINK_UP:
    case ZARN9100_EVENT_LINK_LOST:
    case kEventPreferWalkDone:
        refreshLink();
        break;
    case ZARN9100_EVENT_ASSOCIATION_REFUSED:
        if (!source_.stopping()) {
            refreshLink();
        }
        break;
    case kEventAdapterOpened:
        fillProfiles();
        refreshLink();
        break;
    case kEventScanningText:
        clearLinkTexts();
        view_.status = keptStatus_.empty() ? std::string(text) : keptStatus_;
        break;
    case ZARN9100_EVENT_STATUS_TEXT:
        if (!source_.monitorMode()) {
            keptStatus_ = std::string(text);
            view_.status = keptStatus_;
        }
        break;
    default:
        break;
    }
}

void MainPageModel::clearLinkTexts() {
    view_.status.clear();
    view_.ssid.clear();
    view_.networkType.clear();
    view_.bssid.clear();
    view_.security.clear();
    view_.linkSpeed.clear();
    view_.channelCaption = std::string(kChannelPerformance);
}

void MainPageModel::clearTcpIpTexts() {
    view_.dhcp.clear();
    view_.ipAddress.clear();
    view_.subnetMask.clear();
    view_.defaultGateway.clear();
}

void MainPageModel::resetDisplay() {
    signal_.reset();
    linkSpeed_.reset();
    view_.signalBar = 0;
    view_.selectedProfile.reset();
    view_.linkIcon = kIconNoLink;
}

void MainPageModel::refreshLink() {
    clearLinkTexts();
    clearTcpIpTexts();
    if (!source_.hasAdapter()) {
        keptStatus_.clear();
        view_.status = "Card Unplugged";
        resetDisplay();
        return;
    }
    if (!source_.radioOn()) {
        keptStatus_.clear();
        view_.status = "No Radio";
        resetDisplay();
        return;
    }
    const LinkFacts facts = source_.linkFacts();
    if (!facts.connected && !facts.adHocStarted) {
        view_.status = keptStatus_.empty() ? "No Connection" : keptStatus_;
        resetDisplay();
        return;
    }
    keptStatus_.clear();
    view_.ssid = facts.ssid;
    view_.bssid = bssidText(facts.bssid);
    view_.networkType = networkTypeText(facts.networkType);
    view_.security = securityText(source_.encryptionStatus());
    // A link the card cannot name a channel for (a wired port, a link made elsewhere) shows none.
    if (facts.channel != 0) view_.channelCaption = channelCaption(facts.channel, facts.frequencyMHz);
    view_.linkIcon = iconForBand(facts.wirelessMode);
    selectProfileForLink(facts);
    view_.status = facts.networkType != ZARN9100_NETWORK_ADHOC || facts.connected ? std::string(kStatusConnected) : "Waiting for peer...";
    busy_ = false;
    if (timerRunning_) {
        periodicUpdate();
    }
}

void MainPageModel::selectProfileForLink(const LinkFacts& facts) {
    view_.selectedProfile.reset();
    const ProfilePtr inUse = source_.profileInUse();
    const auto& items = view_.profiles;
    if (inUse && std::find(items.begin(), items.end(), inUse) != items.end() &&
        (ssidOf(*inUse) == kAnySsid || matchesLink(*inUse, facts))) {
        view_.selectedProfile = inUse;
        return;
    }
    for (const auto& item : items) {
        if (!item) {
            continue;
        }
        const std::string ssid = ssidOf(*item);
        if ((item == inUse && ssid == kAnySsid) || equalsIgnoringCase(ssid, "any") || matchesLink(*item, facts)) {
            view_.selectedProfile = item;
            source_.setProfileInUse(item);
            return;
        }
    }
}

void MainPageModel::fillProfiles() {
    view_.profiles.clear();
    view_.selectedProfile.reset();
    if (source_.monitorMode()) {
        view_.profilesEnabled = false;
        return;
    }
    view_.profilesEnabled = true;
    view_.profiles = source_.profiles();
}

void MainPageModel::periodicUpdate() {
    updateValues();
    stepGraphs(false);
}

void MainPageModel::stepGraphs(bool activation) {
    // The graphs keep one step a second for as long as the window exists: after a time off
    // screen they take the missed steps at once, plotting the average measured over that time.
    const uint32_t now = source_.tickCountMs();
    int64_t steps = 1;
    if (lastGraphStepMs_) {
        steps = (static_cast<uint32_t>(now - *lastGraphStepMs_) + 500u) / 1000u;
        if (steps == 0 && activation) return;  // shown again within the same second
        steps = std::clamp<int64_t>(steps, 1, kMaxGraphCatchUpSteps);
    }
    lastGraphStepMs_ = now;
    output_.graphsStep(static_cast<int>(steps));
}

void MainPageModel::updateValues() {
    if (busy_) {
        return;
    }
    if (view_.status != kStatusConnected) {
        view_.txRate = std::string(kTxRatePrefix);
        view_.rxRate = std::string(kRxRatePrefix);
        output_.graphAddValue(Graph::Transmit, 1);
        output_.graphAddValue(Graph::Receive, 1);
        view_.signalBar = 0;
        meter_.clearBaseline();
        return;
    }
    if (!source_.hasAdapter()) {
        return;
    }
    updateSignal();
    updateLinkSpeed();
    const auto mac = source_.macAddress();
    const auto adapter = mac ? ipHelper_.findAdapter(*mac) : std::nullopt;
    updateThroughput(adapter, mac);
    updateTcpIp(adapter);
    view_.security = securityText(source_.encryptionStatus());
}

void MainPageModel::updateSignal() {
    if (const auto rssi = source_.queryRssi()) {
        signal_.add(*rssi);
    }
    view_.signalBar = signalBarPosition(signal_.level());
}

void MainPageModel::updateLinkSpeed() {
    // The card's fastest rate is 108 Mbps (54 Mbps doubled in boost mode): a reading above it is
    // a driver's nonsense, neither shown nor kept as the peak.
    constexpr uint32_t kMaxLinkSpeed100bps = 1'080'000;
    if (const auto speed = source_.queryLinkSpeed(); speed && *speed <= kMaxLinkSpeed100bps) {
        view_.linkSpeed = formatLinkSpeed(linkSpeed_.add(*speed));
    }
}

void MainPageModel::updateThroughput(const std::optional<AdapterAddressInfo>& adapter,
                                     const std::optional<MacAddress>& mac) {
    if (!adapter || !mac) {
        return;
    }
    const auto row = ipHelper_.readCounters(adapter->interfaceIndex);
    if (!row || row->type != kInterfaceTypeEthernet || row->physicalAddressLength != 6 ||
        row->physicalAddress != *mac) {
        return;
    }
    const auto rates = meter_.measure(source_.tickCountMs(), row->outOctets, row->inOctets);
    if (!rates) {
        return;
    }
    const Rates peak = history_.record(*rates);
    if (const auto change = txScale_.update(peak.tx)) {
        output_.graphSetRange(Graph::Transmit, 1, change->fullScale);
        view_.txLabels = change->labels;
    }
    if (const auto change = rxScale_.update(peak.rx)) {
        output_.graphSetRange(Graph::Receive, 1, change->fullScale);
        view_.rxLabels = change->labels;
    }
    showRates(*rates);
}

void MainPageModel::showRates(const Rates& rates) {
    view_.txRate = formatRate(kTxRatePrefix, rates.tx);
    view_.rxRate = formatRate(kRxRatePrefix, rates.rx);
    output_.graphAddValue(Graph::Transmit, std::max<uint32_t>(rates.tx, 1));
    output_.graphAddValue(Graph::Receive, std::max<uint32_t>(rates.rx, 1));
}

void MainPageModel::updateTcpIp(const std::optional<AdapterAddressInfo>& adapter) {
    clearTcpIpTexts();
    if (!adapter) {
        return;
    }
    const bool dhcp = source_.osFamily() == kOsFamilyDhcpFromCard ? source_.queryDhcp9x() : adapter->dhcpEnabled;
    view_.dhcp = dhcp ? "Enable" : "Disable";
    view_.ipAddress = dottedQuad(adapter->ipAddress);
    view_.subnetMask = dottedQuad(adapter->subnetMask);
    view_.defaultGateway = dottedQuad(adapter->defaultGateway);
}

void MainPageModel::chooseProfile(const ProfilePtr& profile) {
    if (!profile || !source_.hasAdapter()) {
        return;
    }
    clearLinkTexts();
    keptStatus_.clear();  // the user acts: what the last attempt said is answered
    view_.status = recordText(profile->name, sizeof profile->name) == kDefaultProfileName
                       ? "Scan for AP with strongest RSSI"
                       : "Scanning for " + ssidOf(*profile);
    busy_ = true;
    source_.setStopping(true);
    output_.setBusyUi(true);
    const int result = source_.connectProfile(profile);
    if (result == 0 || result == 4) {
        fillProfiles();
    }
    output_.setBusyUi(false);
    source_.setStopping(false);
    busy_ = false;
}

}  // namespace tembrel::monitoring
