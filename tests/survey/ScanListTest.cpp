#include "survey/ScanEntry.h"
#include "tests/support/ScanBufferBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tembrel {
namespace {

using testing::BuildScanBuffer;
using testing::PutU32;
using testing::TestScanEntry;

TestScanEntry Named(const std::string& ssid, uint8_t macTail = 0) {
    TestScanEntry e;
    e.ssid = ssid;
    e.mac[5] = macTail;
    return e;
}

std::vector<std::string> WalkedSsids(const std::vector<uint8_t>& buffer) {
    std::vector<std::string> out;
    for (const ScanEntry e : ScanList(buffer)) out.emplace_back(e.ssid());
    return out;
}

TEST(ScanList, ReadsEveryFixedFieldOfAnEntry) {
    TestScanEntry e;
    e.mac = {0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5};
    e.ssid = "Office";
    e.privacy = 1;
    e.rssi = -71;
    e.dsConfigKHz = 5745000;
    e.infrastructureMode = 0;
    e.rates = {0x8C, 0x12, 0x98, 0x24};
    e.elements = {0x01, 0x02, 0x8C, 0x12};
    const auto buffer = BuildScanBuffer({e});
    const auto entry = EntryAt(buffer, 0);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->length(), 132u);
    EXPECT_EQ(entry->macAddress(), (MacAddress{0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5}));
    EXPECT_EQ(entry->ssid(), "Office");
    EXPECT_EQ(entry->privacy(), 1u);
    EXPECT_EQ(entry->rssiDbm(), -71);
    EXPECT_EQ(entry->dsConfigKHz(), 5745000u);
    EXPECT_EQ(entry->infrastructureMode(), 0u);
    EXPECT_EQ(entry->supportedRates()[2], 0x98);
    EXPECT_EQ(entry->ieLength(), 16u);
    EXPECT_EQ(std::vector<uint8_t>(entry->variableElements().begin(), entry->variableElements().end()),
              e.elements);
}

TEST(ScanList, EntriesAreChainedByTheirLength) {
    TestScanEntry big = Named("second");
    big.elements.assign(61, 0xEE);  // an odd element area makes a padded, longer entry
    const auto buffer = BuildScanBuffer({Named("first"), big, Named("third")});
    EXPECT_EQ(WalkedSsids(buffer), (std::vector<std::string>{"first", "second", "third"}));
    ASSERT_TRUE(EntryAt(buffer, 2));
    EXPECT_EQ(EntryAt(buffer, 2)->ssid(), "third");
    EXPECT_EQ(EntryAt(buffer, 1)->length(), 192u);
}

TEST(ScanList, EntryAtRejectsIndexesOutsideTheCount) {
    const auto buffer = BuildScanBuffer({Named("a"), Named("b")});
    EXPECT_FALSE(EntryAt(buffer, -1));
    EXPECT_FALSE(EntryAt(buffer, 2));
    EXPECT_FALSE(EntryAt(buffer, 1LL << 40));
    EXPECT_TRUE(EntryAt(buffer, 1));
}

TEST(ScanList, EmptyListHasNoEntries) {
    const auto buffer = BuildScanBuffer({});
    EXPECT_EQ(ScanList(buffer).numberOfItems(), 0u);
    EXPECT_TRUE(WalkedSsids(buffer).empty());
    EXPECT_FALSE(EntryAt(buffer, 0));
}

TEST(ScanList, CountSmallerThanTheEntriesPresentIsHonoured) {
    const auto buffer = BuildScanBuffer({Named("a"), Named("b"), Named("c")}, 2);
    EXPECT_EQ(WalkedSsids(buffer), (std::vector<std::string>{"a", "b"}));
}

TEST(ScanList, OverlongSsidLengthIsReportedUnusableAndReadsNothing) {
    TestScanEntry e = Named("x");
    e.ssidLength = 33;
    const auto buffer = BuildScanBuffer({e, Named("y")});
    const auto entry = EntryAt(buffer, 0);
    ASSERT_TRUE(entry);
    EXPECT_FALSE(entry->hasUsableSsid());
    EXPECT_TRUE(entry->ssid().empty());
    // The entry still counts for indexes: the next one is index 1.
    EXPECT_EQ(EntryAt(buffer, 1)->ssid(), "y");

    TestScanEntry full = Named(std::string(32, 'z'));
    const auto fullBuffer = BuildScanBuffer({full});
    EXPECT_TRUE(EntryAt(fullBuffer, 0)->hasUsableSsid());
    EXPECT_EQ(EntryAt(fullBuffer, 0)->ssid().size(), 32u);
}

// Each malformed buffer ends the walk at the first bad entry; earlier entries stay readable.
struct MalformedCase {
    const char* name;
    std::vector<uint8_t> buffer;
    std::vector<std::string> expected;
};

std::vector<MalformedCase> MalformedCases() {
    std::vector<MalformedCase> cases;
    {
        TestScanEntry zero = Named("b");
        zero.length = 0;
        cases.push_back({"ZeroLength", BuildScanBuffer({Named("a"), zero, Named("c")}), {"a"}});
    }
    {
        TestScanEntry shortEntry = Named("b");
        shortEntry.length = 115;  // shorter than the fixed fields
        cases.push_back({"LengthBelowFixedFields", BuildScanBuffer({Named("a"), shortEntry}), {"a"}});
    }
    {
        TestScanEntry huge = Named("b");
        huge.length = 0xFFFFFFF0u;  // would wrap a 32-bit offset
        cases.push_back({"LengthWrapsAround", BuildScanBuffer({Named("a"), huge}), {"a"}});
    }
    {
        // Two entries fit; the third starts 8 bytes before the end of the buffer.
        auto buffer = BuildScanBuffer({Named("a"), Named("b")}, 3);
        PutU32(buffer, 4 + 128, ZARN9100_SCAN_BUFFER_SIZE - 4 - 128 - 8);
        cases.push_back({"NextEntryHeaderPastEnd", buffer, {"a", "b"}});
    }
    {
        TestScanEntry tail = Named("b");
        tail.length = ZARN9100_SCAN_BUFFER_SIZE - 4 - 128 + 1;  // one byte too long
        cases.push_back({"EntryRunsPastBuffer", BuildScanBuffer({Named("a"), tail}), {"a"}});
    }
    {
        TestScanEntry last = Named("b");
        last.length = ZARN9100_SCAN_BUFFER_SIZE - 4 - 128;  // ends exactly at the buffer end
        cases.push_back({"EntryEndsExactlyAtBufferEnd", BuildScanBuffer({Named("a"), last}), {"a", "b"}});
    }
    cases.push_back({"HugeNumberOfItems", BuildScanBuffer({Named("a"), Named("b")}, 0xFFFFFFFFu), {"a", "b"}});
    cases.push_back({"BufferShorterThanCount", std::vector<uint8_t>{5, 0}, {}});
    cases.push_back({"BufferEndsInsideFirstEntry", BuildScanBuffer({Named("a")}, std::nullopt, 100), {}});
    return cases;
}

class MalformedScanList : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedScanList, WalkEndsAtTheBadEntry) {
    const auto& c = GetParam();
    EXPECT_EQ(WalkedSsids(c.buffer), c.expected);
    EXPECT_FALSE(EntryAt(c.buffer, static_cast<long long>(c.expected.size())));
    if (!c.expected.empty()) {
        EXPECT_TRUE(EntryAt(c.buffer, static_cast<long long>(c.expected.size()) - 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedScanList, ::testing::ValuesIn(MalformedCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScanList, NeverReadsBeyondTheDocumentedBufferSize) {
    // A caller handing a larger span still gets a walk bounded by 24,576 bytes.
    TestScanEntry straddling = Named("b");
    straddling.length = ZARN9100_SCAN_BUFFER_SIZE;  // would end 4 + 128 bytes past 24,576
    auto buffer = BuildScanBuffer({Named("a"), straddling}, std::nullopt, 2 * ZARN9100_SCAN_BUFFER_SIZE);
    EXPECT_EQ(WalkedSsids(buffer), (std::vector<std::string>{"a"}));
}

TEST(ScanList, ElementAreaIsCutAtTheEntryEnd) {
    TestScanEntry e = Named("a");
    e.elements = {0xDD, 0x01, 0x00, 0x00};
    e.ieLength = 5000;  // claims far more than the entry holds
    const auto buffer = BuildScanBuffer({e});
    EXPECT_EQ(EntryAt(buffer, 0)->variableElements().size(), 4u);

    e.ieLength = 12;
    EXPECT_TRUE(EntryAt(BuildScanBuffer({e}), 0)->variableElements().empty());
    e.ieLength = 3;
    EXPECT_TRUE(EntryAt(BuildScanBuffer({e}), 0)->variableElements().empty());
}

}  // namespace
}  // namespace tembrel
