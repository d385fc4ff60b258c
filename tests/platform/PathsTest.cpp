#include "platform/OsFamily.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <set>

namespace tembrel {
namespace {

namespace fs = std::filesystem;

PathInputs Inputs(std::set<fs::path> writable) {
    PathInputs inputs;
    inputs.executable = "/opt/Orvix/Bin/Tembrel";
    inputs.xdgConfigHome = "";
    inputs.home = "/home/Ann";
    inputs.currentDirectory = "/work/Here";
    inputs.isWritableDirectory = [writable](const fs::path& p) { return writable.count(p) > 0; };
    return inputs;
}

TEST(ResolveDataPathsTest, BesideAWritableExecutableFolderWithCaseKept) {
    const DataPaths paths = ResolveDataPaths(Inputs({"/opt/Orvix/Bin"}));
    EXPECT_EQ(paths.origin, DataFolderOrigin::BesideExecutable);
    EXPECT_EQ(paths.profileStore(), fs::path("/opt/Orvix/Bin/Data.cfg"));
    EXPECT_EQ(paths.settingsFile(), fs::path("/opt/Orvix/Bin/Tembrel.ini"));
    EXPECT_EQ(paths.dataFile("Region.cfg"), fs::path("/opt/Orvix/Bin/Region.cfg"));
    EXPECT_EQ(paths.executable, fs::path("/opt/Orvix/Bin/Tembrel"));
}

TEST(ResolveDataPathsTest, FallsBackToTheUserConfigFolder) {
    struct Row {
        const char* name;
        fs::path executable;
        std::string xdg;
        std::string home;
        fs::path expected;
        DataFolderOrigin origin;
    } rows[] = {
        {"unwritable, XDG set", "/opt/Orvix/Bin/Tembrel", "/home/Ann/Conf", "/home/Ann",
         "/home/Ann/Conf/Tembrel", DataFolderOrigin::UserConfigFolder},
        {"unwritable, no XDG", "/opt/Orvix/Bin/Tembrel", "", "/home/Ann", "/home/Ann/.config/Tembrel",
         DataFolderOrigin::UserConfigFolder},
        {"relative XDG is ignored", "/opt/Orvix/Bin/Tembrel", "conf", "/home/Ann",
         "/home/Ann/.config/Tembrel", DataFolderOrigin::UserConfigFolder},
        {"executable unknown", "", "", "/home/Ann", "/home/Ann/.config/Tembrel",
         DataFolderOrigin::UserConfigFolder},
        {"nothing known", "", "", "", "", DataFolderOrigin::None},
    };
    for (const Row& row : rows) {
        PathInputs inputs = Inputs({"/somewhere/else"});
        inputs.executable = row.executable;
        inputs.xdgConfigHome = row.xdg;
        inputs.home = row.home;
        const DataPaths paths = ResolveDataPaths(inputs);
        EXPECT_EQ(paths.dataDirectory, row.expected) << row.name;
        EXPECT_EQ(paths.origin, row.origin) << row.name;
        if (row.origin == DataFolderOrigin::None) {
            EXPECT_EQ(paths.settingsFile(), fs::path()) << row.name;
        }
    }
}

TEST(ResolveDataPathsTest, AnInstalledCopyUsesTheUserFolderEvenWhenItsFolderIsWritable) {
    PathInputs inputs = Inputs({"/usr/bin", "/opt/Orvix/Bin"});
    inputs.installBinDirectory = "/usr/bin";
    inputs.executable = "/usr/bin/Tembrel";
    DataPaths paths = ResolveDataPaths(inputs);
    EXPECT_EQ(paths.origin, DataFolderOrigin::UserConfigFolder);
    EXPECT_EQ(paths.settingsFile(), fs::path("/home/Ann/.config/Tembrel/Tembrel.ini"));

    // A copy elsewhere (a build, a private copy) still keeps its data beside itself.
    inputs.executable = "/opt/Orvix/Bin/Tembrel";
    paths = ResolveDataPaths(inputs);
    EXPECT_EQ(paths.origin, DataFolderOrigin::BesideExecutable);

    inputs.configDirOption = fs::path("/data/Mine");
    inputs.executable = "/usr/bin/Tembrel";
    EXPECT_EQ(ResolveDataPaths(inputs).origin, DataFolderOrigin::ConfigDirOption);
}

TEST(ResolveDataPathsTest, ConfigDirOptionWinsAndIsMadeAbsolute) {
    PathInputs inputs = Inputs({"/opt/Orvix/Bin"});
    inputs.configDirOption = fs::path("/data/Mine/");
    DataPaths paths = ResolveDataPaths(inputs);
    EXPECT_EQ(paths.origin, DataFolderOrigin::ConfigDirOption);
    EXPECT_EQ(paths.settingsFile(), fs::path("/data/Mine/Tembrel.ini"));

    inputs.configDirOption = fs::path("sub/../Conf");
    paths = ResolveDataPaths(inputs);
    EXPECT_EQ(paths.profileStore(), fs::path("/work/Here/Conf/Data.cfg"));
}

TEST(LocateDataPathsTest, CreatesTheConfigDirOwnerOnly) {
    QTemporaryDir temp;
    const fs::path dir = fs::path(temp.path().toStdString()) / "a" / "b";
    const DataPathsResult result = LocateDataPaths(dir);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.paths.settingsFile(), dir / "Tembrel.ini");
    ASSERT_TRUE(fs::is_directory(dir));
    EXPECT_EQ(fs::status(dir).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(result.paths.executable, ExecutablePath());
    EXPECT_EQ(result.paths.executable.filename(), "platform_tests");
}

TEST(LocateDataPathsTest, ReportsAConfigDirThatCannotBeMade) {
    QTemporaryDir temp;
    const fs::path blocker = fs::path(temp.path().toStdString()) / "file";
    { std::ofstream(blocker) << "x"; }
    const DataPathsResult result = LocateDataPaths(blocker / "sub");
    EXPECT_NE(result.error, "");
}

TEST(IsWritableDirectoryTest, TellsFoldersFromFilesAndMissingPaths) {
    QTemporaryDir temp;
    const fs::path dir(temp.path().toStdString());
    EXPECT_TRUE(IsWritableDirectory(dir));
    EXPECT_FALSE(IsWritableDirectory(dir / "missing"));
    { std::ofstream(dir / "file") << "x"; }
    EXPECT_FALSE(IsWritableDirectory(dir / "file"));
}

TEST(OsFamilyTest, LinuxIsOtherWindows5AndTheOptionSelectsAnyFamily) {
    EXPECT_EQ(OsFamilyCode(CurrentOsFamily(std::nullopt)), 1);
    for (int code = 0; code <= 3; ++code) {
        const auto family = ParseOsFamily(std::to_string(code));
        ASSERT_TRUE(family.has_value()) << code;
        EXPECT_EQ(OsFamilyCode(CurrentOsFamily(family)), code);
    }
    for (const char* bad : {"", "4", "-1", "1x", " 1", "01a", "999999999999"}) {
        EXPECT_FALSE(ParseOsFamily(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace tembrel
