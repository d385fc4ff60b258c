// The scan entry every driver library writes, read back through the one reader, and the MAC
// address text all of them parse.

#include "tembrel/common/LittleEndian.h"
#include "tembrel/common/MacText.h"
#include "tembrel/common/ScanEntryLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tembrel::abi {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(ScanEntryLayout, TheFieldsLandAtTheirOffsetsAndTheReaderFindsTheSsid) {
    ScanEntryFields f;
    f.bssid = {0, 0x11, 0x22, 0x33, 0x44, 0x55};
    f.ssid = {'C', 'a', 'f', 'e'};
    f.rssiDbm = -61;
    f.frequencyMHz = 2437;
    f.adHoc = true;
    f.timestamp = 0x0102030405060708;
    // SSID, rates (4 of 8), extended rates, one truncated element that ends the walk.
    f.elements = {0, 4, 'C', 'a', 'f', 'e', 1, 4, 0x82, 0x84, 0x8b, 0x96, 50, 2, 0x0c, 0x12, 1, 9, 0x30};
    const Bytes e = EncodeScanEntry(f);
    ASSERT_EQ(e.size(), 148u) << "128 + 19, rounded up to 4";
    EXPECT_EQ(GetU32(e, scan_entry::kLength), e.size());
    EXPECT_EQ(e[scan_entry::kBssid + 5], 0x55);
    EXPECT_EQ(int32_t(GetU32(e, scan_entry::kRssi)), -61);
    EXPECT_EQ(GetU32(e, scan_entry::kDsConfig), 2437000u);
    EXPECT_EQ(GetU32(e, scan_entry::kInfrastructureMode), 0u);
    EXPECT_EQ(GetU32(e, scan_entry::kIeLength), 12u + 19u);
    EXPECT_EQ(e[scan_entry::kTimestamp], 0x08);
    EXPECT_EQ(Bytes(e.begin() + scan_entry::kSupportedRates, e.begin() + scan_entry::kSupportedRates + 7),
              (Bytes{0x82, 0x84, 0x8b, 0x96, 0x0c, 0x12, 0}));
    EXPECT_EQ(ScanEntrySsid(e), "Cafe");
}

TEST(ScanEntryLayout, TheReaderRefusesEntriesItCannotTrust) {
    ScanEntryFields f;
    f.ssid.assign(40, 'x');
    const Bytes whole = EncodeScanEntry(f);
    EXPECT_EQ(ScanEntrySsid(whole), std::string(32, 'x')) << "an SSID is cut to 32 bytes";
    Bytes tooLong = whole;
    PutU32(tooLong, scan_entry::kSsidLength, 33);
    const Bytes truncated(whole.begin(), whole.begin() + 100);
    struct Row {
        const char* name;
        Bytes entry;
    };
    const Row rows[] = {{"length 33", tooLong}, {"shorter than the fixed part", truncated}, {"empty", {}}};
    for (const Row& row : rows) EXPECT_EQ(ScanEntrySsid(row.entry), std::nullopt) << row.name;
}

TEST(ScanEntryLayout, OnlyWholeMacAddressesParse) {
    EXPECT_EQ(ParseMac("00:1d:4F:10:00:01"), (MacAddress{0x00, 0x1d, 0x4f, 0x10, 0x00, 0x01}));
    EXPECT_EQ(ParseMac("02-7E-3C-4C-01-01"), (MacAddress{0x02, 0x7e, 0x3c, 0x4c, 0x01, 0x01}));
    const char* refused[] = {"", "00:1d:4f:10:00", "00:1d:4f:10:00:01:", "00:1d:4f:10:00:0g", "00.1d.4f.10.00.01",
                             " 0:1d:4f:10:00:01", "001d:4f:10:00:01:"};
    for (const char* text : refused) EXPECT_EQ(ParseMac(text), std::nullopt) << text;
}

}  // namespace
}  // namespace tembrel::abi
