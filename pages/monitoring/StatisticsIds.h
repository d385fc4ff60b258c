#pragma once
// Control ids of the statistics page, both layouts (each widget carries its id, see ui/ControlId.h).

namespace tembrel::monitoring::ids {

inline constexpr int kTransmitTable = 1301;
inline constexpr int kReceiveTable = 1302;
inline constexpr int kRssiTable = 1303;
inline constexpr int kStatisticsSignalBar = 1304;
inline constexpr int kStatisticsLinkIcon = 1305;
inline constexpr int kReset = 1306;

}  // namespace tembrel::monitoring::ids
