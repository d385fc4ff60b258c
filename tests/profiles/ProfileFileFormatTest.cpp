#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "ProfileTestSupport.h"
#include "profiles/ProfileFileFormat.h"

namespace tembrel {
namespace {

using namespace tembrel::test;

PROFILE_RECORD Record(std::string_view name, uint32_t networkType = 1) {
    PROFILE_RECORD r = MakeEmptyProfile();
    SetProfileName(r, name);
    SetProfileSsid(r, std::string(name) + "-net");
    r.networkType = networkType;
    r.txRate = 108;
    return r;
}

TEST(ScrambleRecord, IsItsOwnInverseAndUsesTwoAlternatingBytes) {
    Bytes original(sizeof(PROFILE_RECORD));
    std::iota(original.begin(), original.end(), uint8_t{0});
    Bytes scrambled = original;
    ScrambleRecord(scrambled);
    EXPECT_NE(scrambled, original);
    // Equal bytes at even offsets scramble alike, and likewise at odd offsets.
    Bytes zeros(6, 0);
    ScrambleRecord(zeros);
    EXPECT_EQ(zeros[0], zeros[2]);
    EXPECT_EQ(zeros[2], zeros[4]);
    EXPECT_EQ(zeros[1], zeros[3]);
    EXPECT_EQ(zeros[3], zeros[5]);
    EXPECT_NE(zeros[0], 0);
    EXPECT_NE(zeros[1], 0);
    for (std::size_t i = 0; i < original.size(); ++i)
        ASSERT_EQ(scrambled[i], original[i] ^ zeros[i % 2]) << i;
    ScrambleRecord(scrambled);
    EXPECT_EQ(scrambled, original);
}

TEST(SerializeProfiles, WritesLengthAndScrambledRecordPerEntry) {
    ProfileSequence records{NewProfileCopy(Record("Office")), NewDefaultProfile(), NewProfileCopy(Record("<Site Survey>"))};
    const auto all = SerializeProfiles(records, true);
    ASSERT_EQ(all.bytes.size(), 3 * kEntryBytes);
    EXPECT_EQ(all.records, 3u);
    EXPECT_EQ(Bytes(all.bytes.begin(), all.bytes.begin() + 4), (Bytes{0x18, 0x03, 0, 0}));  // 792
    EXPECT_EQ(all.bytes, Concat({Entry(Record("Office")), Entry(MakeDefaultProfile()), Entry(Record("<Site Survey>"))}));

    const auto exported = SerializeProfiles(records, false);
    EXPECT_EQ(exported.records, 1u);
    EXPECT_EQ(exported.bytes, Entry(Record("Office")));
}

struct ParseCase {
    const char* label;
    Bytes image;
    StoreStatus status;
    std::vector<std::string> names;
};

class ParseProfileFileCases : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseProfileFileCases, Reads) {
    ProfileSequence out{test::Named("existing")};
    const StoreResult result = ParseProfileFile(GetParam().image, out);
    EXPECT_EQ(result.status, GetParam().status);
    std::vector<std::string> expected{"existing"};
    expected.insert(expected.end(), GetParam().names.begin(), GetParam().names.end());
    EXPECT_EQ(Names(out), expected);
    EXPECT_EQ(result.records, GetParam().names.size());
    EXPECT_EQ(result.ok(), result.reason.empty());
}

Bytes Cut(Bytes b, std::size_t drop) {
    b.resize(b.size() - drop);
    return b;
}

const Bytes kA = Entry(Record("A"));
const Bytes kB = Entry(Record("B"));
const Bytes kC = Entry(Record("C"));
const Bytes kD = Entry(Record("D"));

// `image` with `count` bytes from `from` on replaced by `with` (zeros when empty), as damage leaves it.
Bytes Damaged(Bytes image, std::size_t from, std::size_t count, Bytes with = {}) {
    if (with.empty()) with.assign(count, 0);
    std::copy(with.begin(), with.end(), image.begin() + static_cast<std::ptrdiff_t>(from));
    return image;
}

INSTANTIATE_TEST_SUITE_P(
    Images, ParseProfileFileCases,
    ::testing::Values(
        ParseCase{"empty", {}, StoreStatus::Ok, {}},
        ParseCase{"three", Concat({kA, kB, kC}), StoreStatus::Ok, {"A", "B", "C"}},
        ParseCase{"zero length at the end", Concat({kA, Bytes{0, 0, 0, 0}}), StoreStatus::Ok, {"A"}},
        // A length of 0 still ends the list, but the bytes behind it were not read.
        ParseCase{"zero length ends", Concat({kA, Bytes{0, 0, 0, 0}, kB}), StoreStatus::PartlyRead, {"A"}},
        ParseCase{"zero length first", Concat({Bytes{0, 0, 0, 0}, kA}), StoreStatus::PartlyRead, {}},
        ParseCase{"zeroed block", Concat({kA, Bytes(4096, 0), kB, kC}), StoreStatus::PartlyRead, {"A"}},
        ParseCase{"length swallows the next entries", Concat({Entry(Record("A"), 796 * 2 + 792), kB}),
                  StoreStatus::PartlyRead, {"A", "B"}},
        ParseCase{"cut in third body", Cut(Concat({kA, kB, kC}), 100), StoreStatus::Truncated, {"A", "B"}},
        ParseCase{"third body missing", Cut(Concat({kA, kB, kC}), 792), StoreStatus::Truncated, {"A", "B"}},
        ParseCase{"cut in length field", Cut(Concat({kA, kB}), 794), StoreStatus::Truncated, {"A"}},
        ParseCase{"one stray byte", Concat({kA, Bytes{7}}), StoreStatus::Truncated, {"A"}},
        ParseCase{"short record", Entry(Record("Short"), 40), StoreStatus::PartlyRead, {"Short"}},
        ParseCase{"odd length", Concat({Entry(Record("Odd"), 41), kB}), StoreStatus::PartlyRead, {"Odd", "B"}},
        ParseCase{"long record keeps 792", Concat({Entry(Record("Long"), 900), kB}), StoreStatus::PartlyRead,
                  {"Long", "B"}},
        ParseCase{"huge length", Concat({kA, Bytes{0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3}}), StoreStatus::Truncated, {"A"}},
        ParseCase{"long record cut", Cut(Concat({kA, Entry(Record("Long"), 900)}), 50), StoreStatus::Truncated,
                  {"A"}},
        // Damage in place: the records it cut are left out, those behind it come back.
        ParseCase{"zeroed block across two records", Damaged(Concat({kA, kB, kC, kD}), 1000, 1024),
                  StoreStatus::PartlyRead, {"A", "D"}},
        ParseCase{"zeroed sector inside a body", Damaged(Concat({kA, kB, kC}), 900, 512), StoreStatus::PartlyRead,
                  {"A", "C"}},
        ParseCase{"zeroed tail of a record and the next length", Damaged(Concat({kA, kB, kC, kD}), 796 + 796 - 5, 9),
                  StoreStatus::PartlyRead, {"A", "D"}},
        ParseCase{"wrong length in the middle", Damaged(Concat({kA, kB, kC}), 796, 4, {0xFF, 0xFF, 0xFF, 0x7F}),
                  StoreStatus::Truncated, {"A", "C"}},
        ParseCase{"record with impossible fields behind a zero length",
                  Concat({kA, Bytes{0, 0, 0, 0}, Bytes(792, 0x11), Bytes{0x18, 0x03, 0, 0}, Bytes(792, 0x33), kB}),
                  StoreStatus::PartlyRead, {"A", "B"}}),
    [](const auto& info) {
        std::string name = info.param.label;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(ParseProfileFile, ShortRecordLeavesUnreachedFieldsZero) {
    PROFILE_RECORD r = Record("Short");
    ProfileSequence out;
    ASSERT_EQ(ParseProfileFile(Entry(r, 81), out).status, StoreStatus::PartlyRead);  // name, ssid and one byte of networkType
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(ProfileSsid(*out[0]), "Short-net");
    EXPECT_EQ(out[0]->networkType, 1u);
    EXPECT_EQ(out[0]->txRate, 0u);
}

TEST(ParseProfileFile, OddLengthUnscramblesOnlyItsBytes) {
    PROFILE_RECORD r = Record("Odd");
    r.adHocWirelessMode = 2;  // offset 74
    r.reserved1[0] = 9;       // offset 75: beyond a 75-byte entry, must stay zero
    ProfileSequence out;
    ASSERT_EQ(ParseProfileFile(Entry(r, 75), out).status, StoreStatus::PartlyRead);
    EXPECT_EQ(out[0]->adHocWirelessMode, 2);
    EXPECT_EQ(out[0]->reserved1[0], 0);
}

TEST(ParseProfileFile, LongEntryKeepsTheWholeRecordAndSkipsTheTail) {
    PROFILE_RECORD r = Record("Long");
    SetText(r.anonymousName, "outer");
    Bytes entry = Entry(r, 800);
    std::fill(entry.end() - 8, entry.end(), 0xEE);
    ProfileSequence out;
    ASSERT_EQ(ParseProfileFile(Concat({entry, kB}), out).status, StoreStatus::PartlyRead);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(std::memcmp(out[0].get(), &r, sizeof r), 0);
}

TEST(ParseProfileFile, UnterminatedTextIsCutInsideItsField) {
    PROFILE_RECORD r = Record("x");
    std::memset(r.name, 'n', sizeof r.name);
    std::memset(r.ssid, 's', sizeof r.ssid);
    ProfileSequence out;
    ASSERT_TRUE(ParseProfileFile(Entry(r), out).ok());
    EXPECT_EQ(ProfileName(*out[0]), std::string(39, 'n'));
    EXPECT_EQ(std::strlen(out[0]->name), 39u);
}

TEST(ParseProfileFile, RoundTripKeepsEveryByte) {
    PROFILE_RECORD r = Record("Full");
    r.wep.txKeyIndex = 3;
    r.wep.keys[2].length = 13;
    std::memset(r.wep.keys[2].material, 0xAB, 13);
    SetText(r.passphrase, "correct horse battery staple");
    r.passphraseLength = 28;
    std::memset(r.certificateHash, 0x77, sizeof r.certificateHash);
    r.reserved3[5] = 0x42;
    ProfileSequence in{NewProfileCopy(r), NewDefaultProfile()};
    ProfileSequence out;
    ASSERT_TRUE(ParseProfileFile(SerializeProfiles(in, true).bytes, out).ok());
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(std::memcmp(out[0].get(), &r, sizeof r), 0);
    const PROFILE_RECORD def = MakeDefaultProfile();
    EXPECT_EQ(std::memcmp(out[1].get(), &def, sizeof def), 0);
}

// The user is told how many records the damage took.
TEST(ParseProfileFile, CountsTheDamagedRecords) {
    const std::pair<Bytes, std::size_t> rows[] = {
        {Damaged(Concat({kA, kB, kC, kD}), 1000, 1024), 2},
        {Damaged(Concat({kA, kB, kC}), 900, 512), 1},
        {Concat({kA, kB}), 0},
    };
    for (const auto& [image, damaged] : rows) {
        ProfileSequence out;
        const StoreResult result = ParseProfileFile(image, out);
        EXPECT_EQ(result.damaged, damaged);
        EXPECT_EQ(result.records, out.size());
    }
}

TEST(ParseProfileFile, StopsAtTheRecordLimit) {
    Bytes image;
    const Bytes tiny{1, 0, 0, 0, 0};
    for (std::size_t i = 0; i <= kMaxRecordsPerFile; ++i) image.insert(image.end(), tiny.begin(), tiny.end());
    ProfileSequence out;
    const StoreResult result = ParseProfileFile(image, out);
    EXPECT_EQ(result.status, StoreStatus::TooManyRecords);
    EXPECT_EQ(out.size(), kMaxRecordsPerFile);
}

}  // namespace
}  // namespace tembrel
