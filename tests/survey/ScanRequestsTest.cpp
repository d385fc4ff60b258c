#include "survey/ScanRequests.h"
#include "tests/support/Hex.h"
#include "tests/support/RecordingDriver.h"
#include "tests/support/ScanBufferBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tembrel {
namespace {

using testing::BuildScanBuffer;
using testing::RecordingDriver;

std::string Hex(const void* data, size_t n) { return testing::HexBytes(data, n); }

TEST(ScanRequests, SsidRequestIsZeroFilledAndBounded) {
    const auto request = MakeSsidScanRequest("home", AllChannels());
    EXPECT_EQ(Hex(&request, sizeof request),
              "04000000" "686f6d65" + std::string(56, '0') + "0102030405060708090a0b0c0d0e" "0000");
    const auto longRequest = MakeSsidScanRequest(std::string(40, 'x'), ScanChannels{});
    EXPECT_EQ(longRequest.SsidLength, 32u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(longRequest.Ssid), 32), std::string(32, 'x'));
}

struct FilterCase {
    const char* name;
    SurveyFilter filter;
    std::string request;  // the call after QueryNetworkMode and SetNetworkMode
};

SurveyFilter Filter(bool anySsid, bool anyBssid, bool allChannels) {
    SurveyFilter f;
    f.anySsid = anySsid;
    f.anyBssid = anyBssid;
    f.allChannels = allChannels;
    f.ssid = "lab";
    f.bssid = {0x00, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E};
    f.channels = {3, 4, 5};
    return f;
}

const std::string kChannels345 = "030405" + std::string(22, '0');
const std::string kLabSsid = "03000000" "6c6162" + std::string(58, '0');

class RefreshScanRequest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(RefreshScanRequest, ReadsAndWritesBackTheModeThenRequests) {
    RecordingDriver driver;
    driver.setOutU32("QueryNetworkMode", 0);
    // The request's own refusal comes back; a card that cannot scan is told apart by it.
    const std::string request = GetParam().request;
    driver.setResult(request.substr(0, request.find('(')), ZARN9100_RESULT_NOT_AVAILABLE);
    EXPECT_EQ(RequestSurveyScan(driver, driver.adapterHandle(), GetParam().filter), ZARN9100_RESULT_NOT_AVAILABLE);
    EXPECT_EQ(driver.callTexts(), (std::vector<std::string>{"QueryNetworkMode(h, out)", "SetNetworkMode(h, 0)",
                                                            request}));
}

INSTANTIATE_TEST_SUITE_P(
    Filters, RefreshScanRequest,
    ::testing::Values(
        FilterCase{"OpenFilterScansEverything", Filter(true, true, true), "Scan(h)"},
        FilterCase{"SomeChannelsAnyBssid", Filter(true, true, false),
                   "BssidScan(h, ffffffffffff" + kChannels345 + ")"},
        FilterCase{"SpecificBssid", Filter(true, false, false), "BssidScan(h, 000a0b0c0d0e" + kChannels345 + ")"},
        FilterCase{"SpecificBssidAllChannels", Filter(true, false, true),
                   "BssidScan(h, 000a0b0c0d0e" + kChannels345 + ")"},
        FilterCase{"SpecificSsidIgnoresBssid", Filter(false, false, false),
                   "SsidScan(h, " + kLabSsid + kChannels345 + "0000, 4294967295)"},
        FilterCase{"SpecificSsidAllChannels", Filter(false, true, true),
                   "SsidScan(h, " + kLabSsid + kChannels345 + "0000, 4294967295)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScanRequests, NetworkModeIsWrittenBackUnchanged) {
    RecordingDriver driver;
    driver.setOutU32("QueryNetworkMode", 1);
    RequestSurveyScan(driver, driver.adapterHandle(), SurveyFilter{});
    EXPECT_EQ(driver.callTexts()[1], "SetNetworkMode(h, 1)");
}

TEST(ScanRequests, ReadScanListZeroFillsAndReportsFailure) {
    RecordingDriver driver;
    ScanBuffer buffer;
    buffer.fill(0xAB);
    driver.setResult("QueryScanList", 5);
    EXPECT_FALSE(ReadScanList(driver, driver.adapterHandle(), buffer));
    EXPECT_EQ(buffer[100], 0);  // stale bytes never survive a read

    driver.setResult("QueryScanList", 0);
    driver.setOutBytes("QueryScanList", BuildScanBuffer({testing::TestScanEntry{}}));
    EXPECT_TRUE(ReadScanList(driver, driver.adapterHandle(), buffer));
    EXPECT_EQ(ScanList(buffer).numberOfItems(), 1u);
    EXPECT_EQ(driver.callTexts().back(), "QueryScanList(h, out, 24576)");
}

TEST(ScanRequests, ReadWithLengthNeedsNonNegativeResultAndLength) {
    RecordingDriver driver;
    ScanBuffer buffer;
    driver.setOutBytes("QueryScanListLength", BuildScanBuffer({testing::TestScanEntry{}}));
    driver.setResult("QueryScanListLength", 3);  // positive results are not failures
    EXPECT_TRUE(ReadScanListWithLength(driver, driver.adapterHandle(), buffer));
    driver.setResult("QueryScanListLength", -2);
    EXPECT_FALSE(ReadScanListWithLength(driver, driver.adapterHandle(), buffer));
}

}  // namespace
}  // namespace tembrel
