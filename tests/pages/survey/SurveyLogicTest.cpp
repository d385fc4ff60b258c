#include "pages/survey/logic/FilterSettings.h"
#include "pages/survey/logic/SurveyJoin.h"
#include "pages/survey/logic/SurveyListing.h"
#include "profiles/ImportNormalize.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "tests/support/ScanBufferBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace tembrel::survey {
namespace {

using testing::BuildScanBuffer;
using testing::RsnElement;
using testing::TestScanEntry;

TestScanEntry Entry(std::string ssid, uint8_t lastMacByte, uint32_t dsConfigKHz = 2437000, uint32_t infrastructure = 1) {
    TestScanEntry e;
    e.ssid = std::move(ssid);
    e.mac[5] = lastMacByte;
    e.dsConfigKHz = dsConfigKHz;
    e.infrastructureMode = infrastructure;
    return e;
}

TestScanEntry GEntry(std::string ssid, uint8_t lastMacByte) {
    TestScanEntry e = Entry(std::move(ssid), lastMacByte);
    e.rates = {0x82, 0x84, 0x8B, 0x96, 0x24, 0x30, 0x48, 0x6C};  // up to 54 Mbit/s
    return e;
}

std::vector<std::string> Names(const std::vector<SurveyRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.ssidText);
    return out;
}

TEST(SurveyRows, KindFiltersChannelZeroAndHiddenSsids) {
    TestScanEntry hidden = Entry("", 0x01);
    TestScanEntry longSsid = Entry("x", 0x02);
    longSsid.ssidLength = 33;
    const auto buffer = BuildScanBuffer({Entry("b-ap", 0x03), GEntry("g-ap", 0x04),
                                         Entry("a-ap", 0x05, 5180000), Entry("peer", 0x06, 2412000, 0),
                                         Entry("4.92GHz", 0x07, 4920000), hidden, longSsid});
    const SurveyFilter open;
    const LinkCopy link;
    struct Case {
        ShowFlags show;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {{true, true, true, false}, {"b-ap", "g-ap", "a-ap", "peer", "<00-11-22-33-44-01>"}},
        // Clearing 802.11b hides the 802.11a access points too; 802.11g stays.
        {{true, false, true, false}, {"g-ap", "peer"}},
        {{false, true, false, true}, {"b-ap", "a-ap", "<00-11-22-33-44-01>"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Names(BuildSurveyRows(buffer, c.show, open, link)), c.names);

    const auto rows = BuildSurveyRows(buffer, ShowFlags{}, open, link);
    EXPECT_EQ(rows[2].channel, 36u);
    EXPECT_EQ(rows[2].icon, kIconAccessPointGA);
    EXPECT_EQ(rows[0].icon, kIconAccessPointB);
    EXPECT_EQ(rows[3].icon, kIconAdHoc);
    EXPECT_EQ(rows[3].networkType, "Ad-Hoc");
    EXPECT_EQ(rows[4].entryIndex, 5u);  // entry indices skip the 4.92 GHz one; rows stay consecutive
}

TEST(SurveyRows, CurrentConnectionNeedsEveryFieldToMatch) {
    const auto buffer = BuildScanBuffer({GEntry("home", 0x10)});
    LinkCopy link{true, "home", {0x00, 0x11, 0x22, 0x33, 0x44, 0x10}, false, 6};
    EXPECT_EQ(BuildSurveyRows(buffer, {}, {}, link)[0].icon, kIconAccessPointGACurrent);
    for (auto change : {+[](LinkCopy& l) { l.channel = 7; }, +[](LinkCopy& l) { l.ssid = "other"; },
                        +[](LinkCopy& l) { l.adHoc = true; }, +[](LinkCopy& l) { l.bssid[0] = 1; },
                        +[](LinkCopy& l) { l.connected = false; }}) {
        LinkCopy other = link;
        change(other);
        EXPECT_EQ(BuildSurveyRows(buffer, {}, {}, other)[0].icon, kIconAccessPointGA);
    }
}

TEST(SurveyRows, SsidAndBssidFilters) {
    const auto buffer = BuildScanBuffer({Entry("cafe", 0x01, 2412000), Entry("cafe", 0x02, 2462000),
                                         Entry("home", 0x03), Entry("linked", 0x04)});
    LinkCopy link;
    link.ssid = "linked";
    link.bssid = {0x00, 0x11, 0x22, 0x33, 0x44, 0x04};
    SurveyFilter bySsid;
    bySsid.anySsid = false;
    bySsid.ssid = "cafe";
    bySsid.channels = {1};
    EXPECT_EQ(Names(BuildSurveyRows(buffer, {}, bySsid, link)), (std::vector<std::string>{"cafe", "linked"}));
    SurveyFilter byBssid;
    byBssid.anyBssid = false;
    byBssid.bssid = {0x00, 0x11, 0x22, 0x33, 0x44, 0x03};
    EXPECT_EQ(Names(BuildSurveyRows(buffer, {}, byBssid, link)), (std::vector<std::string>{"home", "linked"}));
}

ProfilePtr Profile(std::string_view name, std::string_view ssid, uint32_t type = 1, uint32_t mode = 255,
                   int32_t encryption = 0) {
    auto p = NewEmptyProfile();
    SetProfileName(*p, name);
    SetProfileSsid(*p, ssid);
    p->networkType = type;
    p->wirelessMode = mode;
    p->encryption = encryption;
    return p;
}

TEST(SurveyJoin, ReusesOnlyAnExactlyMatchingProfile) {
    const auto buffer = BuildScanBuffer({Entry("Home", 0x01)});
    const auto entry = *EntryAt(buffer, 0);
    struct Case {
        ProfilePtr profile;
        bool reused;
    };
    const Case cases[] = {
        {Profile("a", "Home"), true},
        {Profile("a", "Home", 1, 1), true},        // 802.11b, the entry's band
        {Profile("a", "Home", 1, 0), false},       // 802.11g only
        {Profile("a", "HomeNet"), false},          // the SSID only begins alike
        {Profile("a", "Hom"), false},
        {Profile("a", "Home", 0), false},          // ad hoc
        {Profile("a", "Home", 1, 255, 3), false},  // a WPA2 profile is not downgraded by an open look-alike
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindProfileForEntry({c.profile}, entry) == c.profile, c.reused) << ProfileSsid(*c.profile);
}

TEST(SurveyJoin, NewProfileFromAnEncryptedAdHocEntry) {
    TestScanEntry e = Entry("Cafe", 0x01, 2462000, 0);
    e.privacy = 1;
    const auto buffer = BuildScanBuffer({e});
    const auto record = NewProfileForEntry(*EntryAt(buffer, 0), {kAuthWpa2Psk, kCipherAes},
                                           {Profile("Cafe", "x"), Profile("Cafe2", "y")});
    EXPECT_EQ(ProfileName(*record), "Cafe3");
    EXPECT_EQ(ProfileSsid(*record), "Cafe");
    EXPECT_EQ(record->networkType, 0u);
    EXPECT_EQ(record->adHocChannel, 11);
    EXPECT_EQ(record->authMode, static_cast<uint32_t>(kAuthWpa2Psk));
    EXPECT_EQ(record->encryption, static_cast<int32_t>(kCipherAes));
    EXPECT_EQ(record->fragThreshold, 2346u);
    EXPECT_EQ(record->rtsThreshold, 2347u);
    EXPECT_EQ(record->inPreferList, 1u);
    EXPECT_EQ(record->keepAdapterSettings, 1u);
}

TEST(SurveyJoin, UniqueNamesWhateverTheListOrder) {
    struct Case {
        std::vector<std::string> names;
        std::string wanted;
        std::string expected;
    };
    const Case cases[] = {
        {{"Cafe", "Cafe2"}, "Cafe", "Cafe3"},
        {{"Cafe2", "Cafe"}, "Cafe", "Cafe3"},  // a single pass would have given a second Cafe2
        {{"AP9", "AP10"}, "AP9", "AP11"},
        {{}, "Home", "Home"},
        {{std::string(39, 'x')}, std::string(39, 'x'), std::string(38, 'x') + "2"},
    };
    for (const auto& c : cases) {
        ProfileSequence list;
        for (const auto& n : c.names) list.push_back(Profile(n, n));
        const std::string name = UniqueProfileName(c.wanted, list);
        EXPECT_EQ(name, c.expected);
        EXPECT_LE(name.size(), 39u);
    }
}

TEST(SurveyJoin, FollowUpKeepsNoOrphanInUse) {
    const auto record = Profile("Net", "Net", 1);
    const LinkState none;
    const LinkState same{true, false, "Net", 1};
    const LinkState other{true, false, "Else", 1};
    struct Case {
        int result;
        bool isNew;
        LinkState link;
        JoinFollowUp expected;
        bool refused;
    };
    const Case cases[] = {
        {0, true, none, JoinFollowUp::kInsertAndMarkInUse, false},
        {0, false, none, JoinFollowUp::kInsertAndMarkInUse, false},
        {1, true, none, JoinFollowUp::kDiscardAndClearInUse, true},
        {4, true, same, JoinFollowUp::kInsertMarkAndRebuild, false},
        {4, false, same, JoinFollowUp::kRebuild, false},
        {1, true, other, JoinFollowUp::kDiscardAndClearInUse, true},  // connected elsewhere: not kept half-used
        {1, false, other, JoinFollowUp::kRebuild, true},
        {2, true, none, JoinFollowUp::kDiscardAndClearInUse, true},
        {2, false, none, JoinFollowUp::kNothing, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FollowUpAfterConnect(c.result, c.isNew, *record, c.link), c.expected) << c.result << c.isNew;
        EXPECT_EQ(JoinRefused(c.result, *record, c.link), c.refused) << c.result << c.isNew;
    }
}

// A refused join gives a stored profile back the security it had before the dialog changed it;
// the rest of what the dialog changed stays.
TEST(SurveyJoin, ARefusedJoinKeepsThePreviousSecurity) {
    const auto stored = Profile("Home-WPA2", "Home-WPA2", 1, 255, 3);
    stored->authMode = kAuthWpa2Psk;
    SetText(stored->passphrase, "correct horse battery");
    stored->passphraseLength = 21;
    struct Case {
        const char* name;
        std::function<void(PROFILE_RECORD&)> edit;
        const char* told;  // empty: nothing changed, nothing told
    };
    const Case cases[] = {
        {"typo in the passphrase",
         [](PROFILE_RECORD& p) {
             SetText(p.passphrase, "correct horse batterx");
         },
         "Home-WPA2 keeps its previous passphrase"},
        {"shorter passphrase",
         [](PROFILE_RECORD& p) {
             std::memset(p.passphrase, 0, sizeof p.passphrase);
             SetText(p.passphrase, "correct");
             p.passphraseLength = 7;
         },
         "Home-WPA2 keeps its previous passphrase"},
        {"WEP key", [](PROFILE_RECORD& p) { p.wep.keys[1].length = 5; }, "Home-WPA2 keeps its previous WEP keys"},
        {"cipher", [](PROFILE_RECORD& p) { p.encryption = 2; }, "Home-WPA2 keeps its previous security settings"},
        {"802.1x password", [](PROFILE_RECORD& p) { SetText(p.password, "x"); },
         "Home-WPA2 keeps its previous security settings"},
        {"certificate", [](PROFILE_RECORD& p) { p.certificateHash[19] = 1; },
         "Home-WPA2 keeps its previous security settings"},
        {"nothing", [](PROFILE_RECORD&) {}, ""},
        {"only the power mode", [](PROFILE_RECORD& p) { p.powerSaveMode = 1; }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PROFILE_RECORD edited = *stored;
        edited.powerSaveMode = 1;  // not security: the dialog's other changes stay
        c.edit(edited);
        const auto told = KeepPreviousSecurity(edited, *stored);
        EXPECT_EQ(told.value_or(""), c.told);
        PROFILE_RECORD expected = *stored;
        expected.powerSaveMode = 1;
        EXPECT_EQ(std::memcmp(&edited, &expected, sizeof edited), 0) << "the previous security is not back";
    }
}

TEST(FilterForm, SetUpFromTheFilter) {
    SurveyFilter range;
    range.allChannels = false;
    range.channels = {3, 4, 5};
    const FilterForm r = FormFromFilter(range);
    EXPECT_EQ(r.mode, ChannelMode::Range);
    EXPECT_EQ(r.rangeStart, 3u);
    EXPECT_EQ(r.rangeEnd, 5u);
    SurveyFilter single;
    single.allChannels = false;
    single.channels = {6};
    EXPECT_EQ(FormFromFilter(single).mode, ChannelMode::Single);
    EXPECT_EQ(FormFromFilter(single).single, 6u);
    SurveyFilter wild;
    wild.allChannels = false;
    wild.channels = {200, 149};
    const FilterForm w = FormFromFilter(wild);
    EXPECT_EQ(w.rangeStart, 14u);
    EXPECT_EQ(w.rangeEnd, 14u);
    SurveyFilter bssid;
    bssid.anyBssid = false;
    bssid.anySsid = false;
    bssid.bssid = {0x0A, 0xB0, 0, 0, 0, 0xFF};
    const FilterForm b = FormFromFilter(bssid);
    EXPECT_TRUE(b.anySsid);  // a specific BSSID excludes a specific SSID
    EXPECT_EQ(b.bssid[0], "0A");
    EXPECT_EQ(b.bssid[5], "FF");
}

TEST(FilterForm, BssidBytesAsTyped) {
    const std::pair<const char*, uint8_t> rows[] = {{"0A", 0x0A}, {"A", 0xA0}, {"", 0}, {"ff", 0xFF},
                                                     {"G1", 0x01}, {"1G", 0x10}};
    for (const auto& [text, value] : rows) EXPECT_EQ(ParseBssidByte(text), value) << text;
    EXPECT_EQ(CleanBssidText("a-z9f"), "A9");
}

TEST(FilterForm, OkStoresChannelsWithinOneToFourteen) {
    FilterForm form;
    form.mode = ChannelMode::Range;
    form.rangeStart = 1;
    form.rangeEnd = 14;
    const auto all = FilterFromForm(form);
    ASSERT_TRUE(all);
    EXPECT_FALSE(all->allChannels);  // so Refresh sends a BSSID scan rather than a plain one
    EXPECT_EQ(all->channels, AllChannels());
    form.rangeStart = 9;
    form.rangeEnd = 3;  // never start above end
    EXPECT_EQ(FilterFromForm(form)->channels, (ScanChannels{9}));
    form.anySsid = false;
    form.ssid.clear();
    EXPECT_FALSE(FilterFromForm(form));  // "Please enter a valid SSID!"
    EXPECT_EQ(RangeStartChoices(200).size(), 14u);
    EXPECT_EQ(RangeEndChoices(12), (std::vector<uint32_t>{12, 13, 14}));
}

}  // namespace
}  // namespace tembrel::survey
