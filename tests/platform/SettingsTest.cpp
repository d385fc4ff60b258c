#include "tests/support/MemorySettings.h"
#include "platform/Settings.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace tembrel {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class IniSettingsTest : public testing::Test {
protected:
    QTemporaryDir dir_;
    fs::path file_ = fs::path(dir_.path().toStdString()) / "Tembrel.ini";
    IniSettings settings_{file_};

    void ExpectAllDefaults() {
        for (const SettingKey& key : settings::kAll) {
            EXPECT_EQ(settings_.read(key), key.defaultValue) << key.section << "/" << key.key;
        }
    }
};

TEST(SettingKeysTest, TableHasEveryKeyOnceWithItsDefault) {
    std::set<std::pair<std::string_view, std::string_view>> seen;
    for (const SettingKey& key : settings::kAll) EXPECT_TRUE(seen.insert({key.section, key.key}).second);
    EXPECT_EQ(settings::kAll.size(), 18u);  // with the four [History] keys
    EXPECT_EQ(settings::kAutoConfiguration.key, "Auto Configuration");
    EXPECT_EQ(settings::kAutoConfiguration.defaultValue, 1);
    EXPECT_EQ(settings::kLastChan.defaultValue, 11);
    EXPECT_EQ(settings::kWepKeyFmt.section, "Security");
    EXPECT_EQ(settings::kTestPage.defaultValue, 0);
}

TEST_F(IniSettingsTest, MissingFileGivesDefaults) { ExpectAllDefaults(); }

TEST_F(IniSettingsTest, FileWithoutAdvancedSectionGivesItsDefaults) {
    WriteFile(file_, "[Debug]\nTrace=1\nFirstChan=5\n");
    EXPECT_EQ(settings_.read(settings::kAutoConfiguration), 1);
    EXPECT_EQ(settings_.read(settings::kAutoLink), 1);
    EXPECT_EQ(settings_.read(settings::kFirstChan), 1);
    EXPECT_EQ(settings_.read(settings::kLastChan), 11);
    EXPECT_EQ(settings_.read(settings::kTrace), 1);
}

TEST_F(IniSettingsTest, EveryKeyRoundTripsAsDecimalText) {
    int value = -3;
    for (const SettingKey& key : settings::kAll) ASSERT_TRUE(settings_.write(key, value += 7));
    value = -3;
    for (const SettingKey& key : settings::kAll) EXPECT_EQ(settings_.read(key), value += 7) << key.key;

    const std::string text = ReadFile(file_);
    EXPECT_NE(text.find("[Advanced]\nAuto Configuration=4\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("%20"), std::string::npos);
    // One header per section however many keys were written.
    for (const char* header : {"[Advanced]", "[Debug]", "[Security]"}) {
        EXPECT_EQ(text.find(header), text.rfind(header)) << header;
    }
}

TEST_F(IniSettingsTest, NegativeAndExtremeValuesRoundTrip) {
    for (int v : {0, -1, 2147483647, -2147483647 - 1}) {
        ASSERT_TRUE(settings_.write(settings::kBoostMode, v));
        EXPECT_EQ(settings_.read(settings::kBoostMode), v);
    }
}

TEST_F(IniSettingsTest, WriteKeepsOtherLinesAndSections) {
    const std::string before =
        "; written by hand\r\n[Advanced]\r\nAuto Configuration = 0\r\nColour=blue\r\n\r\n"
        "[Mine]\r\nLastChan=99\r\n";
    WriteFile(file_, before);
    ASSERT_TRUE(settings_.write(settings::kLastChan, 13));
    ASSERT_TRUE(settings_.write(settings::kAutoConfiguration, 1));
    EXPECT_EQ(ReadFile(file_),
              "; written by hand\r\n[Advanced]\r\nAuto Configuration=1\r\nColour=blue\r\n"
              "LastChan=13\r\n\r\n[Mine]\r\nLastChan=99\r\n");
}

// A folder whose name is not UTF-8 (a Latin-1 "café"): the settings are read where they are
// written, and a write keeps every other key.
TEST_F(IniSettingsTest, AFolderNamedInAnotherEncodingIsReadAndWrittenAlike) {
    const fs::path folder = fs::path(dir_.path().toStdString()) / "caf\xe9";
    ASSERT_TRUE(fs::create_directory(folder));
    // QTemporaryDir cannot name this folder to remove it: gone by the end, whatever happens.
    struct Remove {
        fs::path path;
        ~Remove() {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    } remove{folder};
    const fs::path file = folder / "Tembrel.ini";
    WriteFile(file, "[Debug]\r\nDebugWin=1\r\nTrace=1\r\n");
    IniSettings settings(file);
    EXPECT_EQ(settings.read(settings::kDebugWin), 1);
    ASSERT_TRUE(settings.write(settings::kLastChan, 13));
    EXPECT_EQ(ReadFile(file), "[Debug]\r\nDebugWin=1\r\nTrace=1\r\n\r\n[Advanced]\r\nLastChan=13\r\n");
}

TEST_F(IniSettingsTest, WritingTheStoredValueAgainLeavesTheFileAlone) {
    ASSERT_TRUE(settings_.write(settings::kLastChan, 13));
    struct stat before {};
    ASSERT_EQ(stat(file_.c_str(), &before), 0);
    ASSERT_TRUE(settings_.write(settings::kLastChan, 13));
    struct stat after {};
    ASSERT_EQ(stat(file_.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // an atomic rewrite would be a new file
    ASSERT_TRUE(settings_.write(settings::kLastChan, 11));
    EXPECT_EQ(settings_.read(settings::kLastChan), 11);
}

TEST_F(IniSettingsTest, NonNumericValuesReadAsLeadingDigitsElseDefault) {
    WriteFile(file_, "[Advanced]\nFirstChan=abc\nLastChan=13 channels\nBoostMode=\n");
    EXPECT_EQ(settings_.read(settings::kFirstChan), 1);
    EXPECT_EQ(settings_.read(settings::kLastChan), 13);
    EXPECT_EQ(settings_.read(settings::kBoostMode), 1);
}

TEST_F(IniSettingsTest, BinaryFileReadsAsDefaultsAndSurvivesAWrite) {
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise.push_back(static_cast<char>((i * 7919) % 256));
    WriteFile(file_, noise);
    ExpectAllDefaults();
    ASSERT_TRUE(settings_.write(settings::kTrace, 1));
    EXPECT_EQ(settings_.read(settings::kTrace), 1);
    EXPECT_EQ(ReadFile(file_).substr(0, noise.size()), noise);
}

TEST_F(IniSettingsTest, OversizedFileIsNeitherReadNorReplaced) {
    std::string big = "[Advanced]\nFirstChan=5\n";
    big.append(static_cast<size_t>(IniSettings::kMaxFileBytes), ';');
    WriteFile(file_, big);
    EXPECT_EQ(settings_.read(settings::kFirstChan), 1);
    EXPECT_FALSE(settings_.write(settings::kFirstChan, 2));
    EXPECT_EQ(fs::file_size(file_), big.size());
}

TEST_F(IniSettingsTest, DirectoryInPlaceOfFileGivesDefaultsAndFailedWrites) {
    fs::create_directory(file_);
    ExpectAllDefaults();
    EXPECT_FALSE(settings_.write(settings::kTrace, 1));
}

TEST_F(IniSettingsTest, UnreadableFileIsNotReplaced) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not apply to root";
    WriteFile(file_, "[Advanced]\nFirstChan=5\n");
    fs::permissions(file_, fs::perms::none);
    EXPECT_EQ(settings_.read(settings::kFirstChan), 1);
    EXPECT_FALSE(settings_.write(settings::kLastChan, 2));
    fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadFile(file_), "[Advanced]\nFirstChan=5\n");
}

// A full disk, made real with a file-size limit: the write fails and the old file keeps every byte.
TEST_F(IniSettingsTest, FailedWriteKeepsTheOldFileAndNoTemporary) {
    const std::string before = "[Advanced]\nFirstChan=5\n" + std::string(300, ';') + "\n";
    WriteFile(file_, before);
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 100;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = settings_.write(settings::kLastChan, 13);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(file_), before);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(file_.parent_path())) files.push_back(entry.path());
    EXPECT_EQ(files, std::vector<fs::path>{file_});
}

// A file nobody may write stays as it is, for root as well (the same rule as Data.cfg's).
TEST_F(IniSettingsTest, ReadOnlyFileIsNotReplaced) {
    const std::string before = "[Advanced]\nFirstChan=5\n";
    WriteFile(file_, before);
    fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(settings_.read(settings::kFirstChan), 5);
    EXPECT_FALSE(settings_.write(settings::kLastChan, 2));
    EXPECT_EQ(ReadFile(file_), before);
    EXPECT_EQ(fs::status(file_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

// The writer never makes a file its own reader would refuse.
TEST_F(IniSettingsTest, WriteThatWouldPassTheSizeBoundIsRefused) {
    std::string full = "[Advanced]\nFirstChan=5\n";
    full.append(static_cast<size_t>(IniSettings::kMaxFileBytes) - full.size() - 8, ';');
    full.append("\n");
    WriteFile(file_, full);
    EXPECT_FALSE(settings_.write(settings::kLastChan, 13));
    EXPECT_EQ(fs::file_size(file_), full.size());
    EXPECT_EQ(settings_.read(settings::kFirstChan), 5);
    EXPECT_TRUE(settings_.write(settings::kFirstChan, 6));  // the same size: still fits
    EXPECT_EQ(settings_.read(settings::kFirstChan), 6);
}

TEST_F(IniSettingsTest, WriteIntoMissingFolderFails) {
    IniSettings nowhere(file_.parent_path() / "missing" / "Tembrel.ini");
    EXPECT_FALSE(nowhere.write(settings::kTrace, 1));
    EXPECT_EQ(nowhere.read(settings::kTrace), 0);
}

TEST_F(IniSettingsTest, WriteLeavesNoTemporaryFilesBehind) {
    ASSERT_TRUE(settings_.write(settings::kTrace, 1));
    ASSERT_TRUE(settings_.write(settings::kTrace, 2));
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(file_.parent_path())) files.push_back(entry.path());
    EXPECT_EQ(files, std::vector<fs::path>{file_});
}

TEST_F(IniSettingsTest, ConcurrentWritersLoseNoUpdate) {
    // Each thread owns a key; a lost read-modify-write would drop another thread's key.
    constexpr int kThreads = 4;
    constexpr int kRounds = 20;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            const std::string key = "Key" + std::to_string(t);
            for (int i = 1; i <= kRounds; ++i) {
                EXPECT_TRUE(settings_.writeInt("Debug", key, i));
                EXPECT_EQ(settings_.readInt("Debug", key, -1), i);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(settings_.readInt("Debug", "Key" + std::to_string(t), -1), kRounds);
}

TEST(MemorySettingsTest, RecordsWritesAndCanRefuseThem) {
    MemorySettings settings;
    EXPECT_EQ(settings.read(settings::kLastChan), 11);
    EXPECT_TRUE(settings.write(settings::kLastChan, 13));
    EXPECT_EQ(settings.read(settings::kLastChan), 13);
    settings.setFailWrites(true);
    EXPECT_FALSE(settings.write(settings::kFirstChan, 10));
    EXPECT_EQ(settings.read(settings::kFirstChan), 1);
    const std::vector<MemorySettings::Write> expected{{"Advanced", "LastChan", 13}, {"Advanced", "FirstChan", 10}};
    EXPECT_EQ(settings.writes(), expected);
}

}  // namespace
}  // namespace tembrel
