#pragma once
// The Auto Link dialog's calls to the card, each sequence under one lease of the handle (none
// of them waits for anything). Every sequence does nothing without a card.

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "pages/autolink/logic/FastJoinRecords.h"
#include "platform/IpHelper.h"
#include "profiles/ProfileRecord.h"

#include <optional>
#include <string>
#include <string_view>

namespace tembrel::autolink {

enum class AssociateResult { kStarted, kRefused, kNoCard };

// SetAuthMode, SetFswCCXNetworkEap(0), SetWepStatus, SetWPAInformation, SetWlanMode,
// SetNetworkMode, SetSsid. Refused: SetSsid failed and the card is not connected.
AssociateResult AssociateWith(DriverLibrary& driver, const AdapterHandle& handle, const PROFILE_RECORD& profile);

// WPAPortDown, then SetSsid with 32 bytes of 0x01 (a name no network has).
void DisconnectCard(DriverLibrary& driver, const AdapterHandle& handle);

// The card's MAC address from the library, its interface from the IP helper: DHCP (from the
// library on operating-system family 3) and the first address. What cannot be read stays as it was.
void ReadCardIpSettings(DriverLibrary& driver, const AdapterHandle& handle, const IpHelper& ipHelper, int osFamily,
                        CardIpSettings& settings);

// The security info, then the setup request. False without a card.
bool SendSetupRecords(DriverLibrary& driver, const AdapterHandle& handle, uint32_t apTag, std::string_view pin,
                      const CardIpSettings& ip);

// The SSID the access point reported after a successful exchange; none when it gave no usable one.
std::optional<std::string> QueryLearntSsid(DriverLibrary& driver, const AdapterHandle& handle);

}  // namespace tembrel::autolink
