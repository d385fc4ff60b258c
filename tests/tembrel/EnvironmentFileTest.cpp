#include "Environment.h"
#include "Simulation.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tembrel::sim {
namespace {

TEST(EnvironmentFile, ReadsNetworksAndCardFacts) {
    const std::string text = R"({
  "mac": "02:00:00:00:00:07",
  "regionCode": 48,
  "radioSwitch": false,
  "networks": [
    {"ssid": "Cafe", "bssid": "00:11:22:33:44:01", "channel": 11, "band": "b", "signal": -70},
    {"ssid": "Office", "bssid": "00:11:22:33:44:02", "channel": 40, "security": "wpa2-eap",
     "identity": "carol", "password": "pw", "eap": ["peap"]},
    {"ssid": "Setup", "bssid": "00:11:22:33:44:03", "channel": 1,
     "autoLink": {"state": 0, "tag": 9, "pin": "11112222"}},
    {"ssid": "Old", "bssid": "00:11:22:33:44:04", "channel": 6, "security": "wep-shared", "keyText": "abcde"}
  ]
})";
    std::string error;
    const auto env = ParseEnvironment(text, error);
    ASSERT_TRUE(env) << error;
    EXPECT_EQ(FormatMac(env->mac), "02:00:00:00:00:07");
    EXPECT_EQ(env->regionCode, 0x30u);
    EXPECT_FALSE(env->radioSwitchOn);
    ASSERT_EQ(env->networks.size(), 4u);
    EXPECT_EQ(env->networks[0].band, Band::B);
    EXPECT_EQ(env->networks[0].levelDbm, -70);
    EXPECT_EQ(env->networks[1].band, Band::A);
    EXPECT_EQ(env->networks[1].cipher, Cipher::Aes);
    EXPECT_EQ(env->networks[1].eapMethods, unsigned(kEapPeap));
    EXPECT_TRUE(env->networks[2].autoLink.present);
    EXPECT_EQ(env->networks[2].autoLink.apTag, 9);
    EXPECT_EQ(env->networks[3].wepKey, (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e'}));
}

struct BadFile {
    const char* text;
    const char* expected;  // the start of the message: line and reason
};

const BadFile kBadFiles[] = {
    {"{\n  \"networks\": [\n    {\"ssid\": \"A\",,}\n  ]\n}", "line 3: "},
    {"[]", "line 1: the environment must be a JSON object"},
    {"{\n\n  \"colour\": 1\n}", "line 3: unknown key \"colour\""},
    {"{\n \"mac\": \"zz\"\n}", "line 2: \"mac\" must be"},
    {"{\n \"networks\": [\n  {\"ssid\": \"A\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 1},\n"
     "  {\"ssid\": \"B\", \"bssid\": \"00:00:00:00:00:02\", \"channel\": 15}\n ]\n}",
     "line 4: network 2: channel 15 does not exist"},
    {"{\"networks\": [{\"ssid\": \"A\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 20}]}",
     "line 1: network 1: channel 20 does not exist"},
    {"{\"networks\": [{\"ssid\": \"A\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 1, \"security\": \"wep-open\"}]}",
     "line 1: network 1: a WEP network needs"},
    {"{\"networks\": [{\"ssid\": \"A\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 1, \"security\": \"wpa-psk\", "
     "\"passphrase\": \"short\"}]}",
     "line 1: network 1: a WPA-PSK network needs"},
    {"{\"networks\": [{\"ssid\": \"123456789012345678901234567890123\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 1}]}",
     "line 1: network 1: \"ssid\" must be a text of at most 32 bytes"},
    {"{\"networks\": [{\"ssid\": \"A\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 36, \"band\": \"g\"}]}",
     "line 1: network 1: band g does not have channel 36"},
    {"{\"networks\": [{\"ssid\": \"A\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 1}, "
     "{\"ssid\": \"B\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 2}]}",
     "line 1: network 2: BSSID 00:00:00:00:00:01 is used twice"},
    {"{\"networks\": [{\"ssid\": \"A\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 1, \"colour\": 2}]}",
     "line 1: network 1: unknown key \"colour\""},
    {"{\"hostInterface\": \"../etc\"}", "line 1: \"hostInterface\" must be an interface name"},
    // Beyond the range of a signed 64-bit number: must not wrap round to -10.
    {"{\"networks\": [{\"ssid\": \"A\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 1, "
     "\"signal\": 18446744073709551606}]}",
     "line 1: network 1: \"signal\" must be a whole number from -110 to -10"},
    {"{\"regionCode\": 18446744073709551615}", "line 1: \"regionCode\" must be a whole number"},
    {"", "line 1: "},
    // Beyond the range of a double: the parser's out_of_range, not a syntax error, and no crash.
    {"{\"networks\": [\n{\"ssid\": \"A\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 1, \"signal\": 1e844674}]}",
     "line 2: number overflow"},
};

TEST(EnvironmentFile, MalformedFilesNameTheLineAndTheReason) {
    for (const BadFile& bad : kBadFiles) {
        std::string error;
        EXPECT_FALSE(ParseEnvironment(bad.text, error)) << bad.text;
        EXPECT_EQ(error.rfind(bad.expected, 0), 0u) << "got: " << error << "\nfor: " << bad.text;
    }
}

// The reason goes to standard error: a secret of the file is never part of it, whatever the damage.
TEST(EnvironmentFile, MessagesNeverQuoteASecret) {
    const std::string head = "{\"networks\": [{\"ssid\": \"A\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 1, ";
    const char* rows[] = {
        "\"security\": \"wpa-psk\", \"passphrase\": \"Hunter2Secret\\q\"}]}",        // a bad escape
        "\"security\": \"wpa-psk\", \"passphrase\": \"Hunter2Secret",                 // never closed
        "\"security\": \"wpa-psk\", \"passphrase\": \"Hunter2Secret\x01\"}]}",      // a control character
        "\"security\": \"wpa2-eap\", \"identity\": \"i\", \"password\": \"Hunter2Secret\"",  // cut off
        "\"security\": \"wep-open\", \"keyText\": \"Hunter2Secre\"}]}",               // wrong length
        "\"security\": \"wpa-psk\", \"passphrase\": Hunter2Secret}]}",                 // not a string
    };
    for (const char* row : rows) {
        std::string error;
        EXPECT_FALSE(ParseEnvironment(head + row, error)) << row;
        EXPECT_EQ(error.rfind("line 1: ", 0), 0u) << error;
        EXPECT_EQ(error.find("Hunter2"), std::string::npos) << error;
    }
}

// Files built to exhaust the parser: each must be refused with its reason, neither
// overflowing the stack nor taking time that grows with the square of the size.
TEST(EnvironmentFile, HostileFilesAreRefusedPromptly) {
    struct Row {
        std::string name;
        std::string text;
        const char* expected;
    };
    const size_t depth = 1'000'000;
    const size_t many = 400'000;
    std::string manyNetworks = "{\"networks\": [";
    for (size_t i = 0; i < many; ++i) manyNetworks += i == 0 ? "{}" : ",{}";
    manyNetworks += "]}";
    std::string manyKeys = "{";
    for (size_t i = 0; i < many; ++i) manyKeys += (i == 0 ? "\"" : ",\"") + std::to_string(i % 10) + "\":0";
    manyKeys += "}";
    // Distinct networks filling most of the 4 MiB a file may have, then one BSSID again.
    const size_t distinct = 70'000;
    std::string manyDistinct = "{\"networks\": [";
    for (size_t i = 0; i <= distinct; ++i) {
        char entry[96];
        std::snprintf(entry, sizeof entry, "%s{\"ssid\":\"\",\"bssid\":\"00:00:00:%02X:%02X:%02X\",\"channel\":1}",
                      i == 0 ? "" : ",", unsigned(i % distinct >> 16), unsigned(i % distinct >> 8 & 0xff),
                      unsigned(i % distinct & 0xff));
        manyDistinct += entry;
    }
    manyDistinct += "]}";
    const Row rows[] = {
        {"deeply nested eap method",
         "{\"networks\": [{\"ssid\": \"A\", \"bssid\": \"00:00:00:00:00:01\", \"channel\": 1, "
         "\"security\": \"wpa2-eap\", \"identity\": \"i\", \"eap\": [" +
             std::string(depth, '[') + std::string(depth, ']') + "]}]}",
         "line 1: network 1: \"eap\" names tls, peap, leap or ttls"},
        {"many networks", manyNetworks, "line 1: network 1: \"ssid\" is missing"},
        {"many keys", manyKeys, "line 1: unknown key \""},
        {"many distinct networks", manyDistinct, "line 1: network 70001: BSSID 00:00:00:00:00:00 is used twice"},
    };
    for (const Row& row : rows) {
        std::string error;
        EXPECT_FALSE(ParseEnvironment(row.text, error)) << row.name;
        EXPECT_EQ(error.rfind(row.expected, 0), 0u) << row.name << ": " << error.substr(0, 200);
    }
}

TEST(EnvironmentFile, ReadsTheHostInterfaceAddress) {
    const auto root = std::filesystem::temp_directory_path() / ("tembrel-sysfs-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "eth7");
    std::filesystem::create_directories(root / "bad0");
    std::ofstream(root / "eth7" / "address") << "52:54:00:ab:cd:ef\n";
    std::ofstream(root / "bad0" / "address") << "not an address\n";
    const auto mac = ReadInterfaceMac("eth7", root.string());
    ASSERT_TRUE(mac);
    EXPECT_EQ(FormatMac(*mac), "52:54:00:AB:CD:EF");
    EXPECT_FALSE(ReadInterfaceMac("bad0", root.string()));
    EXPECT_FALSE(ReadInterfaceMac("missing", root.string()));
    EXPECT_FALSE(ReadInterfaceMac("../eth7", root.string()));
    std::filesystem::remove_all(root);
}

long PeakMemoryKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(EnvironmentFile, DefaultRouteIsTheInterfaceOfTheZeroDestination) {
    const struct {
        const char* table;
        const char* name;
    } rows[] = {
        {"Iface\tDestination\tGateway\neth0\t000200C0\t00000000\nwlan1\t00000000\t010200C0\n", "wlan1"},
        {"Iface\tDestination\tGateway\neth0\t000200C0\t00000000\n", ""},
        {"Iface\tDestination\n../etc\t00000000\n", ""},
        {"", ""},
    };
    const auto path = std::filesystem::temp_directory_path() / ("tembrel-route-" + std::to_string(::getpid()));
    for (const auto& row : rows) {
        std::ofstream(path, std::ios::trunc) << row.table;
        EXPECT_EQ(DefaultRouteInterface(path.string()), row.name) << row.table;
    }
    std::filesystem::remove(path);
    EXPECT_EQ(DefaultRouteInterface("/nonexistent/route"), "");

    // The built-in environment borrows it unless the variable says "none" or names another.
    unsetenv("TEMBREL_SIM_ENVIRONMENT");
    unsetenv("TEMBREL_SIM_HOST_INTERFACE");
    EXPECT_EQ(LoadConfiguredEnvironment().hostInterface, DefaultRouteInterface());
    setenv("TEMBREL_SIM_HOST_INTERFACE", "none", 1);
    EXPECT_EQ(LoadConfiguredEnvironment().hostInterface, "");
    setenv("TEMBREL_SIM_HOST_INTERFACE", "lo", 1);
    EXPECT_EQ(LoadConfiguredEnvironment().hostInterface, "lo");
    unsetenv("TEMBREL_SIM_HOST_INTERFACE");
}

TEST(EnvironmentFile, ConfiguredFileReplacesTheBuiltInOneUnlessMalformed) {
    const auto path = std::filesystem::temp_directory_path() / ("tembrel-env-" + std::to_string(::getpid()) + ".json");
    setenv("TEMBREL_SIM_ENVIRONMENT", path.c_str(), 1);
    const size_t builtIn = DefaultEnvironment().networks.size();

    std::ofstream(path) << R"({"networks": [{"ssid": "Only", "bssid": "00:00:00:00:00:01", "channel": 1}]})";
    Environment env = LoadConfiguredEnvironment();
    ASSERT_EQ(env.networks.size(), 1u);
    EXPECT_EQ(env.networks[0].ssid, "Only");

    std::ofstream(path, std::ios::trunc) << "{\n  \"networks\": [\n    {\"ssid\": 5}\n  ]\n}\n";
    ::testing::internal::CaptureStderr();
    env = LoadConfiguredEnvironment();
    const std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(env.networks.size(), builtIn);
    EXPECT_NE(message.find("line 3: network 1: \"ssid\" must be a text"), std::string::npos) << message;
    EXPECT_NE(message.find("built-in environment"), std::string::npos) << message;

    std::filesystem::resize_file(path, (4u << 20) + 1);
    const auto big = path.string() + ".big";
    std::filesystem::rename(path, big);
    // Opening a FIFO for reading would wait for a writer, inside the library's start-up.
    const auto fifo = path.string() + ".fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Unreadable {
        std::string path;
        const char* message;
    };
    // Devices and pipes are refused before anything is read; a big file before it is read.
    const Unreadable unreadable[] = {{path.string(), "cannot be read"},
                                     {big, "larger than 4 MiB"},
                                     {"/dev/zero", "not a regular file"},
                                     {fifo, "not a regular file"}};
    for (const Unreadable& row : unreadable) {
        setenv("TEMBREL_SIM_ENVIRONMENT", row.path.c_str(), 1);
        ::testing::internal::CaptureStderr();
        const long peakBeforeKiB = PeakMemoryKiB();
        env = LoadConfiguredEnvironment();
        const long growthKiB = PeakMemoryKiB() - peakBeforeKiB;
        const std::string stderrText = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(stderrText.find(row.message), std::string::npos) << row.path << ": " << stderrText;
        EXPECT_EQ(env.networks.size(), builtIn) << row.path;
        EXPECT_LT(growthKiB, 256 * 1024) << row.path;
    }
    std::filesystem::remove(big);
    std::filesystem::remove(fifo);
    unsetenv("TEMBREL_SIM_ENVIRONMENT");
}

TEST(ControlSocket, PathFollowsTheEnvironment) {
    setenv("TEMBREL_SIM_SOCKET", "/tmp/x.sock", 1);
    EXPECT_EQ(ControlSocketPath(), "/tmp/x.sock");
    unsetenv("TEMBREL_SIM_SOCKET");
    setenv("XDG_RUNTIME_DIR", "/run/user/77", 1);
    EXPECT_EQ(ControlSocketPath(), "/run/user/77/tembrel-sim.sock");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(ControlSocketPath(), "/tmp/tembrel-sim-" + std::to_string(::getuid()) + ".sock");
}

}  // namespace
}  // namespace tembrel::sim
