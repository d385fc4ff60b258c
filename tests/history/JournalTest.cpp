// The journal's folder and its reader: rotation, the limits, a torn line, a full disk, modes.

#include "history/JournalFiles.h"
#include "history/JournalReader.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace tembrel {
namespace {

using namespace std::chrono_literals;
using testing::TempFolder;
namespace fs = std::filesystem;

// 2026-12-08 10:00:00 UTC
const SystemTime kMorning = std::chrono::sys_days{std::chrono::year{2026} / 12 / 8} + 10h;

std::string Line(int i) { return "{\"t\":" + std::to_string(1000 + i) + ",\"k\":\"sample\",\"dbm\":-60}\n"; }

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST(JournalFileName, RoundTripsAndRefusesOtherNames) {
    const SystemTime t = kMorning + 1234ms;
    EXPECT_EQ(JournalFileName(t), "journal-20261208-100001-234.jsonl");
    EXPECT_EQ(JournalFileBegun(JournalFileName(t)), t);
    for (const char* name : {"journal-20261208-100001-234.json", "journal-20261208-100001-234.jsonlx",
                             "Journal-20261208-100001-234.jsonl", "journal-2026120-8100001-234.jsonl", "Data.cfg"})
        EXPECT_FALSE(JournalFileBegun(name)) << name;
}

TEST(JournalFiles, NewFileWhenTheNewestIsFullOrTheDayChanges) {
    TempFolder dir("journal-");
    ASSERT_TRUE(dir.made());
    JournalLimits limits;
    limits.maxBytes = 8 * 4096;  // files of 4096 bytes
    JournalFiles files(dir / "h", limits);
    std::string batch;
    while (batch.size() < 1500) batch += Line(0);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(files.append(batch, kMorning + std::chrono::seconds(i)));
    EXPECT_EQ(ListJournalFiles(dir / "h").size(), 2u);  // two batches fit 4096, the third does not
    ASSERT_TRUE(files.append(Line(1), kMorning + 24h));
    const auto list = ListJournalFiles(dir / "h");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(ReadAll(list[2]), Line(1));
    // Each batch whole in one file.
    EXPECT_EQ(ReadAll(list[0]).size(), 2 * batch.size());
}

TEST(JournalFiles, AfterARestartTodaysNewestFileGoesOn) {
    TempFolder dir("journal-");
    {
        JournalFiles files(dir.path(), {});
        ASSERT_TRUE(files.append(Line(1), kMorning));
    }
    JournalFiles files(dir.path(), {});
    ASSERT_TRUE(files.append(Line(2), kMorning + 1h));
    ASSERT_EQ(ListJournalFiles(dir.path()).size(), 1u);
    EXPECT_EQ(ReadJournal(dir.path()).entries.size(), 2u);
}

struct LimitRow {
    const char* name;
    std::vector<std::pair<SystemTime, std::size_t>> existing;  // begun, bytes
    int maxDays;
    std::int64_t maxBytes;
    std::vector<std::size_t> kept;  // indexes into existing; the new file is always kept
};

class JournalLimitsTest : public ::testing::TestWithParam<LimitRow> {};

TEST_P(JournalLimitsTest, DropsWholeFilesOldestFirst) {
    const LimitRow& row = GetParam();
    TempFolder dir("journal-");
    std::vector<fs::path> made;
    for (const auto& [begun, bytes] : row.existing) {
        made.push_back(dir / JournalFileName(begun));
        WriteFile(made.back(), std::string(bytes - 1, ' ') + "\n");
    }
    JournalLimits limits;
    limits.maxDays = row.maxDays;
    limits.maxBytes = row.maxBytes;
    JournalFiles files(dir.path(), limits);
    ASSERT_TRUE(files.append(Line(0), kMorning + 24h)) << files.error();
    std::vector<fs::path> expected;
    for (std::size_t i : row.kept) expected.push_back(made[i]);
    auto after = ListJournalFiles(dir.path());
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(ReadAll(after.back()), Line(0));
    after.pop_back();
    EXPECT_EQ(after, expected);
}

const SystemTime kDay = kMorning;
INSTANTIATE_TEST_SUITE_P(
    Rows, JournalLimitsTest,
    ::testing::Values(
        LimitRow{"nothing_over", {{kDay - 48h, 100}, {kDay - 24h, 100}}, 30, 1 << 20, {0, 1}},
        // The first file's entries end when the second began, 40 days ago: all older than 30 days.
        LimitRow{"age_drops_files_that_ended_before_the_limit",
                 {{kDay - 50 * 24h, 100}, {kDay - 40 * 24h, 100}, {kDay - 10 * 24h, 100}}, 30, 1 << 20, {1, 2}},
        // A file begun before the limit but still written after it keeps its newer entries.
        LimitRow{"age_keeps_a_file_that_reaches_into_the_window",
                 {{kDay - 31 * 24h, 100}, {kDay - 28 * 24h, 100}}, 30, 1 << 20, {0, 1}},
        LimitRow{"size_drops_the_oldest_until_under",
                 {{kDay - 3 * 24h, 9000}, {kDay - 2 * 24h, 9000}, {kDay - 24h, 9000}}, 30, 20000, {1, 2}},
        LimitRow{"size_and_age_together",
                 {{kDay - 40 * 24h, 9000}, {kDay - 35 * 24h, 9000}, {kDay - 2 * 24h, 9000}, {kDay - 24h, 9000}}, 30,
                 18000 + 200, {2, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JournalFiles, FilesAre0600AndTheFolder0700) {
    TempFolder dir("journal-");
    JournalFiles files(dir / "state" / "Tembrel", {});
    ASSERT_TRUE(files.append(Line(0), kMorning));
    struct stat st {};
    ASSERT_EQ(::stat(ListJournalFiles(dir / "state" / "Tembrel").at(0).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat((dir / "state" / "Tembrel").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(JournalFiles, AFileLeftWithWiderAccessIsNarrowedWhenAppended) {
    TempFolder dir("journal-");
    const fs::path file = dir / JournalFileName(kMorning);
    WriteFile(file, Line(0));
    ::chmod(file.c_str(), 0644);
    JournalFiles files(dir.path(), {});
    ASSERT_TRUE(files.append(Line(1), kMorning + 1s));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A full disk takes part of a batch: the part is cut off again, the batch counted as dropped,
// and the next batch starts on a line of its own.
TEST(JournalFiles, AFullDiskDropsTheBatchAndLeavesNoHalfLine) {
    TempFolder dir("journal-");
    bool full = false;
    JournalFiles files(dir.path(), {}, [&](int fd, const void* data, std::size_t size) -> ssize_t {
        if (!full) return ::write(fd, data, size);
        if (size > 10) return ::write(fd, data, 10);  // what fitted
        errno = ENOSPC;
        return -1;
    });
    ASSERT_TRUE(files.append(Line(1), kMorning));
    full = true;
    EXPECT_FALSE(files.append(Line(2) + Line(3), kMorning + 1s));
    EXPECT_NE(files.error().find("No space left"), std::string::npos) << files.error();
    EXPECT_EQ(files.droppedBatches(), 1u);
    full = false;
    ASSERT_TRUE(files.append(Line(4), kMorning + 2s));
    const JournalRead read = ReadJournal(dir.path());
    EXPECT_EQ(read.skippedLines, 0u);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1]["t"], 1004);
}

TEST(JournalFiles, AnUnwritableFolderIsAnErrorNotACrash) {
    TempFolder dir("journal-");
    WriteFile(dir / "plain-file", "x");
    JournalFiles files(dir / "plain-file" / "Tembrel", {});
    EXPECT_FALSE(files.append(Line(0), kMorning));
    EXPECT_FALSE(files.error().empty());
}

// After a crash the last line may be torn: the reader skips it, and the journal ends it before
// the next batch so that the next entry is not lost with it.
TEST(JournalFiles, ATornLastLineIsSkippedAndTheNextEntryKept) {
    TempFolder dir("journal-");
    const fs::path file = dir / JournalFileName(kMorning);
    WriteFile(file, Line(1) + "{\"t\":1002,\"k\":\"samp");
    JournalRead before = ReadJournal(dir.path());
    EXPECT_EQ(before.entries.size(), 1u);
    EXPECT_EQ(before.skippedLines, 1u);

    JournalFiles files(dir.path(), {});
    ASSERT_TRUE(files.append(Line(3), kMorning + 1s));
    JournalRead after = ReadJournal(dir.path());
    ASSERT_EQ(after.entries.size(), 2u);
    EXPECT_EQ(after.entries[1]["t"], 1003);
    EXPECT_EQ(after.skippedLines, 1u);
}

struct ReadRow {
    const char* name;
    std::string text;
    std::size_t entries;
    std::size_t skipped;
};

class JournalReadTest : public ::testing::TestWithParam<ReadRow> {};

TEST_P(JournalReadTest, KeepsWholeEntriesOnly) {
    std::istringstream in(GetParam().text);
    JournalRead read;
    ReadJournalLines(in, 0, read);
    EXPECT_EQ(read.entries.size(), GetParam().entries);
    EXPECT_EQ(read.skippedLines, GetParam().skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JournalReadTest,
    ::testing::Values(ReadRow{"whole", Line(1) + Line(2), 2, 0},
                      ReadRow{"torn_in_the_middle", Line(1) + "{\"t\":5,\"k\n" + Line(2), 2, 1},
                      ReadRow{"not_an_object", "[1,2]\n\"x\"\n" + Line(1), 1, 2},
                      ReadRow{"time_not_a_number", "{\"t\":\"1\",\"k\":\"x\"}\n", 0, 1},
                      ReadRow{"no_kind", "{\"t\":1}\n", 0, 1},
                      ReadRow{"binary_junk", std::string("\x00\xff\xfe{\n", 5) + Line(1), 1, 1},
                      ReadRow{"overlong_line", "{\"t\":1,\"k\":\"x\",\"p\":\"" + std::string(kMaxLineBytes, 'a') + "\"}\n", 0, 1},
                      ReadRow{"blank_lines_are_not_damage", "\n\n" + Line(1) + "\n", 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JournalReader, SinceLeavesOutOlderEntriesAndFiles) {
    TempFolder dir("journal-");
    WriteFile(dir / JournalFileName(kMorning), Line(1) + Line(2));
    WriteFile(dir / JournalFileName(kMorning + 1h), Line(50) + Line(60));
    const JournalRead read = ReadJournal(dir.path(), 1002);
    ASSERT_EQ(read.entries.size(), 3u);
    EXPECT_EQ(read.entries[0]["t"], 1002);
    EXPECT_EQ(ReadJournal(dir / "missing").entries.size(), 0u);
}

}  // namespace
}  // namespace tembrel
