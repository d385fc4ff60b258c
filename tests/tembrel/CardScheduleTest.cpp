// When the card next reports something by itself (Card::nextDueMs): the simulation's thread
// sleeps until then, so a card that has nothing to report must name no time at all.
#include "Card.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tembrel::sim {
namespace {

constexpr uint64_t kStart = 50000;
constexpr uint64_t kNextDrift = kStart + 1000;  // drift steps every second from the start

Network MakeNetwork(const std::string& ssid, uint8_t last, int32_t dbm, bool adHoc = false) {
    Network n;
    n.ssid = ssid;
    n.bssid = {0x00, 0x0C, 0x41, 0x7E, 0x00, last};
    n.channel = 6;
    n.adHoc = adHoc;
    n.levelDbm = n.rssiDbm = dbm;
    return n;
}

int Join(Card& card, const std::string& ssid) {
    return card.setSsid(reinterpret_cast<const uint8_t*>(ssid.data()), uint32_t(ssid.size()));
}

struct Row {
    const char* name;
    std::function<void(Card&)> act;
    uint64_t due;
};

class CardScheduleTest : public ::testing::TestWithParam<Row> {};

TEST_P(CardScheduleTest, NextDueTime) {
    Environment env;
    env.networks = {MakeNetwork("Strong", 1, -50), MakeNetwork("Faint", 2, -89), MakeNetwork("Peer", 3, -60, true)};
    Card card(env, kStart, 7700);
    GetParam().act(card);
    EXPECT_EQ(card.nextDueMs(), GetParam().due);
}

const Row kRows[] = {
    {"IdleCardHasNothingDue", [](Card&) {}, Card::kNever},
    {"ScanCompletes", [](Card& c) { c.startFullScan(); }, kStart + 1200},
    {"StrongLinkCannotBeLostByDrift", [](Card& c) { ASSERT_EQ(Join(c, "Strong"), 0); }, Card::kNever},
    {"FaintLinkMayBeLostAtTheNextStep", [](Card& c) { ASSERT_EQ(Join(c, "Faint"), 0); }, kNextDrift},
    {"LinkWhoseNetworkWentIsLostAtTheNextStep",
     [](Card& c) {
         ASSERT_EQ(Join(c, "Strong"), 0);
         c.removeNetwork("Strong");
     },
     kNextDrift},
    {"LinkWhoseSignalFellMayBeLost",
     [](Card& c) {
         ASSERT_EQ(Join(c, "Strong"), 0);
         c.setSignal(*c.findNetwork("Strong"), -90);
     },
     kNextDrift},
    {"AdHocWithAPeerInRangeMayJoin",
     [](Card& c) {
         c.setNetworkMode(0);
         ASSERT_EQ(Join(c, "Lonely"), 4);
         std::string error;
         ASSERT_TRUE(c.addNetwork(MakeNetwork("Lonely", 9, -60, true), error)) << error;
     },
     kNextDrift},
    {"AdHocWithoutAPeerWaitsForNothing",
     [](Card& c) {
         c.setNetworkMode(0);
         ASSERT_EQ(Join(c, "Lonely"), 4);
     },
     Card::kNever},
    {"DriftAndCountersAreWorkedOutWhenAsked",
     [](Card& c) {
         ASSERT_EQ(Join(c, "Strong"), 0);
         c.advanceTo(kStart + 60000);
         EXPECT_GT(c.counters().stats.TransmittedFragmentCount, 0);
     },
     Card::kNever},
    {"CardPulledOutHasNothingDue",
     [](Card& c) {
         ASSERT_EQ(Join(c, "Faint"), 0);
         c.pullOut();
     },
     Card::kNever},
};

INSTANTIATE_TEST_SUITE_P(Rows, CardScheduleTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tembrel::sim
