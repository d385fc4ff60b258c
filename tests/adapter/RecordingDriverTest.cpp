#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

using tembrel::testing::RecordingDriver;

TEST(RecordingDriver, RecordsCallsWithFormattedArguments) {
    RecordingDriver d;
    ZARN9100_HANDLE h = nullptr;
    d.OpenAdapter(&h);
    ASSERT_NE(h, nullptr);
    const uint8_t key[5] = {1, 2, 3, 4, 0xab};
    d.SetWepKey(h, 2, key, 5, 1);
    d.SetWPAInformation(h, 1, 4, 4, "secret123", "Home");
    d.WPAPortDown();
    _ZARN9100_BSSID_SCAN scan{};
    scan.Bssid[0] = 0xff;
    d.BssidScan(h, &scan);
    EXPECT_EQ(d.callTexts(), (std::vector<std::string>{
                                 "OpenAdapter(&h)",
                                 "SetWepKey(h, 2, 01020304ab, 5, 1)",
                                 "SetWPAInformation(h, 1, 4, 4, \"secret123\", \"Home\")",
                                 "WPAPortDown()",
                                 "BssidScan(h, ff00000000000000000000000000000000000000)",
                             }));
}

TEST(RecordingDriver, ScriptedResultsAndOutValuesAreBounded) {
    RecordingDriver d;
    ZARN9100_HANDLE h = d.adapterHandle();
    d.setResult("GetConnectStatus", 1);
    d.pushResult("SetSsid", 4);
    d.setOutU32("QueryRadioControl", 2);
    d.setOutText("QuerySsid", "a-very-long-network-name");
    EXPECT_EQ(d.GetConnectStatus(h), 1);
    EXPECT_EQ(d.SetSsid(h, "x", 1, 0), 4);
    EXPECT_EQ(d.SetSsid(h, "x", 1, 0), 0);
    uint32_t radio = 7;
    d.QueryRadioControl(h, &radio);
    EXPECT_EQ(radio, 2u);
    char small[6] = {'?', '?', '?', '?', '?', '?'};
    d.QuerySsid(h, small, 5);
    EXPECT_STREQ(small, "a-ve");
    EXPECT_EQ(small[5], '?');  // nothing written past the capacity
}

TEST(RecordingDriver, OpenWithoutCardLeavesHandleNull) {
    RecordingDriver d;
    d.setAdapterHandle(nullptr);
    ZARN9100_HANDLE h = reinterpret_cast<ZARN9100_HANDLE>(0x1);
    d.OpenAdapter(&h);
    EXPECT_EQ(h, nullptr);
}
