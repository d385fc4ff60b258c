// BSS replies as wpa_supplicant sends them, translated into scan entries and read back with
// the program's own scan walk, security detection and channel plan.

#include "Reports.h"
#include "tembrel/common/ScanEntryLayout.h"
#include "tembrel/common/ChannelPlan.h"

#include "survey/ChannelPlan.h"
#include "survey/ScanEntry.h"
#include "survey/SecurityDetection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tembrel::wpa {
namespace {

using abi::ScanListWrite;
using abi::WriteScanList;

struct BssRow {
    const char* name;
    const char* reply;
    const char* ssid;
    uint32_t channel;
    uint32_t band;
    int32_t rssi;
    uint32_t privacy;
    ScanSecurity security;
};

// Captured in the shape of "BSS <id>" replies (fields trimmed to the ones the library reads
// plus a few it ignores).
const BssRow kRows[] = {
    {"open 802.11g", "id=0\nbssid=00:11:22:33:44:01\nfreq=2437\nbeacon_int=100\ncapabilities=0x0401\nqual=0\nnoise=-95\n"
     "level=-55\ntsf=0000001234567890\nage=3\nie=000a436f6666656553686f70010882848b960c1218240301062a010032043048606c\n"
     "flags=[ESS]\nssid=CoffeeShop\n",
     // Without a WPA or RSN element the program reads WEP; the privacy bit tells open from WEP.
     "CoffeeShop", 6, kBand80211g, -55, 0, {kAuthOpenSystem, kCipherWep}},
    {"WEP 802.11b", "id=1\nbssid=00:11:22:33:44:02\nfreq=2462\nbeacon_int=100\ncapabilities=0x0011\nlevel=-71\n"
     "ie=00064f6c644c6162010482848b9603010b\nflags=[WEP][ESS]\nssid=OldLab\n",
     "OldLab", 11, kBand80211b, -71, 1, {kAuthOpenSystem, kCipherWep}},
    {"WPA TKIP", "id=2\nbssid=00:11:22:33:44:03\nfreq=2412\nbeacon_int=100\ncapabilities=0x0411\nlevel=-64\n"
     "ie=0008486f6d65546b6970010882848b960c1218240301012a010032043048606cdd160050f20101000050f20201000050f20201000050f202\n"
     "flags=[WPA-PSK-TKIP][ESS]\nssid=HomeTkip\n",
     "HomeTkip", 1, kBand80211g, -64, 1, {kAuthWpaPsk, kCipherTkip}},
    {"WPA2 CCMP", "id=3\nbssid=00:11:22:33:44:04\nfreq=2462\nbeacon_int=100\ncapabilities=0x1411\nlevel=-48\n"
     "ie=0008486f6d6543636d70010882848b960c12182403010b30140100000fac040100000fac040100000fac02000032043048606c\n"
     "flags=[WPA2-PSK-CCMP][ESS]\nssid=HomeCcmp\n",
     "HomeCcmp", 11, kBand80211g, -48, 1, {kAuthWpa2Psk, kCipherAes}},
    {"WPA2 enterprise", "id=4\nbssid=00:11:22:33:44:05\nfreq=2437\nbeacon_int=102\ncapabilities=0x0431\nlevel=-60\n"
     "ie=0007436f72704e6574010882848b960c12182403010630140100000fac040100000fac040100000fac01000032043048606c\n"
     "flags=[WPA2-EAP-CCMP][ESS]\nssid=CorpNet\n",
     "CorpNet", 6, kBand80211g, -60, 1, {kGroupWpa2, kCipherAes}},
    {"5 GHz", "id=5\nbssid=00:11:22:33:44:06\nfreq=5180\nbeacon_int=100\ncapabilities=0x0011\nlevel=-67\n"
     "ie=000753747564696f3501088c129824b048606c30140100000fac040100000fac040100000fac020000\n"
     "flags=[WPA2-PSK-CCMP][ESS]\nssid=Studio5\n",
     "Studio5", 36, kBand80211a, -67, 1, {kAuthWpa2Psk, kCipherAes}},
    {"hidden", "id=6\nbssid=00:11:22:33:44:07\nfreq=2412\nbeacon_int=100\ncapabilities=0x0411\nlevel=-80\n"
     "ie=0006000000000000010882848b960c12182403010130140100000fac040100000fac040100000fac02000032043048606c\n"
     "flags=[WPA2-PSK-CCMP][ESS]\nssid=\\x00\\x00\\x00\\x00\\x00\\x00\n",
     "", 1, kBand80211g, -80, 1, {kAuthWpa2Psk, kCipherAes}},
};

TEST(ScanReportTest, EveryCapturedReplyReadsBackThroughTheProgramsScanWalk) {
    std::vector<std::vector<uint8_t>> entries;
    for (const BssRow& row : kRows) {
        auto entry = BuildScanEntry(ParseReport(row.reply));
        ASSERT_TRUE(entry.has_value()) << row.name;
        entries.push_back(*entry);
    }
    ScanBuffer buffer{};
    const ScanListWrite w = WriteScanList(entries, buffer.data(), uint32_t(buffer.size()));
    ASSERT_EQ(w.entriesWritten, std::size(kRows));

    const ScanList list(buffer);
    ASSERT_EQ(list.numberOfItems(), std::size(kRows));
    size_t i = 0;
    for (const ScanEntry entry : list) {
        ASSERT_LT(i, std::size(kRows));
        const BssRow& row = kRows[i++];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(entry.ssid(), row.ssid);
        EXPECT_EQ(ChannelFromFrequency(entry.dsConfigKHz()), row.channel);
        EXPECT_EQ(ClassifyBand(entry), row.band);
        EXPECT_EQ(entry.rssiDbm(), row.rssi);
        EXPECT_EQ(entry.privacy(), row.privacy);
        EXPECT_EQ(DetectSecurityOfEntry(entry), row.security);
        EXPECT_EQ(entry.macAddress()[5], uint8_t(i));
    }
    EXPECT_EQ(i, std::size(kRows));
}

TEST(ScanReportTest, ElementsAreCopiedAsReportedAfterTheFixedFields) {
    const auto entry = BuildScanEntry(ParseReport(kRows[1].reply));
    ASSERT_TRUE(entry.has_value());
    const std::vector<uint8_t> ies = *ParseHex("00064f6c644c6162010482848b9603010b");
    ASSERT_GE(entry->size(), 128 + ies.size());
    EXPECT_EQ(scan_entry::LoadU32Le(entry->data() + 112), 12 + ies.size());
    EXPECT_EQ(std::vector<uint8_t>(entry->begin() + 128, entry->begin() + 128 + long(ies.size())), ies);
    EXPECT_EQ((*entry)[124], 100);   // beacon interval
    EXPECT_EQ((*entry)[126], 0x11);  // capabilities: ESS, privacy
    EXPECT_EQ(entry->size() % 4, 0u);
}

TEST(ScanReportTest, MalformedReportsMakeNoEntry) {
    const char* rows[] = {
        "bssid=00:11:22:33:44:01\nfreq=2437\nlevel=-50\n",                       // no ie
        "bssid=00:11:22:33:44\nfreq=2437\nlevel=-50\nie=0000\n",                  // short bssid
        "bssid=00:11:22:33:44:01\nfreq=24x7\nlevel=-50\nie=0000\n",               // bad number
        "bssid=00:11:22:33:44:01\nfreq=2437\nlevel=-50\nie=000\n",                // odd hex
        "bssid=00:11:22:33:44:01\nfreq=2437\nlevel=-50\nie=zz00\n",               // not hex
        "bssid=00:11:22:33:44:01\nfreq=2437\nlevel=-5000\nie=0000\n",             // level out of range
        "",
    };
    for (const char* row : rows) EXPECT_FALSE(BuildScanEntry(ParseReport(row)).has_value()) << row;
}

TEST(ScanReportTest, AnElementRunningPastTheEndIsCopiedButNotReadForTheSsid) {
    const auto entry = BuildScanEntry(ParseReport("bssid=00:11:22:33:44:01\nfreq=2437\nlevel=-50\nie=0020414243\n"));
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(scan_entry::LoadU32Le(entry->data() + 12), 0u);
}

TEST(ScanReportTest, TheListHoldsOnlyWholeEntriesThatFit) {
    const auto entry = *BuildScanEntry(ParseReport(kRows[0].reply));
    const std::vector<std::vector<uint8_t>> entries{entry, entry, entry};
    std::vector<uint8_t> buffer(4 + 2 * entry.size() + 3);
    const ScanListWrite w = WriteScanList(entries, buffer.data(), uint32_t(buffer.size()));
    EXPECT_EQ(w.entriesWritten, 2u);
    EXPECT_EQ(w.bytesWritten, 4 + 2 * entry.size());
    EXPECT_EQ(ScanList(buffer).numberOfItems(), 2u);
    EXPECT_EQ(WriteScanList(entries, buffer.data(), 3).entriesWritten, 0u);
}

TEST(ScanReportTest, EscapedTextsAreDecoded) {
    const std::pair<std::string, std::string> rows[] = {
        {"Cafe", "Cafe"},
        {"a\\\\b", "a\\b"},
        {"say \\\"hi\\\"", "say \"hi\""},
        {"\\x00\\x01\\xff", std::string("\x00\x01\xff", 3)},
        {"tab\\tnl\\n", "tab\tnl\n"},
        {"broken\\x4", "broken\\x4"},
        {"end\\", "end\\"},
    };
    for (const auto& [escaped, plain] : rows) EXPECT_EQ(PrintfDecode(escaped), plain) << escaped;
}

TEST(ScanReportTest, FrequenciesGiveTheirChannels) {
    const std::pair<uint32_t, uint32_t> rows[] = {{2412, 1}, {2472, 13}, {2484, 14}, {5180, 36}, {5825, 165},
                                                  {2400, 0}, {5181, 0},  {60480, 0}};
    for (const auto& [mhz, channel] : rows) EXPECT_EQ(abi::ChannelAtFrequencyMHz(mhz), channel) << mhz;
}

// A link made by anyone shows the security the supplicant reports, not the last one applied.
TEST(ScanReportTest, TheLinksSecurityComesFromItsStatus) {
    struct Row {
        const char* keyMgmt;
        const char* cipher;
        std::optional<uint32_t> authMode, wepStatus;
    };
    const Row rows[] = {
        {"WPA2-PSK", "CCMP", 7u, 6u},          {"WPA-PSK", "TKIP", 4u, 4u},
        {"WPA2/IEEE 802.1X/EAP", "CCMP", 6u, 6u}, {"WPA/IEEE 802.1X/EAP", "TKIP", 3u, 4u},
        {"IEEE 802.1X (no WPA)", "WEP-104", std::nullopt, 0u},
        {"NONE", "NONE", std::nullopt, 1u},      {"SAE", "CCMP", 7u, 6u},
    };
    for (const Row& row : rows) {
        const LinkSecurity link = LinkSecurityOf(ParseReport(std::string("wpa_state=COMPLETED\nkey_mgmt=") +
                                                             row.keyMgmt + "\npairwise_cipher=" + row.cipher + "\n"));
        EXPECT_EQ(link.authMode, row.authMode) << row.keyMgmt;
        EXPECT_EQ(link.wepStatus, row.wepStatus) << row.keyMgmt;
    }
    const LinkSecurity none = LinkSecurityOf(ParseReport("wpa_state=SCANNING\nkey_mgmt=WPA2-PSK\npairwise_cipher=CCMP\n"));
    EXPECT_FALSE(none.authMode || none.wepStatus);
}

}  // namespace
}  // namespace tembrel::wpa
