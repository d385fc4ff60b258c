// The association attempt of the real cards: an outcome settles its own attempt only, once.

#include "tembrel/common/AssociationAttempt.h"

#include <gtest/gtest.h>

#include <thread>

namespace tembrel::abi {
namespace {

using namespace std::chrono_literals;
using Id = AssociationAttempts::Id;

TEST(AssociationAttempt, AnOutcomeSettlesOnlyTheAttemptItNames) {
    struct Row {
        const char* name;
        // What happens between the attempt's start and its wait; returns the outcome it expects.
        std::optional<int> (*between)(AssociationAttempts& a, Id earlier, Id attempt);
    };
    const Row rows[] = {
        {"its own outcome", [](AssociationAttempts& a, Id, Id id) -> std::optional<int> {
             EXPECT_TRUE(a.settle(id, 2));
             return 2;
         }},
        {"the first of two", [](AssociationAttempts& a, Id, Id id) -> std::optional<int> {
             EXPECT_TRUE(a.settle(id, 0));
             EXPECT_FALSE(a.settle(id, 2));
             return 0;
         }},
        {"a late outcome of the attempt before", [](AssociationAttempts& a, Id earlier, Id id) -> std::optional<int> {
             EXPECT_FALSE(a.settle(earlier, 0));
             EXPECT_TRUE(a.settle(id, 1));
             return 1;
         }},
        {"no attempt named", [](AssociationAttempts& a, Id, Id) -> std::optional<int> {
             EXPECT_FALSE(a.settle(AssociationAttempts::kNone, 0));
             return std::nullopt;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AssociationAttempts attempts;
        const Id earlier = attempts.begin();
        EXPECT_EQ(attempts.wait(earlier, 0ms), std::nullopt) << "given up";
        const Id id = attempts.begin();
        EXPECT_EQ(attempts.current(), id);
        const std::optional<int> expected = row.between(attempts, earlier, id);
        EXPECT_EQ(attempts.wait(id, expected ? 60s : 0ms), expected);
        EXPECT_EQ(attempts.current(), AssociationAttempts::kNone);
        EXPECT_FALSE(attempts.settle(id, 0)) << "over once its wait returned";
    }
}

TEST(AssociationAttempt, AWaitEndsWhenSettledFromAnotherThreadOrWhenStopped) {
    AssociationAttempts attempts;
    const Id id = attempts.begin();
    std::thread settler([&] { attempts.settle(id, 4); });
    EXPECT_EQ(attempts.wait(id, 60s), 4);
    settler.join();

    const Id next = attempts.begin();
    std::thread stopper([&] { attempts.stop(); });
    EXPECT_EQ(attempts.wait(next, 60s), std::nullopt);
    stopper.join();
    EXPECT_TRUE(attempts.stopped());
    EXPECT_EQ(attempts.wait(attempts.begin(), 60s), std::nullopt) << "stopped for good";
}

TEST(AssociationAttempt, ANewAttemptEndsTheWaitForTheOneBefore) {
    AssociationAttempts attempts;
    const Id first = attempts.begin();
    std::optional<int> outcome = 0;
    std::thread waiter([&] { outcome = attempts.wait(first, 60s); });
    const Id second = attempts.begin();
    waiter.join();
    EXPECT_EQ(outcome, std::nullopt);
    EXPECT_TRUE(attempts.settle(second, 0));
}

}  // namespace
}  // namespace tembrel::abi
