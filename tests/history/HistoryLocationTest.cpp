// Where the journal lives, and the [History] settings with their ranges.

#include "history/HistoryLocation.h"
#include "platform/Paths.h"
#include "tests/support/MemorySettings.h"

#include <gtest/gtest.h>

namespace tembrel {
namespace {

struct FolderRow {
    const char* name;
    DataFolderOrigin origin;
    const char* dataDirectory;
    const char* xdgStateHome;
    const char* home;
    const char* expected;
};

class HistoryFolderTest : public ::testing::TestWithParam<FolderRow> {};

TEST_P(HistoryFolderTest, FollowsTheDataFiles) {
    const FolderRow& row = GetParam();
    DataPaths paths;
    paths.dataDirectory = row.dataDirectory;
    paths.origin = row.origin;
    EXPECT_EQ(HistoryFolder(paths, row.xdgStateHome, row.home), std::filesystem::path(row.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HistoryFolderTest,
    ::testing::Values(
        FolderRow{"installed", DataFolderOrigin::UserConfigFolder, "/home/ann/.config/Tembrel", "", "/home/ann",
                  "/home/ann/.local/state/Tembrel"},
        FolderRow{"xdg_state_home", DataFolderOrigin::UserConfigFolder, "/c", "/var/ann-state", "/home/ann",
                  "/var/ann-state/Tembrel"},
        FolderRow{"relative_xdg_state_home_is_ignored", DataFolderOrigin::UserConfigFolder, "/c", "state", "/home/ann",
                  "/home/ann/.local/state/Tembrel"},
        FolderRow{"config_dir_option", DataFolderOrigin::ConfigDirOption, "/tmp/t", "/s", "/home/ann", "/tmp/t/history"},
        FolderRow{"beside_the_program", DataFolderOrigin::BesideExecutable, "/opt/x/bin", "/s", "/h", "/opt/x/bin/history"},
        FolderRow{"nothing_known", DataFolderOrigin::None, "", "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HistorySettings, DefaultsAndValuesOutOfRange) {
    MemorySettings settings;
    HistorySettings s = ReadHistorySettings(settings);
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.limits.maxDays, 30);
    EXPECT_EQ(s.limits.maxBytes, 4096 * 1024);
    EXPECT_EQ(s.sampleSeconds, 10);
    settings.writeInt("History", "Enabled", 0);
    settings.writeInt("History", "Days", 0);           // out of range: the default
    settings.writeInt("History", "SizeKiB", 64);
    settings.writeInt("History", "SampleSeconds", 601);
    s = ReadHistorySettings(settings);
    EXPECT_FALSE(s.enabled);
    EXPECT_EQ(s.limits.maxDays, 30);
    EXPECT_EQ(s.limits.maxBytes, 64 * 1024);
    EXPECT_EQ(s.sampleSeconds, 10);
}

}  // namespace
}  // namespace tembrel
