#include "pages/profiles/logic/NetworkPageModel.h"

#include "profiles/ProfileText.h"

namespace tembrel {

std::vector<Choice> NetworkPageModel::NetworkTypeChoices() { return {{"Infrastructure", 1}, {"Ad-Hoc", 0}}; }
std::vector<Choice> NetworkPageModel::WirelessModeChoices() { return {{"Auto", 255}, {"802.11b", 1}}; }
std::vector<Choice> NetworkPageModel::AdHocBandChoices() { return {{"802.11b", 1}, {"802.11g", 0}}; }

void NetworkPageModel::load(const PROFILE_RECORD& record) {
    name_ = std::string(GetText(record.name));
    ssid_ = std::string(GetText(record.ssid));
    networkType_ = record.networkType;
    wirelessMode_ = record.wirelessMode;
    adHocBand_ = record.adHocWirelessMode;
    channel_ = record.adHocChannel;
}

void NetworkPageModel::store(PROFILE_RECORD& record) const {
    SetText(record.name, name_);
    SetText(record.ssid, ssid_);
    record.networkType = networkType_;
    record.wirelessMode = wirelessMode_;
    record.adHocWirelessMode = adHocBand_;
    record.adHocChannel = channel_;
    record.hiddenSsid = 0;
}

void NetworkPageModel::setName(std::string_view name) { name_ = LimitBytes(name, kProfileNameBytes); }
void NetworkPageModel::setSsid(std::string_view ssid) { ssid_ = LimitBytes(ssid, kSsidBytes); }

void NetworkPageModel::chooseNetworkType(uint32_t type) {
    networkType_ = type;
    if (type == 0) {
        adHocBand_ = 0;
        channel_ = 0;
    } else {
        wirelessMode_ = 255;
    }
}

std::optional<std::string> NetworkPageModel::checkName(const ProfileSequence& records, const PROFILE_RECORD* self) const {
    if (name_.empty()) return std::string(kIllegalNameMessage);
    for (const ProfilePtr& record : records)
        if (record.get() != self && HasName(*record, name_)) return std::string(kNameExistsMessage);
    return std::nullopt;
}

}  // namespace tembrel
