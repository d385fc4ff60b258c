#include "platform/Autostart.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tembrel {
namespace {

namespace fs = std::filesystem;

TEST(DesktopExecArgumentTest, QuotesAndEscapesAsTheDesktopEntryRulesAsk) {
    struct Row {
        std::string argument;
        std::string written;  // "" = refused
    } rows[] = {
        {"/usr/bin/Tembrel", "/usr/bin/Tembrel"},
        {"/home/ann/my data", "\"/home/ann/my data\""},
        {"", "\"\""},
        {"/opt/a=b,c+d", "/opt/a=b,c+d"},
        // Inside quotes '"', '`', '$' and '\' take a backslash; every backslash is then doubled
        // by the string escape, so a literal backslash is written as four.
        {"/a\"b", "\"/a\\\\\"b\""},
        {"/a\\b", "\"/a\\\\\\\\b\""},
        {"/a$HOME", "\"/a\\\\$HOME\""},
        {"/a`b`", "\"/a\\\\`b\\\\`\""},
        {"/it's", "\"/it's\""},
        {"/a;b&c|d", "\"/a;b&c|d\""},
        {"/100%", "/100%%"},
        {"/100% sure", "\"/100%% sure\""},
        {"/caf\xc3\xa9", "/caf\xc3\xa9"},
        {"/a\nb", ""},
        {"/a\tb", ""},
        {"/a\x7f", ""},
        {"/caf\xe9", ""},  // Latin-1, not UTF-8
    };
    for (const Row& row : rows) EXPECT_EQ(DesktopExecArgument(row.argument), row.written) << row.argument;
}

TEST(AutostartEntryPathTest, FollowsTheXdgConfigFolder) {
    struct Row {
        std::string xdg, home;
        fs::path expected;
    } rows[] = {
        {"/home/ann/conf", "/home/ann", "/home/ann/conf/autostart/com.orvix.Tembrel.desktop"},
        {"", "/home/ann", "/home/ann/.config/autostart/com.orvix.Tembrel.desktop"},
        {"relative", "/home/ann", "/home/ann/.config/autostart/com.orvix.Tembrel.desktop"},
        {"", "", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(AutostartEntryPath(row.xdg, row.home), row.expected) << row.xdg;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(AutostartTest, OnWritesTheEntryAndOffRemovesIt) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const fs::path entry = AutostartEntryPath(config.path().toStdString(), "");

    const AutostartResult on = EnableAutostart(entry, {"/opt/Orvix Bin/Tembrel", "--config-dir", "/data"});
    ASSERT_TRUE(on.ok) << on.message;
    const std::string text = ReadFile(entry);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nExec=\"/opt/Orvix Bin/Tembrel\" --config-dir /data\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nTryExec=/opt/Orvix Bin/Tembrel\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nIcon=com.orvix.Tembrel\n"), std::string::npos) << text;

    // Turning it on again replaces the entry with the new command.
    ASSERT_TRUE(EnableAutostart(entry, {"/usr/bin/Tembrel"}).ok);
    EXPECT_NE(ReadFile(entry).find("\nExec=/usr/bin/Tembrel\n"), std::string::npos);

    const AutostartResult off = DisableAutostart(entry);
    EXPECT_TRUE(off.ok) << off.message;
    EXPECT_FALSE(fs::exists(entry));
    const AutostartResult again = DisableAutostart(entry);
    EXPECT_TRUE(again.ok);
    EXPECT_NE(again.message.find("was not set"), std::string::npos) << again.message;
}

TEST(AutostartEntryTextTest, TryExecKeepsThePathWithItsBackslashesEscaped) {
    const std::string text = AutostartEntryText({"/opt/a\\b/Tembrel"});
    EXPECT_NE(text.find("\nTryExec=/opt/a\\\\b/Tembrel\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nExec=\"/opt/a\\\\\\\\b/Tembrel\"\n"), std::string::npos) << text;
    EXPECT_EQ(AutostartEntryText({}), "");
    EXPECT_EQ(AutostartEntryText({"/usr/bin/Tembrel", "--config-dir", "/a\nb"}), "");
}

TEST(AutostartTest, FailuresAreReportedAndLeaveNoEntry) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    // "autostart" is a file here, so its folder cannot be made.
    std::ofstream(config.filePath("autostart").toStdString()) << "not a folder";
    const fs::path blocked = AutostartEntryPath(config.path().toStdString(), "");
    const AutostartResult r = EnableAutostart(blocked, {"/usr/bin/Tembrel"});
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("cannot create"), std::string::npos) << r.message;

    const fs::path entry = fs::path(config.path().toStdString()) / "other" / "com.orvix.Tembrel.desktop";
    const AutostartResult unwritable = EnableAutostart(entry, {"/usr/bin/Tem\nbrel"});
    EXPECT_FALSE(unwritable.ok);
    EXPECT_FALSE(fs::exists(entry));

    EXPECT_FALSE(EnableAutostart(fs::path(), {"/usr/bin/Tembrel"}).ok);
    EXPECT_FALSE(DisableAutostart(fs::path()).ok);
}

}  // namespace
}  // namespace tembrel
