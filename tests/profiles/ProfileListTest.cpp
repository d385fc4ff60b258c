#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "profiles/ProfileList.h"
#include "profiles/ProfileText.h"

namespace tembrel {
namespace {

ProfilePtr Named(std::string_view name, uint32_t networkType = ZARN9100_NETWORK_INFRASTRUCTURE) {
    ProfilePtr p = NewEmptyProfile();
    SetProfileName(*p, name);
    p->networkType = networkType;
    return p;
}

std::vector<std::string> Names(const ProfileSequence& records) {
    std::vector<std::string> names;
    for (const auto& p : records) names.emplace_back(ProfileName(*p));
    return names;
}

std::vector<std::string> Names(const ProfileList& list) { return Names(list.Snapshot()); }

using V = std::vector<std::string>;

TEST(ProfileList, IndexedEditing) {
    ProfileList list;
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(list.At(0), nullptr);
    EXPECT_TRUE(list.Append(Named("A")));
    EXPECT_TRUE(list.Append(Named("C")));
    EXPECT_TRUE(list.Insert(1, Named("B")));
    EXPECT_TRUE(list.Insert(3, Named("D")));
    EXPECT_FALSE(list.Insert(5, Named("E")));
    EXPECT_FALSE(list.Append(nullptr));
    EXPECT_FALSE(list.Insert(0, nullptr));
    EXPECT_EQ(Names(list), (V{"A", "B", "C", "D"}));
    EXPECT_EQ(list.Count(), 4u);

    ProfilePtr removed = list.RemoveAt(1);
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(ProfileName(*removed), "B");
    EXPECT_EQ(list.RemoveAt(3), nullptr);
    EXPECT_EQ(Names(list), (V{"A", "C", "D"}));
    EXPECT_EQ(ProfileName(*list.At(2)), "D");

    EXPECT_TRUE(list.ReplaceAt(0, Named("Z")));
    EXPECT_FALSE(list.ReplaceAt(3, Named("Y")));
    EXPECT_FALSE(list.ReplaceAt(0, nullptr));
    EXPECT_EQ(Names(list), (V{"Z", "C", "D"}));

    EXPECT_TRUE(list.Remove(list.At(1).get()));
    EXPECT_FALSE(list.Remove(removed.get()));
    EXPECT_EQ(Names(list), (V{"Z", "D"}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
}

TEST(ProfileList, FindByNameIsExactAndFirstMatch) {
    ProfileList list({Named("Home"), Named("home"), Named("Home"), Named("Home2")});
    EXPECT_EQ(list.IndexOfName("Home"), 0u);
    EXPECT_EQ(list.IndexOfName("home"), 1u);
    EXPECT_EQ(list.IndexOfName("Home2"), 3u);
    EXPECT_EQ(list.IndexOfName("HOME"), std::nullopt);
    EXPECT_EQ(list.IndexOfName("Hom"), std::nullopt);
    EXPECT_EQ(list.FindByName("Home"), list.At(0));
    EXPECT_EQ(list.FindByName("nothing"), nullptr);
}

TEST(ProfileList, ConstructionAndAssignDropNulls) {
    ProfileList list({Named("A"), nullptr, Named("B")});
    EXPECT_EQ(Names(list), (V{"A", "B"}));
    list.Assign({nullptr, Named("C")});
    EXPECT_EQ(Names(list), (V{"C"}));
    list.Edit([](ProfileSequence& s) { s.push_back(nullptr); });
    EXPECT_EQ(list.Count(), 1u);
}

struct MoveCase {
    std::size_t from, to;
    V expected;
    bool ok;
};

TEST(ProfileList, Move) {
    const MoveCase cases[] = {
        {3, 0, {"D", "A", "B", "C"}, true}, {0, 3, {"B", "C", "D", "A"}, true}, {1, 2, {"A", "C", "B", "D"}, true},
        {2, 1, {"A", "C", "B", "D"}, true}, {2, 2, {"A", "B", "C", "D"}, true}, {4, 0, {"A", "B", "C", "D"}, false},
        {0, 4, {"A", "B", "C", "D"}, false},
    };
    for (const auto& c : cases) {
        ProfileList list({Named("A"), Named("B"), Named("C"), Named("D")});
        EXPECT_EQ(list.Move(c.from, c.to), c.ok) << c.from << "->" << c.to;
        EXPECT_EQ(Names(list), c.expected) << c.from << "->" << c.to;
    }
}

TEST(ProfileList, MoveRecordFindsByIdentity) {
    ProfileList list({Named("A"), Named("B"), Named("B")});
    const ProfilePtr secondB = list.At(2);
    EXPECT_TRUE(list.MoveRecord(secondB.get(), 0));
    EXPECT_EQ(list.At(0), secondB);
    EXPECT_EQ(list.IndexOf(secondB.get()), 0u);
    const ProfilePtr stranger = Named("B");
    EXPECT_FALSE(list.MoveRecord(stranger.get(), 0));
    EXPECT_EQ(list.IndexOf(stranger.get()), std::nullopt);
}

// Move Up / Move Down: by identity, since the supervisor may have reordered the list meanwhile.
TEST(ProfileList, StepsFindTheRecordAndKeepInfrastructureFirst) {
    ProfileList list({Named("A"), Named("B"), Named("C"), Named("X", ZARN9100_NETWORK_ADHOC)});
    const ProfilePtr b = list.At(1), c = list.At(2), x = list.At(3);
    list.Move(2, 0);  // the supervisor put C first: C A B X
    EXPECT_FALSE(list.Step(b.get(), +1));  // B was second on screen, but would pass the Ad-Hoc X now
    EXPECT_FALSE(list.Step(x.get(), -1));
    EXPECT_FALSE(list.Step(c.get(), -1));
    EXPECT_FALSE(list.Step(x.get(), +1));
    EXPECT_EQ(Names(list), (V{"C", "A", "B", "X"}));
    EXPECT_TRUE(list.Step(b.get(), -1));
    EXPECT_TRUE(list.Step(c.get(), +1));
    EXPECT_EQ(Names(list), (V{"B", "C", "A", "X"}));
    EXPECT_FALSE(list.Step(Named("Gone").get(), -1));
}

TEST(ProfileList, RemovedRecordStaysValidForItsHolder) {
    ProfileList list({Named("Office"), Named("Cafe")});
    const ProfileSequence held = list.Snapshot();
    list.Clear();
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(ProfileName(*held[1]), "Cafe");
}

// The documented back-to-front walk, step by step, as the reference for the sort.
void ReferenceSort(std::vector<uint32_t>& types, std::vector<int>& ids) {
    if (types.empty()) return;
    std::size_t i = types.size() - 1;
    auto swapAt = [&](std::size_t a, std::size_t b) {
        std::swap(types[a], types[b]);
        std::swap(ids[a], ids[b]);
    };
    while (i > 0) {
        if (types[i] == 1) {
            if (types[i - 1] == 1) {
                --i;
            } else {
                swapAt(i, i - 1);
            }
        } else if (types[i] == 0) {
            if (i == types.size() - 1 || types[i + 1] == 0) {
                --i;
            } else {
                swapAt(i, i + 1);
                ++i;
            }
        } else {
            --i;
        }
    }
}

ProfileSequence FromTypes(const std::vector<uint32_t>& types) {
    ProfileSequence records;
    for (std::size_t i = 0; i < types.size(); ++i) records.push_back(Named(std::to_string(i), types[i]));
    return records;
}

struct SortCase {
    const char* label;
    std::vector<uint32_t> types;
    V expected;
};

TEST(SortProfilesByNetworkType, DocumentedCases) {
    const SortCase cases[] = {
        {"empty", {}, {}},
        {"one ad-hoc", {0}, {"0"}},
        {"A B C D", {0, 1, 0, 1}, {"1", "3", "0", "2"}},
        {"already sorted", {1, 1, 0, 0}, {"0", "1", "2", "3"}},
        {"reversed groups", {0, 0, 1, 1}, {"2", "3", "0", "1"}},
        // Other network types: infrastructure records still bubble ahead of them, and an
        // ad-hoc record only moves back once the walk reaches it.
        {"other before infra", {7, 1}, {"1", "0"}},
        {"ad-hoc then other", {0, 7}, {"0", "1"}},
        {"two ad-hoc then other", {0, 0, 7}, {"0", "2", "1"}},
        {"ad-hoc other infra", {0, 7, 1}, {"2", "1", "0"}},
        {"other ad-hoc infra", {7, 0, 1}, {"2", "0", "1"}},
    };
    for (const auto& c : cases) {
        ProfileList list(FromTypes(c.types));
        list.SortByNetworkType();
        EXPECT_EQ(Names(list), c.expected) << c.label;
    }
}

TEST(SortProfilesByNetworkType, MatchesTheBackToFrontWalk) {
    std::mt19937 rng(4711);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t n = rng() % 12;
        const bool withOthers = round % 2 == 1;
        std::vector<uint32_t> types(n);
        for (auto& t : types) t = withOthers ? static_cast<uint32_t>(rng() % 3) * 3 % 7 : rng() % 2;
        std::vector<int> ids(n);
        for (std::size_t i = 0; i < n; ++i) ids[i] = static_cast<int>(i);
        ProfileSequence records = FromTypes(types);
        ReferenceSort(types, ids);
        SortProfilesByNetworkType(records);
        ASSERT_EQ(records.size(), n);
        for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(ProfileName(*records[i]), std::to_string(ids[i])) << round;
    }
}

// The supervisor walks snapshots and looks records up while the user-interface thread edits.
TEST(ProfileListConcurrency, EditsAndWalksInterleave) {
    ProfileList list;
    for (int i = 0; i < 20; ++i) list.Append(Named("P" + std::to_string(i), i % 2));
    std::atomic<bool> done{false};
    std::atomic<int> walks{0};
    std::thread walker([&] {
        while (!done.load()) {
            for (const auto& p : list.Snapshot())
                EXPECT_FALSE(list.Read([&](const ProfileSequence&) { return ProfileName(*p).empty(); }));
            if (auto p = list.FindByName("P3")) {
                EXPECT_EQ(p->networkType, 1u);
            }
            list.MoveRecord(list.At(list.Count() / 2).get(), 0);
            ++walks;
        }
    });
    // Keep editing until the walker has run alongside for a while (bounded by a generous limit).
    for (int round = 0; round < 400 || (walks.load() < 100 && round < 2'000'000); ++round) {
        list.Append(Named("N" + std::to_string(round), round % 2));
        list.SortByNetworkType();
        list.Edit([&](ProfileSequence& records) { records.front()->inPreferList = 1; });
        list.RemoveAt(list.Count() - 1);
    }
    done = true;
    walker.join();
    EXPECT_EQ(list.Count(), 20u);
    EXPECT_GE(walks.load(), 100);
}

}  // namespace
}  // namespace tembrel
