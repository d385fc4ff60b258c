#include "app/logic/CommandLine.h"

#include <gtest/gtest.h>

namespace tembrel {
namespace {

struct Row {
    std::vector<std::string> args;
    std::string error;  // empty: accepted
};

class CommandLineRows : public ::testing::TestWithParam<Row> {};

TEST_P(CommandLineRows, AcceptsOrExplains) {
    const Row& row = GetParam();
    const auto r = ParseCommandLine(row.args);
    if (row.error.empty())
        EXPECT_EQ(r.error, "");
    else
        EXPECT_NE(r.error.find(row.error), std::string::npos) << r.error;
}

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLineRows,
    ::testing::Values(Row{{}, ""}, Row{{"--driver", "/x/lib.so"}, ""}, Row{{"--driver=/x/lib.so"}, ""},
                      Row{{"--config-dir", "/tmp/c"}, ""}, Row{{"--os-family", "0"}, ""}, Row{{"--os-family=3"}, ""},
                      Row{{"--help"}, ""}, Row{{"--driver"}, "--driver needs a value"},
                      Row{{"--driver="}, "--driver needs a path"}, Row{{"--config-dir"}, "needs a value"},
                      Row{{"--os-family", "4"}, "takes 0, 1, 2 or 3"}, Row{{"--os-family", "1x"}, "takes 0, 1, 2 or 3"},
                      Row{{"--os-family", "-1"}, "takes 0, 1, 2 or 3"}, Row{{"--verbose"}, "unknown option \"--verbose\""},
                      Row{{"stray"}, "unknown option \"stray\""}, Row{{"--version"}, ""},
                      Row{{"--autostart", "on"}, ""}, Row{{"--autostart=off"}, ""},
                      Row{{"--autostart"}, "--autostart needs a value"},
                      Row{{"--autostart", "yes"}, "--autostart takes on or off, not \"yes\""},
                      Row{{"--autostart="}, "--autostart takes on or off"}, Row{{"--report"}, ""},
                      Row{{"--report", "/tmp/r.html", "--since", "2w", "--open"}, ""},
                      Row{{"--report", "--since=12h"}, ""}, Row{{"--since", "7d"}, "--since goes with --report"},
                      Row{{"--open"}, "--open goes with --report"}, Row{{"--report", "--since", "7"}, "takes a number and m, h, d or w"},
                      Row{{"--report", "--since", "0d"}, "takes a number"}, Row{{"--report", "--since", "-1d"}, "takes a number"},
                      Row{{"--report", "--since", "400d"}, "takes a number"}, Row{{"--report", "--since"}, "needs a value"}));

TEST(CommandLine, KeepsTheValues) {
    const auto r = ParseCommandLine({"--driver", "/a.so", "--config-dir=/c", "--os-family", "3"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.driverPath, "/a.so");
    EXPECT_EQ(r.options.configDir, "/c");
    EXPECT_EQ(r.options.osFamily, 3);
    EXPECT_FALSE(r.options.help);
    EXPECT_FALSE(r.options.version);
    EXPECT_FALSE(r.options.autostart.has_value());
}

TEST(CommandLine, AutostartAndVersion) {
    const auto r = ParseCommandLine({"--autostart", "off", "--version"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.autostart, false);
    EXPECT_TRUE(r.options.version);
    EXPECT_EQ(ParseCommandLine({"--autostart=on"}).options.autostart, true);
}

TEST(CommandLine, ReportFileIsTheNextArgumentUnlessAnOption) {
    EXPECT_EQ(ParseCommandLine({"--report", "out.html", "--open"}).options.report, "out.html");
    EXPECT_EQ(ParseCommandLine({"--report", "--open"}).options.report, "");
    EXPECT_EQ(ParseCommandLine({"--report=x.html"}).options.report, "x.html");
    const auto r = ParseCommandLine({"--report", "--since", "2w", "--open"});
    EXPECT_EQ(r.options.since, "2w");
    EXPECT_TRUE(r.options.openReport);
    EXPECT_FALSE(ParseCommandLine({}).options.report.has_value());
}

TEST(CommandLine, OptionsThatTakeAValue) {
    for (const char* name : {"--driver", "--config-dir", "--os-family", "--autostart"})
        EXPECT_TRUE(OptionTakesValue(name)) << name;
    for (const char* name : {"--help", "--version", "-h", "--driver=/x", "-platform"})
        EXPECT_FALSE(OptionTakesValue(name)) << name;
}

}  // namespace
}  // namespace tembrel
