#pragma once
// The Network Info page's values and rules without its window. Values change only through the
// user's actions (the choose/set calls), so a value that the lists cannot show (a wireless mode,
// band, channel or network type set by the site survey or an imported file) is stored back
// unchanged unless the user picked another entry of that list.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/profiles/logic/ProfileInputRules.h"
#include "profiles/ProfileList.h"

namespace tembrel {

class NetworkPageModel {
public:
    static std::vector<Choice> NetworkTypeChoices();   // "Infrastructure" 1, "Ad-Hoc" 0
    static std::vector<Choice> WirelessModeChoices();  // "Auto" 255, "802.11b" 1
    static std::vector<Choice> AdHocBandChoices();     // "802.11b" 1, "802.11g" 0

    void load(const PROFILE_RECORD& record);
    // name, ssid, networkType, wirelessMode, adHocWirelessMode, adHocChannel, hiddenSsid (0).
    void store(PROFILE_RECORD& record) const;

    const std::string& name() const { return name_; }
    const std::string& ssid() const { return ssid_; }
    uint32_t networkType() const { return networkType_; }
    uint32_t wirelessMode() const { return wirelessMode_; }
    uint8_t adHocBand() const { return adHocBand_; }
    int32_t channel() const { return channel_; }
    bool adHoc() const { return networkType_ == 0; }
    // The wizard's `band`: the infrastructure mode, or the ad-hoc band.
    uint32_t band() const { return adHoc() ? adHocBand_ : wirelessMode_; }

    // Texts are cut to the field's bytes (39 for the name, 32 for the SSID).
    void setName(std::string_view name);
    void setSsid(std::string_view ssid);
    // Infrastructure resets the wireless mode to "Auto"; Ad-Hoc resets band ("802.11g") and channel.
    void chooseNetworkType(uint32_t type);
    void chooseWirelessMode(uint32_t mode) { wirelessMode_ = mode; }
    void chooseAdHocBand(uint8_t band) { adHocBand_ = band; }
    void chooseChannel(int32_t channel) { channel_ = channel; }

    // The name check: empty, or equal to the name of a record of `records` other than `self`.
    std::optional<std::string> checkName(const ProfileSequence& records, const PROFILE_RECORD* self) const;

private:
    std::string name_;
    std::string ssid_;
    uint32_t networkType_ = 1;
    uint32_t wirelessMode_ = 255;
    uint8_t adHocBand_ = 0;
    int32_t channel_ = 0;
};

inline constexpr const char* kIllegalNameMessage = "You have entered an illegal profile name.";
inline constexpr const char* kNameExistsMessage = "Profile name already exists! Please enter a new one!";

}  // namespace tembrel
