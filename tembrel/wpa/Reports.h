#pragma once
// wpa_supplicant's key=value replies (BSS, STATUS, SIGNAL_POLL) and their translation into
// the library's records: scan entries on the fixed layout with the elements as reported.

#include "tembrel/common/CollectedSecurity.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tembrel::wpa {

using abi::LinkSecurity;
using Report = std::map<std::string, std::string>;

// One "key=value" per line; lines without '=' are ignored, the first '=' splits.
Report ParseReport(const std::string& reply);
// Hex digits to bytes; empty on odd length or a non-hex digit.
std::optional<std::vector<uint8_t>> ParseHex(const std::string& hex);
// A decimal or 0x-hexadecimal number; empty when malformed or out of range.
std::optional<long long> ParseNumber(const std::string& text);

// Undoes wpa_supplicant's escaping of texts such as STATUS's ssid (\\, \", \e, \n, \r, \t,
// \xHH); a broken escape is kept as it stands.
std::string PrintfDecode(const std::string& text);

// One scan entry from a BSS report with its bssid, freq, level and ie fields; empty when the
// report lacks them or they are malformed. The SSID comes from the SSID element (empty for a
// hidden network), the supported rates from the rates elements.
std::optional<std::vector<uint8_t>> BuildScanEntry(const Report& bss);

// The security of a complete link as the supplicant reports it (STATUS's key_mgmt and
// pairwise_cipher), in the values of SetAuthMode and SetWepStatus; a field is empty when the
// report does not settle it (open, shared or automatic WEP authentication look alike).
LinkSecurity LinkSecurityOf(const Report& status);

}  // namespace tembrel::wpa
