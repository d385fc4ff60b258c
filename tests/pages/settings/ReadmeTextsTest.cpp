// The Readme page's wording: Windows by default, Linux with the interface for libTembrelWpa.so.

#include "pages/logic/ReadmeTexts.h"

#include <gtest/gtest.h>

#include <string>

namespace tembrel {
namespace {

TEST(ReadmeTextsTest, TheInterfaceComesFromTheDescriptionWhenItNamesOne) {
    const std::pair<const char*, const char*> rows[] = {
        {"Wireless interface wlan0", "wlan0"},
        {"Wired interface tembrel-port", "tembrel-port"},
        {"Orvix LX-7700 Wireless LAN Card", ""},
        {"", ""},
        {"Wireless interface ", ""},
        {"Wireless interface wlan0; rm -rf /", ""},
        {"Wireless interface averyveryverylongname", ""},
    };
    for (const auto& [description, expected] : rows)
        EXPECT_EQ(InterfaceOfDescription(description), expected) << description;
}

TEST(ReadmeTextsTest, OnlyTheWpaLibraryGetsTheLinuxWording) {
    EXPECT_TRUE(IsLinuxCardLibrary("/usr/lib/x86_64-linux-gnu/tembrel/libTembrelWpa.so"));
    EXPECT_TRUE(IsLinuxCardLibrary("libTembrelWpa.so"));
    EXPECT_FALSE(IsLinuxCardLibrary("/usr/lib/x86_64-linux-gnu/tembrel/libTembrel.so"));
    EXPECT_FALSE(IsLinuxCardLibrary("/opt/libTembrelWpa.so/libTembrel.so"));
    EXPECT_FALSE(IsLinuxCardLibrary(""));

    const auto windows = ReadmeTexts("/usr/lib/tembrel/libTembrel.so", "Wireless interface wlan0");
    ASSERT_EQ(windows.size(), 7u);
    EXPECT_EQ(windows[6], "5. Click button <OK>");

    const auto named = ReadmeTexts("/usr/lib/tembrel/libTembrelWpa.so", "Wireless interface wlp2s0");
    ASSERT_EQ(named.size(), 7u);
    EXPECT_EQ(named[1], "You can hand wlp2s0 over to Orvix LX-7700 Utility by doing the following:");
    EXPECT_EQ(named[2], "1. Run: nmcli device set wlp2s0 managed no");
    EXPECT_EQ(named[4], "3. Run: sudo systemctl enable --now wpa_supplicant@wlp2s0");

    // Without a card the steps name wlan0 and say it is an example.
    const auto unknown = ReadmeTexts("/usr/lib/tembrel/libTembrelWpa.so", "");
    ASSERT_EQ(unknown.size(), 7u);
    EXPECT_EQ(unknown[0],
              "Orvix LX-7700 Utility can not provide fully support because NetworkManager controls the interface!");
    EXPECT_NE(unknown[1].find("wlan0 stands for"), std::string::npos) << unknown[1];
    EXPECT_EQ(unknown[2], "1. Run: nmcli device set wlan0 managed no");
}

}  // namespace
}  // namespace tembrel
