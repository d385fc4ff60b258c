// The scan entry layout, read back the way the utility's readers walk it.
#include "Environment.h"
#include "ScanList.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tembrel::sim {
namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, &b[at], 4);
    return v;
}

// Security detection as the utility does it: first WPA, RSN or CCX element decides.
std::pair<int, int> DetectSecurity(const std::vector<uint8_t>& e) {
    const uint32_t ieLength = U32(e, 112);
    if (ieLength <= 12) return {0, 1};
    size_t at = 128;
    const size_t end = 116 + ieLength;
    auto suite = [&](size_t p, uint8_t a, uint8_t b, uint8_t c) { return e[p] == a && e[p + 1] == b && e[p + 2] == c; };
    while (at + 2 <= end) {
        const uint8_t id = e[at], n = e[at + 1];
        if (id == 0xdd && n > 12 && suite(at + 2, 0x00, 0x40, 0x96) && e[at + 5] == 4) return {0, 0};
        if (id == 0xdd && n > 12 && suite(at + 2, 0x00, 0x50, 0xf2) && e[at + 5] == 1) {
            const uint8_t c = e[at + 17], k = e[at + 23];
            return {k == 1 ? 100 : k == 2 ? 2 : 0, c == 1 || c == 5 ? 1 : c == 2 ? 2 : c == 4 ? 3 : 0};
        }
        if (id == 0x30 && n > 12) {
            const uint8_t c = e[at + 13], k = e[at + 19];
            return {k == 1 ? 101 : k == 2 ? 9 : 0, c == 1 || c == 5 ? 1 : c == 2 ? 2 : c == 4 ? 3 : 0};
        }
        at += 2u + n;
    }
    return {0, 1};
}

int ClassifyBand(const std::vector<uint8_t>& e) {
    if (U32(e, 72) > 5000000) return 2;
    for (size_t i = 0; i < 14; ++i) {
        const uint8_t r = e[96 + i];
        if ((r & 0x7f) == 0) break;
        if ((r & 0x7e) == 0x12 || (r & 0x7e) > 0x16) return 0;
    }
    return 1;
}

struct Expect {
    const char* ssid;
    uint32_t privacy;
    int auth;
    int cipher;
    int band;
    uint32_t channelKHz;
    uint32_t infrastructure;
};

const Expect kExpected[] = {
    {"Orvix-Open-G", 0, 0, 1, 0, 2437000, 1},     {"Lobby-11b", 0, 0, 1, 1, 2412000, 1},
    {"Lab-WEP64", 1, 0, 1, 0, 2462000, 1},        {"Lab-WEP128-Shared", 1, 0, 1, 1, 2422000, 1},
    {"Home-WPA", 1, 2, 2, 0, 2452000, 1},         {"Home-WPA2", 1, 9, 3, 0, 2427000, 1},
    {"Corp-WPA-1X", 1, 100, 2, 0, 2412000, 1},    {"Corp-WPA2-1X", 1, 101, 3, 0, 2462000, 1},
    {"Cisco-LEAP", 1, 0, 0, 0, 2437000, 1},       {"Studio-5G", 0, 0, 1, 2, 5180000, 1},
    {"", 1, 9, 3, 0, 2447000, 1},                 {"PeerNet", 0, 0, 1, 0, 2457000, 0},
    {"Orvix-AutoLink-New", 0, 0, 1, 0, 2417000, 1}, {"Orvix-AutoLink-Set", 1, 2, 2, 0, 2442000, 1},
    {"Orvix-AutoLink-Manual", 1, 9, 3, 0, 2432000, 1},
};

TEST(ScanEntry, EveryBuiltInNetworkReadsBackAsItsKind) {
    const Environment env = DefaultEnvironment();
    ASSERT_EQ(env.networks.size(), std::size(kExpected));
    for (size_t i = 0; i < env.networks.size(); ++i) {
        const Network& n = env.networks[i];
        const Expect& x = kExpected[i];
        const std::vector<uint8_t> e = BuildScanEntry(ScanResult{n, -61, false});
        SCOPED_TRACE(n.ssid);
        ASSERT_EQ(U32(e, 0), e.size());
        EXPECT_EQ(e.size() % 4, 0u);
        EXPECT_EQ(std::memcmp(&e[4], n.bssid.data(), 6), 0);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&e[16]), U32(e, 12)), x.ssid);
        EXPECT_EQ(U32(e, 48), x.privacy);
        EXPECT_EQ(int32_t(U32(e, 52)), -61);
        EXPECT_EQ(U32(e, 72), x.channelKHz);
        EXPECT_EQ(U32(e, 92), x.infrastructure);
        EXPECT_EQ(ClassifyBand(e), x.band);
        if (x.privacy != 0) {
            EXPECT_EQ(DetectSecurity(e), std::make_pair(x.auth, x.cipher));
        }
        // Elements stay inside IELength and the entry, and begin with the SSID element.
        const uint32_t ieLength = U32(e, 112);
        ASSERT_GT(ieLength, 12u);
        ASSERT_LE(116 + ieLength, e.size());
        EXPECT_EQ(e[128], 0);
        size_t at = 128;
        while (at < 116 + ieLength) at += 2u + e[at + 1];
        EXPECT_EQ(at, 116 + ieLength);
    }
}

TEST(ScanEntry, AutoLinkElementCarriesTagAndStateBits) {
    for (const auto& [state, bits] : {std::pair{0, 0x01}, std::pair{1, 0x02}, std::pair{2, 0x04}}) {
        Network n;
        n.ssid = "AL";
        n.channel = 6;
        n.autoLink = AutoLinkInfo{true, state, 0x5a, "12345678"};
        const std::vector<uint8_t> ies = BeaconElements(n, false);
        const std::vector<uint8_t> element = {0xdd, 0x07, 0x00, 0x3a, 0x7e, 0x00, 0x00, 0x5a, uint8_t(bits)};
        EXPECT_NE(std::search(ies.begin(), ies.end(), element.begin(), element.end()), ies.end()) << state;
    }
}

TEST(ScanEntry, HiddenNetworkShowsItsNameOnlyToADirectedProbe) {
    Network n;
    n.ssid = "Quiet";
    n.hidden = true;
    EXPECT_EQ(U32(BuildScanEntry(ScanResult{n, -50, false}), 12), 0u);
    EXPECT_EQ(U32(BuildScanEntry(ScanResult{n, -50, true}), 12), 5u);
}

TEST(ScanList, WritesWholeEntriesWithinTheCapacity) {
    const Environment env = DefaultEnvironment();
    std::vector<ScanResult> results;
    for (const Network& n : env.networks) results.push_back(ScanResult{n, n.rssiDbm, false});
    const size_t first = BuildScanEntry(results[0]).size();
    const size_t second = BuildScanEntry(results[1]).size();
    struct Row {
        uint32_t capacity;
        uint32_t entries;
    };
    const Row rows[] = {
        {4, 0},
        {uint32_t(4 + first - 1), 0},
        {uint32_t(4 + first), 1},
        {uint32_t(4 + first + second - 1), 1},
        {uint32_t(4 + first + second), 2},
        {24576, uint32_t(results.size())},
    };
    for (const Row& row : rows) {
        std::vector<uint8_t> buffer(row.capacity + 16, 0xee);
        const abi::ScanListWrite w = abi::WriteScanList(BuildScanEntries(results), buffer.data(), row.capacity);
        EXPECT_EQ(w.entriesWritten, row.entries) << row.capacity;
        EXPECT_EQ(U32(buffer, 0), row.entries);
        EXPECT_LE(w.bytesWritten, row.capacity);
        EXPECT_EQ(w.complete, row.entries == results.size());
        for (size_t i = row.capacity; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xee) << row.capacity;
    }
    uint8_t three[3] = {1, 2, 3};
    EXPECT_EQ(abi::WriteScanList(BuildScanEntries(results), three, 3).bytesWritten, 0u);
    EXPECT_EQ(three[0], 1);
}

}  // namespace
}  // namespace tembrel::sim
