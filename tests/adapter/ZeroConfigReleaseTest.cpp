#include "adapter/ZeroConfigRelease.h"
#include "AdapterTestHooks.h"

#include <gtest/gtest.h>

#include <deque>

namespace tembrel::testing {
namespace {

using Lines = std::vector<std::string>;

class ScriptedService : public ZeroConfigService {
public:
    explicit ScriptedService(CallLog& log) : log_(log) {}
    bool opens = true;
    std::deque<std::optional<ServiceState>> states;  // answers of queryState, last one repeats

    bool open() override {
        log_.add("open");
        return opens;
    }
    std::optional<ServiceState> queryState() override {
        log_.add("query");
        auto s = states.front();
        if (states.size() > 1) states.pop_front();
        return s;
    }
    void sendStop() override { log_.add("stop"); }
    void start() override { log_.add("start"); }
    void close() override { log_.add("close"); }
    void sleepMs(int ms) override { log_.add("sleep(" + std::to_string(ms) + ")"); }

private:
    CallLog& log_;
};

class ZeroConfigReleaseTest : public ::testing::Test {
protected:
    ZeroConfigReleaseTest() : service(log) { log.attach(driver); }
    CallLog log;
    RecordingDriver driver;
    ScriptedService service;
};

TEST_F(ZeroConfigReleaseTest, UnavailableServiceIsSkippedSilently) {
    service.opens = false;
    ReleaseCardFromZeroConfig(service, driver);
    EXPECT_EQ(log.entries(), (Lines{"open"}));

    UnavailableZeroConfigService unavailable;
    ReleaseCardFromZeroConfig(unavailable, driver);
    EXPECT_EQ(driver.calls().size(), 0u);
}

TEST_F(ZeroConfigReleaseTest, UnreadableStatusClosesAndStops) {
    service.states = {std::nullopt};
    ReleaseCardFromZeroConfig(service, driver);
    EXPECT_EQ(log.entries(), (Lines{"open", "query", "close"}));
}

TEST_F(ZeroConfigReleaseTest, StopsWaitsClearsTheFlagAndRestarts) {
    service.states = {ServiceState::Running, ServiceState::Pending, ServiceState::Stopped};
    driver.setOutText("QueryRegistryPath", "SYSTEM\\ControlSet\\Class\\0007");
    driver.setOutText("QueryRegistryText", "{GUID-1}");
    driver.setOutU32("QueryRegistryNumber", 0x8001);
    ReleaseCardFromZeroConfig(service, driver);
    EXPECT_EQ(log.entries(), (Lines{
                                 "open", "query", "stop",
                                 "sleep(1000)", "query", "sleep(1000)", "query",
                                 "OpenAdapter(&h)",
                                 "QueryRegistryPath(h, out, 400)",
                                 "CloseAdapter(&h)",
                                 "QueryRegistryText(\"SYSTEM\\ControlSet\\Class\\0007\", \"NetCfgInstanceId\", out, 100)",
                                 "QueryRegistryNumber(\"SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\{GUID-1}\", \"ControlFlags\", out)",
                                 "SetRegistryNumber(\"SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\{GUID-1}\", \"ControlFlags\", 1)",
                                 "start", "close",
                             }));
}

TEST_F(ZeroConfigReleaseTest, WaitsAtMostThirtySeconds) {
    service.states = {ServiceState::Running, ServiceState::Pending};
    ReleaseCardFromZeroConfig(service, driver);
    const auto entries = log.entries();
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "sleep(1000)"), 30);
    EXPECT_EQ(entries.back(), "close");
}

TEST_F(ZeroConfigReleaseTest, MissingFlagValueCountsAsZeroAndFailedPathSkipsTheRegistry) {
    service.states = {ServiceState::Stopped};
    driver.setResult("QueryRegistryNumber", 2);  // value missing
    ReleaseCardFromZeroConfig(service, driver);
    EXPECT_EQ(driver.callTexts().back(),
              "SetRegistryNumber(\"SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\\", \"ControlFlags\", 0)");

    driver.clearCalls();
    driver.setResult("QueryRegistryPath", 1);
    ReleaseCardFromZeroConfig(service, driver);
    EXPECT_EQ(driver.callNames(), (Lines{"OpenAdapter", "QueryRegistryPath", "CloseAdapter"}));

    driver.clearCalls();
    driver.setAdapterHandle(nullptr);  // no card: nothing to read
    ReleaseCardFromZeroConfig(service, driver);
    EXPECT_EQ(driver.callNames(), (Lines{"OpenAdapter"}));
}

}  // namespace
}  // namespace tembrel::testing
