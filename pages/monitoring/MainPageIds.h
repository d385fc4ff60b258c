#pragma once
// Control ids of the Network Status page (each widget carries its id, see ui/ControlId.h).

namespace tembrel::monitoring::ids {

inline constexpr int kPage = 102;
inline constexpr int kProfileCombo = 1101;
inline constexpr int kSignalBar = 1102;
inline constexpr int kLinkIcon = 1103;
inline constexpr int kStatus = 1104;
inline constexpr int kSsid = 1105;
inline constexpr int kNetworkType = 1106;
inline constexpr int kBssid = 1107;
inline constexpr int kSecurity = 1108;
inline constexpr int kLinkSpeed = 1109;
inline constexpr int kDhcp = 1110;
inline constexpr int kIpAddress = 1111;
inline constexpr int kSubnetMask = 1112;
inline constexpr int kDefaultGateway = 1113;
inline constexpr int kChannelGroup = 1114;
inline constexpr int kTxRate = 1115;
inline constexpr int kRxRate = 1116;
inline constexpr int kTxTopLabel = 1117;
inline constexpr int kTxMiddleLabel = 1118;
inline constexpr int kTxBottomLabel = 1119;
inline constexpr int kRxTopLabel = 1120;
inline constexpr int kRxMiddleLabel = 1121;
inline constexpr int kRxBottomLabel = 1122;
inline constexpr int kRenewLease = 1123;
inline constexpr int kProperties = 1124;
inline constexpr int kTxGraph = 5001;
inline constexpr int kRxGraph = 5002;

inline constexpr int kTimerId = 4096;
inline constexpr int kTimerPeriodMs = 1000;

}  // namespace tembrel::monitoring::ids
