// tembrelctl as a separate process against the library loaded in this test.
#include "SimFixture.h"

#include <sys/wait.h>

#include <cstdio>

namespace tembrel::testing {
namespace {

struct ToolRun {
    int status = -1;
    std::string output;  // standard output and error
};

ToolRun RunTool(const std::string& arguments, const std::string& socket = TestSocketPath()) {
    const char* dir = std::getenv("TEMBREL_BIN_DIR");
    const std::string tool = std::string(dir != nullptr ? dir : ".") + "/tembrelctl";
    const std::string command = "'" + tool + "' --socket '" + socket + "' " + arguments + " 2>&1";
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char chunk[1024];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) run.output.append(chunk, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST_F(SimulatedCardTest, ControlToolListsAndChangesTheEnvironment) {
    ToolRun run = RunTool("networks");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Orvix-Open-G"), std::string::npos);
    EXPECT_NE(run.output.find("auto-link state 0"), std::string::npos);

    run = RunTool("add ssid='Tool Net' bssid=00:aa:bb:cc:dd:ee channel=11 security=wpa2-psk passphrase=abcdefgh signal=-51");
    ASSERT_EQ(run.status, 0) << run.output;
    Zarn9100SetAuthMode(h, 7);
    Zarn9100SetWepStatus(h, 6);
    Zarn9100SetWPAInformation(h, 1, 9, 3, "abcdefgh", "Tool Net");
    ASSERT_EQ(Zarn9100SetSsid(h, "Tool Net", 8, 0), 0);

    run = RunTool("signal 00:AA:BB:CC:DD:EE -70");
    ASSERT_EQ(run.status, 0) << run.output;
    int32_t rssi = 0;
    ASSERT_EQ(Zarn9100QueryRssi(h, &rssi), 0);
    EXPECT_EQ(rssi, -70);

    run = RunTool("status");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("associated with \"Tool Net\""), std::string::npos) << run.output;
}

// What the diagnostic pages set through the library, the tool shows, and it persists.
TEST_F(SimulatedCardTest, ControlToolShowsTheDiagnosticValues) {
    ASSERT_EQ(Zarn9100SetSignalThreshold(h, 77), 0);
    ASSERT_EQ(Zarn9100SetTxFailThreshold(h, 33), 0);
    ASSERT_EQ(Zarn9100SetChannelRange(h, (2u << 8) | 9u), 0);
    ASSERT_EQ(Zarn9100SetRfRegister(h, 0x1a, 0x42), 0);
    _ZARN9100_REGION_CTRL region{};
    region.mode = 3;
    region.countryCode[0] = 'D';
    region.countryCode[1] = 'E';
    region.environment = ' ';
    region.maxTxPower = 20;
    region.channelRanges[0][0] = 1;
    region.channelRanges[0][1] = 13;
    ASSERT_EQ(Zarn9100SetRegionCtrl(h, &region), 0);

    const ToolRun run = RunTool("diagnostics");
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* part : {"driver: 3.2.7.1 (9-14-2005), firmware 1.4.2.17, chip version 2",
                             "region control: strict, country \"DE\", power 20 dBm", "channels: 1-13;",
                             "channel range: 2 to 9, signal threshold: 77, tx fail threshold: 33", "1AH=42"})
        EXPECT_NE(run.output.find(part), std::string::npos) << part << "\n" << run.output;

    uint32_t value = 0;
    ASSERT_EQ(Zarn9100QuerySignalThreshold(h, &value), 0);
    EXPECT_EQ(value, 77u);
    ASSERT_EQ(Zarn9100QueryRfRegister(h, 0x1a, &value), 0);
    EXPECT_EQ(value, 0x42u);
}

TEST_F(SimulatedCardTest, ControlToolPullsTheCardAndFlipsTheSwitch) {
    ToolRun run = RunTool("card out");
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_TRUE(events.waitFor(2));
    ZARN9100_HANDLE other = nullptr;
    EXPECT_NE(Zarn9100OpenAdapter(&other), 0);
    EXPECT_EQ(other, nullptr);
    ASSERT_EQ(RunTool("card in").status, 0);
    ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
    ASSERT_EQ(RunTool("radio-switch off").status, 0);
    uint32_t radio = 0;
    ASSERT_EQ(Zarn9100QueryRadioControl(h, &radio), 0);
    EXPECT_EQ(radio, 2u);
    ASSERT_TRUE(events.waitFor(9));
}

TEST_F(SimulatedCardTest, ControlToolRejectsBadCommands) {
    struct Row {
        const char* arguments;
        const char* message;
    };
    const Row rows[] = {
        {"fly away", "unknown command"},
        {"signal Nowhere -50", "no network"},
        {"signal Home-WPA loud", "whole number"},
        {"signal Home-WPA -5", "whole number"},
        {"add ssid=X channel=3", "bssid"},
        {"add ssid=X bssid=00:00:00:00:00:01 channel=15", "does not exist"},
        {"add ssid=X bssid=00:00:00:00:00:01 channel=3 security=wpa-psk passphrase=short", "8 to 63"},
        {"add ssid=Dup bssid=00:1D:4F:10:00:01 channel=3", "exists already"},
        {"add '{not json'", "not valid JSON"},
        {"card sideways", "usage"},
        {"channel Studio-5G 6", "band"},
        // Once ended the simulation (and the program that loaded it) with an uncaught exception.
        {"add ssid=L bssid=00:11:22:33:44:57 channel=1 autoLink=0 tag=9 pin=12345678", "autolink=STATE"},
    };
    for (const Row& row : rows) {
        const ToolRun run = RunTool(row.arguments);
        EXPECT_EQ(run.status, 1) << row.arguments;
        EXPECT_NE(run.output.find(row.message), std::string::npos) << row.arguments << ": " << run.output;
    }
    // A passphrase typed without its key is not echoed to standard error.
    const ToolRun secret = RunTool("add ssid=X bssid=00:00:00:00:00:01 channel=3 security=wpa-psk Hunter2Secret");
    EXPECT_EQ(secret.status, 1);
    EXPECT_NE(secret.output.find("argument 5 is not key=value"), std::string::npos) << secret.output;
    EXPECT_EQ(secret.output.find("Hunter2"), std::string::npos) << secret.output;
    EXPECT_EQ(RunTool("").status, 2);
    // A word that is not UTF-8 cannot travel as JSON text: refused as usage, not a crash.
    const ToolRun notText = RunTool("add \"$(printf 'ssid=\\377')\" bssid=00:00:00:00:00:09 channel=3");
    EXPECT_EQ(notText.status, 2) << notText.output;
    EXPECT_NE(notText.output.find("UTF-8"), std::string::npos) << notText.output;
    EXPECT_EQ(RunTool("status", "/tmp/tembrel-no-such-simulation.sock").status, 2);
    EXPECT_EQ(Zarn9100GetConnectStatus(h), 0) << "the simulation still answers";
}

}  // namespace
}  // namespace tembrel::testing
