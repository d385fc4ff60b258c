#pragma once
// The Network Status page without its window: link texts, signal, link speed, throughput,
// TCP/IP settings and the profile combo box, driven by the sheet's notifications and a
// one-second timer that the window runs while the model says so.

#include "pages/monitoring/logic/LinkSamples.h"
#include "pages/monitoring/logic/MainPageSource.h"
#include "pages/monitoring/logic/MonitorFormat.h"
#include "pages/monitoring/logic/Throughput.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembrel::monitoring {

// Link icon resources.
inline constexpr int kIconNoLink = 136;
inline constexpr int kIconBandG = 140;
inline constexpr int kIconBandB = 157;
inline constexpr int kIconBandA = 160;

inline constexpr std::string_view kStatusConnected = "Connected";

struct MainPageView {
    std::string status;
    std::string ssid;
    std::string networkType;
    std::string bssid;
    std::string security;
    std::string linkSpeed;
    std::string dhcp;
    std::string ipAddress;
    std::string subnetMask;
    std::string defaultGateway;
    std::string channelCaption{kChannelPerformance};
    std::string txRate;
    std::string rxRate;
    ScaleLabels txLabels = initialScaleLabels();
    ScaleLabels rxLabels = initialScaleLabels();
    int signalBar = 0;  // 0 to 40
    int linkIcon = kIconNoLink;
    std::vector<ProfilePtr> profiles;  // the combo box's items
    bool profilesEnabled = true;
    ProfilePtr selectedProfile;        // null = no selection
};

class MainPageModel {
public:
    MainPageModel(MainPageSource& source, const IpHelper& ipHelper, MainPageOutput& output);

    const MainPageView& view() const { return view_; }
    bool busy() const { return busy_; }
    bool timerRunning() const { return timerRunning_; }

    // Page shown: samples cleared, combo filled, link refreshed, timer started, one update.
    void activate();
    // Page left: the timer stops.
    void deactivate();
    // usable = card present and radio on; periodic updates pause while it is not.
    void onAdapterState(bool usable);
    // A notification forwarded by the sheet; text is the status text of codes 1003 and 1012.
    void notify(uint32_t code, std::string_view text = {});
    void refreshLink();
    void fillProfiles();
    // The one-second timer: the page's values, then one step of both graphs (or as many as
    // seconds went by since the last step).
    void periodicUpdate();
    // The user picked a combo item.
    void chooseProfile(const ProfilePtr& profile);

private:
    // More steps than any graph keeps would only scroll out of sight again.
    static constexpr int64_t kMaxGraphCatchUpSteps = 1024;
    void updateValues();
    void stepGraphs(bool activation);
    void clearLinkTexts();
    void clearTcpIpTexts();
    void resetDisplay();
    void selectProfileForLink(const LinkFacts& facts);
    void updateSignal();
    void updateLinkSpeed();
    void updateThroughput(const std::optional<AdapterAddressInfo>& adapter, const std::optional<MacAddress>& mac);
    void updateTcpIp(const std::optional<AdapterAddressInfo>& adapter);
    void showRates(const Rates& rates);

    MainPageSource& source_;
    const IpHelper& ipHelper_;
    MainPageOutput& output_;
    MainPageView view_;
    bool busy_ = false;
    bool timerRunning_ = false;
    // The card's last status text (a refused join says why): it stays the status, over later
    // "No Connection" refreshes and scanning texts, until a link comes up, the card or radio
    // goes, or the user picks a profile.
    std::string keptStatus_;
    std::optional<uint32_t> lastGraphStepMs_;
    SignalAverager signal_;
    LinkSpeedRing linkSpeed_;
    ThroughputMeter meter_;
    ThroughputHistory history_;
    GraphScale txScale_;
    GraphScale rxScale_;
};

// A fixed-size text field of a profile record, up to its first NUL.
std::string recordText(const char* field, size_t capacity);

}  // namespace tembrel::monitoring
