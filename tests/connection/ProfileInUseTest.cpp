#include "tests/connection/ConnectorFixture.h"

#include <string>
#include <vector>

namespace tembrel::testing {
namespace {

class ProfileInUseTest : public ConnectorTest {
protected:
    // Builds the list from (name, networkType) pairs.
    void fill(const std::vector<std::pair<std::string, uint32_t>>& entries) {
        for (const auto& [name, type] : entries) profiles.Append(MakeProfile(name, name + "-net", type));
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& p : profiles.Snapshot()) out.emplace_back(ProfileName(*p));
        return out;
    }
};

struct MoveCase {
    const char* name;
    std::vector<std::pair<std::string, uint32_t>> list;
    std::string applied;
    std::vector<std::string> after;
};

class ListMoves : public ProfileInUseTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(ListMoves, MovesTheProfileAsDocumented) {
    fill(GetParam().list);
    const auto profile = profiles.FindByName(GetParam().applied);
    ASSERT_TRUE(profile);
    connector.SetProfileInUse(profile);
    EXPECT_EQ(names(), GetParam().after);
    EXPECT_EQ(connector.profileInUse(), profile);
    EXPECT_EQ(profile->inPreferList, 1u);
    EXPECT_EQ(calls(), std::vector<std::string>{"SetProfileInUse(h, \"" + GetParam().applied + "\", " +
                                                std::to_string(GetParam().applied.size()) + ")"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListMoves,
    ::testing::Values(
        MoveCase{"InfrastructureAtIndex3ToHead", {{"I0", 1}, {"I1", 1}, {"I2", 1}, {"I3", 1}}, "I3",
                 {"I3", "I0", "I1", "I2"}},
        MoveCase{"InfrastructureBehindAdHocToHead", {{"I0", 1}, {"A0", 0}, {"I1", 1}}, "I1", {"I1", "I0", "A0"}},
        MoveCase{"HeadStaysHead", {{"I0", 1}, {"I1", 1}}, "I0", {"I0", "I1"}},
        MoveCase{"AdHocAmongInfrastructureOnlyToEnd", {{"A", 0}, {"I0", 1}, {"I1", 1}}, "A", {"I0", "I1", "A"}},
        MoveCase{"AdHocAheadOfOtherAdHoc", {{"I0", 1}, {"A0", 0}, {"A1", 0}, {"A2", 0}}, "A2",
                 {"I0", "A2", "A0", "A1"}},
        MoveCase{"AdHocStopsAtOtherType", {{"I0", 1}, {"X", 7}, {"I1", 1}, {"A", 0}}, "A", {"I0", "A", "X", "I1"}},
        MoveCase{"OtherTypeStays", {{"I0", 1}, {"X", 7}, {"I1", 1}}, "X", {"I0", "X", "I1"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileInUseTest, NullSetsOneSpace) {
    fill({{"I0", 1}});
    connector.SetProfileInUse(profiles.At(0));
    driver.clearCalls();
    connector.SetProfileInUse(nullptr);
    EXPECT_EQ(connector.profileInUse(), nullptr);
    EXPECT_EQ(calls(), std::vector<std::string>{"SetProfileInUse(h, \" \", 1)"});
}

TEST_F(ProfileInUseTest, ProfileOutsideTheListIsMarkedButNothingMoves) {
    fill({{"I0", 1}, {"I1", 1}});
    auto outside = MakeProfile("Out", "OutNet", 1);
    connector.SetProfileInUse(outside);
    EXPECT_EQ(names(), (std::vector<std::string>{"I0", "I1"}));
    EXPECT_EQ(connector.profileInUse(), outside);
    EXPECT_EQ(outside->inPreferList, 1u);
    EXPECT_EQ(calls(), std::vector<std::string>{"SetProfileInUse(h, \"Out\", 3)"});
}

TEST_F(ProfileInUseTest, SyncAdoptsTheLibrarysProfile) {
    fill({{"I0", 1}, {"Office", 1}, {"Office", 1}});
    const auto first = profiles.At(1);
    driver.setOutText("QueryProfileInUse", "Office");
    connector.SyncProfileInUse();
    EXPECT_EQ(connector.profileInUse(), first);
    EXPECT_EQ(profiles.At(0), first);
    EXPECT_EQ(calls(), (std::vector<std::string>{"QueryProfileInUse(h, out, 40)", "SetProfileInUse(h, \"Office\", 6)"}));
}

TEST_F(ProfileInUseTest, SyncWithoutMatchChangesNothing) {
    fill({{"I0", 1}, {"I1", 1}});
    connector.SetProfileInUse(profiles.At(1));
    driver.clearCalls();
    driver.setOutText("QueryProfileInUse", "i0");  // names compare byte for byte
    connector.SyncProfileInUse();
    EXPECT_EQ(connector.profileInUse(), profiles.At(0));
    EXPECT_EQ(ProfileName(*connector.profileInUse()), "I1");
    EXPECT_EQ(calls(), std::vector<std::string>{"QueryProfileInUse(h, out, 40)"});
}

TEST_F(ProfileInUseTest, SyncWithoutCardMakesNoCall) {
    fill({{"I0", 1}});
    closeHandle();
    connector.SyncProfileInUse();
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(connector.profileInUse(), nullptr);
}

TEST_F(ProfileInUseTest, ConnectMovesTheAppliedProfileBeforeConfiguring) {
    fill({{"I0", 1}, {"I1", 1}, {"I2", 1}, {"I3", 1}});
    connector.ConnectProfile(profiles.At(3));
    EXPECT_EQ(names(), (std::vector<std::string>{"I3", "I0", "I1", "I2"}));
}

}  // namespace
}  // namespace tembrel::testing
