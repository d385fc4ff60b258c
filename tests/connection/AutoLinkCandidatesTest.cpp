#include "connection/AutoLinkCandidates.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "tests/support/RecordingDriver.h"
#include "tests/support/ScanBufferBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tembrel::testing {
namespace {

std::vector<uint8_t> Announcement(uint8_t tag, uint8_t stateBits) {
    return {0xDD, 7, 0x00, 0x3A, 0x7E, 0x00, 0x00, tag, stateBits};
}

TestScanEntry AutoLinkAp(const std::string& ssid, int32_t rssi, uint8_t tag, uint8_t stateBits) {
    TestScanEntry e;
    e.ssid = ssid;
    e.rssi = rssi;
    e.elements = Announcement(tag, stateBits);
    return e;
}

std::vector<AutoLinkCandidate> Find(const std::vector<TestScanEntry>& entries, const ProfileSequence& profiles = {}) {
    return FindAutoLinkCandidates(BuildScanBuffer(entries), profiles);
}

struct StateRow {
    uint8_t bits;
    std::optional<uint32_t> state;
};

class StateBitsTest : public ::testing::TestWithParam<StateRow> {};

TEST_P(StateBitsTest, LowestSetBitDecides) {
    const auto found = Find({AutoLinkAp("ap", -60, 9, GetParam().bits)});
    if (!GetParam().state) {
        EXPECT_TRUE(found.empty());
        return;
    }
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].state, *GetParam().state);
}

INSTANTIATE_TEST_SUITE_P(Bits, StateBitsTest,
                         ::testing::Values(StateRow{0x01, 0u}, StateRow{0x03, 0u}, StateRow{0x07, 0u},
                                           StateRow{0x02, 1u}, StateRow{0x06, 1u}, StateRow{0x04, 2u},
                                           StateRow{0x00, std::nullopt}, StateRow{0xF8, std::nullopt}));

struct ElementRow {
    const char* name;
    std::vector<uint8_t> elements;
    bool candidate;
};

void PrintTo(const ElementRow& row, std::ostream* os) { *os << row.name; }

class ElementTest : public ::testing::TestWithParam<ElementRow> {};

TEST_P(ElementTest, OnlyTheExactAnnouncementCounts) {
    TestScanEntry e;
    e.elements = GetParam().elements;
    EXPECT_EQ(Find({e}).size(), GetParam().candidate ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Elements, ElementTest,
    ::testing::Values(
        ElementRow{"Exact", Announcement(1, 1), true},
        ElementRow{"AfterOtherElements", Concat({{0x00, 3, 'n', 'e', 't'}, WpaElement(2, 2), Announcement(1, 1)}), true},
        ElementRow{"LongerElement", {0xDD, 9, 0x00, 0x3A, 0x7E, 0, 0, 1, 1, 0xAA, 0xBB}, true},
        ElementRow{"OtherId", {0xDC, 7, 0x00, 0x3A, 0x7E, 0, 0, 1, 1}, false},
        ElementRow{"OtherOui", {0xDD, 7, 0x00, 0x3A, 0x7F, 0, 0, 1, 1}, false},
        ElementRow{"Byte125Set", {0xDD, 7, 0x00, 0x3A, 0x7E, 1, 0, 1, 1}, false},
        ElementRow{"Byte126Set", {0xDD, 7, 0x00, 0x3A, 0x7E, 0, 1, 1, 1}, false},
        ElementRow{"BodyTooShortForState", {0xDD, 6, 0x00, 0x3A, 0x7E, 0, 0, 1}, false},
        ElementRow{"RunsPastTheEntry", {0xDD, 40, 0x00, 0x3A, 0x7E, 0, 0, 1, 1}, false},
        ElementRow{"OnlyOtherElements", {0x00, 3, 'n', 'e', 't'}, false}),
    [](const ::testing::TestParamInfo<ElementRow>& info) { return std::string(info.param.name); });

TEST(AutoLinkCandidates, KeepsSsidTagAndSignal) {
    const auto found = Find({AutoLinkAp("Lobby", -70, 0x5A, 0x02)});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], (AutoLinkCandidate{"Lobby", 26, 1, 0x5A}));
}

TEST(AutoLinkCandidates, SignalIsLimitedToZeroToForty) {
    EXPECT_EQ(AutoLinkSignal(-100), 0u);
    EXPECT_EQ(AutoLinkSignal(-96), 0u);
    EXPECT_EQ(AutoLinkSignal(-56), 40u);
    EXPECT_EQ(AutoLinkSignal(-50), 40u);
    EXPECT_EQ(AutoLinkSignal(INT32_MIN), 0u);
    EXPECT_EQ(AutoLinkSignal(INT32_MAX), 40u);
}

TEST(AutoLinkCandidates, StrongestFirstAndEqualSignalsInScanOrder) {
    const auto found = Find({AutoLinkAp("weak", -100, 1, 1), AutoLinkAp("mid-a", -70, 2, 1),
                             AutoLinkAp("strong", -50, 3, 1), AutoLinkAp("mid-b", -70, 4, 1),
                             AutoLinkAp("mid-c", -70, 5, 4)});
    std::vector<std::string> order;
    for (const auto& c : found) order.push_back(c.ssid);
    EXPECT_EQ(order, (std::vector<std::string>{"strong", "mid-a", "mid-b", "mid-c", "weak"}));
}

TEST(AutoLinkCandidates, AdHocStationsAndLongSsidsAreSkipped) {
    TestScanEntry adHoc = AutoLinkAp("party", -50, 1, 1);
    adHoc.infrastructureMode = 0;
    TestScanEntry badLength = AutoLinkAp("long", -50, 1, 1);
    badLength.ssidLength = 33;
    EXPECT_TRUE(Find({adHoc, badLength}).empty());
}

ProfilePtr Profile(const std::string& ssid, uint32_t networkType) {
    auto p = NewEmptyProfile();
    SetProfileSsid(*p, ssid);
    p->networkType = networkType;
    return p;
}

TEST(AutoLinkCandidates, ConfiguredByAutoLinkIsDroppedWhenAProfileMatches) {
    const ProfileSequence profiles{Profile("Lobby-5G", 1), Profile("Garden", 0)};
    const auto found = Find({AutoLinkAp("Lobby", -60, 1, 0x02), AutoLinkAp("Lobby", -60, 2, 0x01),
                             AutoLinkAp("Lobby", -60, 3, 0x04), AutoLinkAp("Garden", -60, 4, 0x02),
                             AutoLinkAp("Lobby-5GHz", -60, 5, 0x02)},
                            profiles);
    std::vector<uint32_t> tags;
    for (const auto& c : found) tags.push_back(c.apTag);
    // Tag 1: "Lobby-5G" begins with "Lobby". Tag 4: the only "Garden" profile is ad hoc.
    // Tag 5: no profile begins with "Lobby-5GHz".
    EXPECT_EQ(tags, (std::vector<uint32_t>{2, 3, 4, 5}));
}

TEST(AutoLinkCandidates, EmptySsidMatchesEveryProfileOfItsType) {
    EXPECT_TRUE(Find({AutoLinkAp("", -60, 1, 0x02)}, {Profile("anything", 1)}).empty());
    EXPECT_EQ(Find({AutoLinkAp("", -60, 1, 0x02)}, {Profile("anything", 0)}).size(), 1u);
}

class CandidateSearchTest : public ::testing::Test {
protected:
    CandidateSearchTest() {
        handle.exclusive([&](ZARN9100_HANDLE* h) {
            *h = driver.adapterHandle();
            return 0;
        });
        driver.setOutBytes("QueryScanList", BuildScanBuffer({AutoLinkAp("Lobby", -60, 1, 1)}));
    }
    RecordingDriver driver;
    AdapterHandle handle;
    ProfileList profiles;
};

TEST_F(CandidateSearchTest, ReadsTheWholeScanBuffer) {
    const auto found = SearchAutoLinkCandidates(driver, handle, profiles);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].ssid, "Lobby");
    const auto calls = driver.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].name, "QueryScanList");
    EXPECT_EQ(calls[0].args.back(), "24576");
}

TEST_F(CandidateSearchTest, LibraryFailureGivesNoCandidates) {
    driver.setResult("QueryScanList", 1);
    EXPECT_TRUE(SearchAutoLinkCandidates(driver, handle, profiles).empty());
}

TEST_F(CandidateSearchTest, NoCardGivesNoCandidatesAndNoCall) {
    handle.exclusive([](ZARN9100_HANDLE* h) {
        *h = nullptr;
        return 0;
    });
    EXPECT_TRUE(SearchAutoLinkCandidates(driver, handle, profiles).empty());
    EXPECT_TRUE(driver.calls().empty());
}

}  // namespace
}  // namespace tembrel::testing
