#pragma once
// Sheet and card as plain fields, for the Network Status page's tests.

#include "pages/monitoring/logic/MainPageSource.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace tembrel::monitoring {

inline ProfilePtr makeProfile(const std::string& name, const std::string& ssid, uint32_t networkType) {
    auto profile = std::make_shared<PROFILE_RECORD>();
    std::memset(profile.get(), 0, sizeof(PROFILE_RECORD));
    std::strncpy(profile->name, name.c_str(), sizeof profile->name - 1);
    std::strncpy(profile->ssid, ssid.c_str(), sizeof profile->ssid - 1);
    profile->networkType = networkType;
    return profile;
}

class FakeMainPageSource : public MainPageSource {
public:
    bool adapter = true;
    bool radio = true;
    bool monitor = false;
    bool stoppingFlag = false;
    LinkFacts facts;
    uint32_t encryption = 1;
    uint32_t refreshRate = 0;
    int family = 1;
    std::vector<ProfilePtr> list;
    ProfilePtr inUse;
    std::optional<int32_t> rssi;
    std::optional<uint32_t> linkSpeed;
    std::optional<MacAddress> mac;
    bool dhcp9x = false;
    uint32_t tick = 1000;
    int connectResult = 0;

    std::vector<ProfilePtr> connected;
    std::vector<bool> stoppingDuringConnect;
    std::vector<ProfilePtr> adopted;

    bool hasAdapter() const override { return adapter; }
    bool radioOn() const override { return radio; }
    bool monitorMode() const override { return monitor; }
    bool stopping() const override { return stoppingFlag; }
    void setStopping(bool value) override { stoppingFlag = value; }
    LinkFacts linkFacts() const override { return facts; }
    uint32_t encryptionStatus() override { return encryption; }
    uint32_t refreshRatePS() const override { return refreshRate; }
    int osFamily() const override { return family; }
    std::vector<ProfilePtr> profiles() const override { return list; }
    ProfilePtr profileInUse() const override { return inUse; }
    void setProfileInUse(const ProfilePtr& profile) override {
        adopted.push_back(profile);
        inUse = profile;
    }
    int connectProfile(const ProfilePtr& profile) override {
        connected.push_back(profile);
        stoppingDuringConnect.push_back(stoppingFlag);
        return connectResult;
    }
    std::optional<int32_t> queryRssi() override { return rssi; }
    std::optional<uint32_t> queryLinkSpeed() override { return linkSpeed; }
    std::optional<MacAddress> macAddress() override { return mac; }
    bool queryDhcp9x() override { return dhcp9x; }
    uint32_t tickCountMs() const override { return tick; }

    // An infrastructure link on channel 6, band g.
    void connectInfrastructure() {
        facts.connected = true;
        facts.adHocStarted = false;
        facts.ssid = "HomeNet";
        facts.bssid = {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC};
        facts.networkType = 1;
        facts.channel = 6;
        facts.frequencyMHz = 2437;
        facts.wirelessMode = 0;
    }
};

class RecordingOutput : public MainPageOutput {
public:
    std::vector<std::pair<Graph, uint32_t>> ranges;  // high ends of SetRange(1, high)
    std::vector<std::pair<Graph, uint32_t>> values;
    std::vector<bool> busyCalls;

    void graphSetRange(Graph graph, uint32_t, uint32_t high) override { ranges.emplace_back(graph, high); }
    void graphAddValue(Graph graph, uint32_t value) override { values.emplace_back(graph, value); }
    void setBusyUi(bool busy) override { busyCalls.push_back(busy); }
    void graphsStep(int count) override { steps.push_back(count); }
    std::vector<int> steps;
};

}  // namespace tembrel::monitoring
