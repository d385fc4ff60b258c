#pragma once
// The Advanced page's queries answered as the simulated card starts: every value at its default.

#include "tests/support/RecordingDriver.h"

namespace tembrel::testing {

inline void ScriptDefaultCard(RecordingDriver& driver) {
    driver.setOutText("QueryDeviceDesc", "Orvix LX-7700 802.11a/b/g Wireless PC Card (8335)");
    driver.setOutU32("QueryPowerMode", 0);
    driver.setOutU32("QueryTxAntenna", 2);
    driver.setOutU32("QueryRxAntenna", 0xFFFF);
    driver.setOutU32("QueryTxPower", 4);
    driver.setOutU32("QueryDataRate", 255);
    driver.setOutU32("QueryPreamble", 1);
    driver.setOutU32("QueryFragThreshold", 2346);
    driver.setOutU32("QueryRTSThreshold", 2347);
    driver.setOutU32("QueryBoostMode", 1);
    driver.setOutU32("QueryWlanMode", 0);
}

}  // namespace tembrel::testing
