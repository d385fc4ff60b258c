#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "ProfileTestSupport.h"
#include "profiles/ImportNormalize.h"

namespace tembrel {
namespace {

using namespace tembrel::test;
using V = std::vector<std::string>;

const std::string k38(38, 'x');
const std::string k39(39, 'x');

TEST(NextProfileName, Rules) {
    const std::pair<std::string, std::string> cases[] = {
        {"Net1", "Net2"},
        {"Net8", "Net9"},
        {"Net0", "Net1"},
        {"Net19", "Net20"},
        {"Net09", "Net10"},
        {"Home9", "Home10"},
        {"9", "10"},
        {"Home", "Home2"},
        {"", "2"},
        {"A99", "A100"},
        {"99", "100"},
        {"Net199", "Net200"},
        {"v2.9", "v2.10"},
        {k39, k38 + "2"},
        {k38 + "9", std::string(37, 'x') + "10"},
        {std::string(37, 'x') + "99", std::string(36, 'x') + "100"},
        {k38 + "5", k38 + "6"},
        {std::string(39, '9'), std::string(39, '0')},
        // The cut never splits a multi-byte character.
        {std::string(37, 'x') + "\xC3\xA9", std::string(37, 'x') + "2"},
    };
    for (const auto& [name, next] : cases) {
        const std::string got = NextProfileName(name);
        EXPECT_EQ(got, next) << name;
        EXPECT_LE(got.size(), 39u) << name;
    }
}

struct NormalizeCase {
    const char* label;
    std::vector<std::pair<std::string, uint32_t>> records;
    V expected;
};

ProfileSequence Build(const NormalizeCase& c) {
    ProfileSequence records;
    for (const auto& [name, type] : c.records) records.push_back(Named(name, type));
    return records;
}

TEST(NormalizeImportedProfiles, Cases) {
    const NormalizeCase cases[] = {
        {"empty", {}, {}},
        {"twins renamed", {{"Office", 1}, {"Net1", 1}, {"Office", 1}, {"Net1", 1}}, {"Office", "Net1", "Office2", "Net2"}},
        {"three of a name", {{"A", 1}, {"A", 1}, {"A", 1}}, {"A", "A2", "A3"}},
        {"nineteen", {{"Net19", 1}, {"Net19", 1}}, {"Net19", "Net20"}},
        {"nine", {{"Home9", 1}, {"Home9", 1}, {"Home9", 1}}, {"Home9", "Home10", "Home11"}},
        {"names compare exactly", {{"home", 1}, {"Home", 1}}, {"home", "Home"}},
        {"sorted first", {{"Cafe", 0}, {"Office", 1}, {"Cafe", 0}, {"Lab", 1}}, {"Office", "Lab", "Cafe", "Cafe2"}},
        // The documented walk only renames later records: an earlier A2 keeps its twin.
        {"earlier collision left alone", {{"A2", 1}, {"A", 1}, {"A", 1}}, {"A2", "A", "A2"}},
        {"second default dropped", {{"<Default>", 1}, {"X", 1}, {"<Default>", 1}, {"<Default>", 1}}, {"<Default>", "X"}},
        {"ad-hoc default dropped", {{"<Default>", 0}, {"<Default>", 1}}, {"<Default>"}},
        // Beyond the plain rules the new name also avoids every name in the list.
        {"ninety-nine", {{"A99", 1}, {"A99", 1}, {"A99", 1}}, {"A99", "A100", "A101"}},
        {"ninety-nine avoids", {{"A100", 1}, {"A99", 1}, {"A99", 1}}, {"A100", "A99", "A101"}},
        {"long name", {{k39, 1}, {k39, 1}, {k39, 1}}, {k39, k38 + "2", k38 + "3"}},
        {"long name avoids", {{k38 + "2", 1}, {k39, 1}, {k39, 1}}, {k38 + "2", k39, k38 + "3"}},
    };
    for (const auto& c : cases) {
        ProfileSequence records = Build(c);
        NormalizeImportedProfiles(records);
        EXPECT_EQ(Names(records), c.expected) << c.label;
    }
}

TEST(NormalizeImportedProfiles, ImportedInfrastructureGoesBeforeTheFirstAdHoc) {
    ProfileList list({Named("Home"), Named("<Default>"), Named("Cafe", 0)});
    list.Append(Named("Lab", 0));
    list.Append(Named("Work", 1));
    NormalizeImportedProfiles(list);
    EXPECT_EQ(Names(list), (V{"Home", "<Default>", "Work", "Cafe", "Lab"}));
}

TEST(NormalizeImportedProfiles, KeepsTheFirstDefaultRecord) {
    ProfilePtr ours = NewDefaultProfile();
    ProfilePtr theirs = NewDefaultProfile();
    ProfileSequence records{ours, Named("X"), theirs};
    NormalizeImportedProfiles(records);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], ours);
}

// Importing the same list again and again: every duplicate ends with a name of its own and no
// record of the list before the import is lost, however long or numbered the names are.
TEST(NormalizeImportedProfiles, RepeatedImportsKeepEveryRecordAndNameThemApart) {
    const V seed{"A99", k39, std::string(39, '9'), k38 + "9", "Net1", "Home"};
    ProfileSequence records;
    for (const auto& n : seed) records.push_back(Named(n));
    for (int round = 0; round < 6; ++round) {
        const ProfileSequence before = records;
        ProfileSequence imported;
        for (const auto& n : seed) imported.push_back(Named(n));
        records.insert(records.end(), imported.begin(), imported.end());
        NormalizeImportedProfiles(records);
        ASSERT_EQ(records.size(), before.size() + seed.size()) << round;
        for (const auto& p : before)
            EXPECT_NE(std::find(records.begin(), records.end(), p), records.end()) << round;
        const V names = Names(records);
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size()) << round;
        for (const auto& n : names) EXPECT_LE(n.size(), 39u);
    }
}

}  // namespace
}  // namespace tembrel
