#pragma once
// Control ids of the Advanced page (each widget carries its id, see ui/ControlId.h).

namespace tembrel::advanced::ids {

inline constexpr int kDescription = 1401;
inline constexpr int kPowerSave = 1402;
inline constexpr int kPreamble = 1403;
inline constexpr int kRxAntenna = 1404;
inline constexpr int kTxAntenna = 1405;
inline constexpr int kTxPower = 1406;
inline constexpr int kTxRate = 1407;
inline constexpr int kFragThreshold = 1408;
inline constexpr int kFragSpin = 1409;
inline constexpr int kRtsThreshold = 1410;
inline constexpr int kRtsSpin = 1411;
inline constexpr int kApply = 1412;
inline constexpr int kDefault = 1413;
inline constexpr int kAutoConnect = 1414;
inline constexpr int kAutoLink = 1415;
inline constexpr int kBoostMode = 1416;
inline constexpr int kTcpIpUseProfile = 1417;

}  // namespace tembrel::advanced::ids
