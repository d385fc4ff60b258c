// When the card next reports something by itself (Card::nextDueMs): the simulation's thread
// sleeps until then, so a card that has nothing to report must name no time at all.
#include "Card.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

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
    {"LinkWhoseNetworkWentIsLostAtTheNextStep",
     [](Card& c) {
         ASSERT_EQ(Join(c, "Strong"), 0);
         c.removeNetwork("Strong");
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

bool Reported(const std::vector<abi::CardEvent>& events, uintptr_t code) {
    for (const abi::CardEvent& e : events) {
        if (e.kind == abi::CardEvent::Kind::Library && e.code == code) return true;
    }
    return false;
}

// A faint link is due at the drift step that loses it, not at every step before: the card
// answers queries meanwhile without moving that time, and loses the link exactly then.
TEST(CardScheduleForecast, FaintLinkIsDueAtTheStepThatLosesIt) {
    for (const int32_t level : {-89, -90, -91}) {
        SCOPED_TRACE(level);
        Environment env;
        env.networks = {MakeNetwork("Strong", 1, -50), MakeNetwork("Faint", 2, level)};
        Card card(env, kStart, 7700);
        ASSERT_EQ(Join(card, "Faint"), 0);
        card.takeEvents();
        const uint64_t due = card.nextDueMs();
        ASSERT_GT(due, kNextDrift) << "with these levels the seed keeps the link past the first step";
        ASSERT_LT(due, kStart + 1000 * Card::kLookAheadSteps);
        for (uint64_t at = kNextDrift; at < due; at += 1000) {
            card.advanceTo(at);
            ASSERT_TRUE(card.connected()) << at;
            ASSERT_TRUE(card.rssi().has_value());
            EXPECT_EQ(card.nextDueMs(), due) << at;
        }
        EXPECT_FALSE(Reported(card.takeEvents(), ZARN9100_EVENT_LINK_LOST));
        card.advanceTo(due);
        EXPECT_FALSE(card.connected());
        EXPECT_TRUE(Reported(card.takeEvents(), ZARN9100_EVENT_LINK_LOST));
        EXPECT_EQ(card.nextDueMs(), Card::kNever);
    }
}

// Changing what the walk ahead was made from makes it again.
TEST(CardScheduleForecast, SignalChangesMoveTheDueTime) {
    Environment env;
    env.networks = {MakeNetwork("Strong", 1, -50)};
    Card card(env, kStart, 7700);
    ASSERT_EQ(Join(card, "Strong"), 0);
    Network& strong = *card.findNetwork("Strong");
    card.setSignal(strong, -95);
    EXPECT_EQ(card.nextDueMs(), kNextDrift) << "out of hearing: lost at the next step";
    card.setSignal(strong, -89);
    const uint64_t faint = card.nextDueMs();
    EXPECT_NE(faint, Card::kNever);
    card.setSignal(strong, -50);
    EXPECT_EQ(card.nextDueMs(), Card::kNever);
    card.setSignal(strong, -89);
    EXPECT_EQ(card.nextDueMs(), faint) << "the same state walks the same way";
}

}  // namespace
}  // namespace tembrel::sim
