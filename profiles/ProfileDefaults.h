#pragma once
// Special names and values of profile records, and the records the program builds itself.

#include <cstdint>
#include <memory>
#include <string_view>

#include "profiles/ProfileRecord.h"

#include <TembrelCodes.h>

namespace tembrel {

using ProfilePtr = std::shared_ptr<PROFILE_RECORD>;

inline constexpr std::string_view kDefaultProfileName = "<Default>";
inline constexpr std::string_view kSiteSurveyProfileName = "<Site Survey>";
inline constexpr std::string_view kAnySsid = "<ANY SSID>";

inline constexpr uint32_t kWirelessModeAny = 255;
inline constexpr uint32_t kTxRateAuto = 255;
inline constexpr uint32_t kPreambleAuto = 1;
inline constexpr uint32_t kDefaultFragThreshold = 2346;
inline constexpr uint32_t kDefaultRtsThreshold = 2347;

// A record with every byte zero, as every new record starts.
PROFILE_RECORD MakeEmptyProfile();
ProfilePtr NewEmptyProfile();
ProfilePtr NewProfileCopy(const PROFILE_RECORD& record);

// The built-in "<Default>" profile: joins any open network, adapter settings kept, in the prefer list.
PROFILE_RECORD MakeDefaultProfile();
ProfilePtr NewDefaultProfile();

bool IsDefaultProfile(const PROFILE_RECORD& record);
bool IsSiteSurveyProfile(const PROFILE_RECORD& record);
// "<Default>" and "<Site Survey>" stay out of export files.
bool IsBuiltInProfile(const PROFILE_RECORD& record);

}  // namespace tembrel
