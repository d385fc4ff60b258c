// libTembrelNM.so against a real NetworkManager (NetworkManagerLab.h), loaded as the program
// loads it and driven by the program's own profile application: the port comes and goes with
// NetworkManager's device, profiles become in-memory connections that NetworkManager activates,
// a refusal comes back with NetworkManager's reason, and the user's autoconnect is held off only
// while the card is open. Skipped, saying why, where the machine cannot make a network namespace
// or lacks the programs.

#include "NetworkManagerLab.h"

#include "adapter/DriverLoader.h"
#include "connection/ProfileConnector.h"
#include "connection/StatusRefresher.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "tests/support/PollUntil.h"
#include "tests/support/BuiltDriver.h"
#include "tests/support/HeardEvents.h"

#include <TembrelCodes.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tembrel {
namespace {

using namespace std::chrono_literals;
using nm::testing::NetworkManagerLab;
using testing::PollUntil;
using ::tembrel::testing::WiredLab;

ProfilePtr Profile(const std::string& ssid, uint32_t authMode, const std::string& password) {
    auto p = NewEmptyProfile();
    SetProfileName(*p, ssid + " profile");
    SetProfileSsid(*p, ssid);
    p->networkType = 1;
    p->wirelessMode = 255;
    p->authMode = authMode;
    p->encryption = authMode == 0 ? 0 : 3;  // open, or WPA2 (AES) 802.1x
    p->keepAdapterSettings = 1;
    SetText(p->loginName, WiredLab::kLogin);
    SetText(p->password, password);
    return p;
}

struct Suite {
    std::string skip;
    std::string failure;
    std::unique_ptr<NetworkManagerLab> lab;
    std::unique_ptr<DriverLibrary> library = MakeNoCardDriverLibrary();
};

class RealNetworkManager : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        suite_ = std::make_unique<Suite>();
        if (const std::string missing = NetworkManagerLab::MissingProgram(); !missing.empty()) {
            suite_->skip = missing + " is not installed: scripts/install-deps installs network-manager, dbus-daemon, "
                                     "hostapd, wpasupplicant, iproute2 and openssl";
            return;
        }
        if (const std::string refused = NetworkManagerLab::EnterPrivateNetwork(); !refused.empty()) {
            suite_->skip = "this machine does not let the test make its own network namespace (" + refused +
                           "); it needs root or CAP_SYS_ADMIN";
            return;
        }
        suite_->lab = std::make_unique<NetworkManagerLab>();
        if (!suite_->lab->problem().empty()) {
            suite_->failure = suite_->lab->problem();
            return;
        }
        // The library makes its card at the first call, from these.
        ::setenv("TEMBREL_NM_INTERFACE", WiredLab::kPort, 1);
        ::setenv("TEMBREL_NM_ADDRESSES", "none", 1);
        ::setenv("TEMBREL_NM_CERT_DIR", suite_->lab->wired().certificateDir().c_str(), 1);
        suite_->failure = testing::LoadBuiltDriver("libTembrelNM.so", suite_->library);
    }
    static void TearDownTestSuite() {
        if (suite_) suite_->lab.reset();
    }

    void SetUp() override {
        if (!suite_->skip.empty()) GTEST_SKIP() << suite_->skip;
        ASSERT_EQ(suite_->failure, "");
        ASSERT_TRUE(lab().wired().setAuthenticatorLink(true));
        ASSERT_TRUE(lab().wired().startAuthenticator()) << lab().logs();
        driver().Initialize(&sink);
        driver().SetDeviceNotify(&DeviceNotify, this);
        handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().OpenAdapter(h); });
        ASSERT_TRUE(handle.held());
    }
    void TearDown() override {
        if (!suite_->skip.empty()) return;
        ZARN9100_EVENT_SINK none{};
        driver().Initialize(&none);
        driver().SetDeviceNotify(nullptr, nullptr);
        handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().CloseAdapter(h); });
        if (HasFailure() && suite_->lab) std::cerr << lab().logs();
    }

    static DriverLibrary& driver() { return *suite_->library; }
    static NetworkManagerLab& lab() { return *suite_->lab; }

    static void Notify(void* context, uint32_t message, uintptr_t code, intptr_t param) {
        auto* self = static_cast<RealNetworkManager*>(context);
        if (message != ZARN9100_EVENT_MESSAGE) return;
        self->heard.addEvent(code, param);
    }
    static void DeviceNotify(void* context, uint32_t event, const char* name) {
        static_cast<RealNetworkManager*>(context)->heard.add("device " + std::to_string(event) + " " + name);
    }
    int connectStatus() {
        const auto lease = handle.lease();
        return driver().GetConnectStatus(lease.get());
    }

    static inline std::unique_ptr<Suite> suite_;

    testing::HeardEvents heard;
    ZARN9100_EVENT_SINK sink{&Notify, this};
    AdapterHandle handle;
    std::atomic<uint32_t> radioState{1};
    ProfileList profiles;
    ConnectionSnapshotHolder snapshot;
    StatusRefresher refresher{driver(), handle, snapshot, [](int) {}};
    ProfileConnector connector{ConnectionContext{driver(), handle, radioState, profiles, snapshot,
                                                 [this](bool c) { refresher.RefreshStatus(c); }}};
};

TEST_F(RealNetworkManager, AnOpenProfileBecomesAnUnsavedConnectionAndTheLinkFactsFollowTheDevice) {
    const auto lease = handle.lease();
    char desc[64] = {};
    ASSERT_EQ(driver().QueryDeviceDesc(lease.get(), desc, sizeof desc), 0);
    EXPECT_STREQ(desc, "Wired interface tembrel-port");
    uint8_t mac[6] = {};
    ASSERT_EQ(driver().GetMacAddress(lease.get(), mac, 6), 0);
    std::ifstream address(std::string("/sys/class/net/") + WiredLab::kPort + "/address");
    std::string sysfsMac;
    address >> sysfsMac;
    char shown[18];
    std::snprintf(shown, sizeof shown, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    EXPECT_EQ(shown, sysfsMac);
    // While the utility holds the card, NetworkManager starts nothing on it by itself.
    EXPECT_EQ(lab().deviceField("GENERAL.AUTOCONNECT"), "no");

    const size_t mark = heard.count();
    EXPECT_EQ(connector.ConnectProfile(Profile("Office", 0, "")), 0) << heard.since(mark);
    EXPECT_TRUE(heard.waitFor(mark, "1"));
    EXPECT_EQ(connectStatus(), 1);
    char ssid[33] = {};
    EXPECT_EQ(driver().QuerySsid(lease.get(), ssid, sizeof ssid), 0);
    EXPECT_STREQ(ssid, "Office");
    EXPECT_EQ(lab().deviceField("GENERAL.CONNECTION"), "Tembrel Office");
    uint32_t speed = 0;
    EXPECT_EQ(driver().QueryLinkSpeed(lease.get(), &speed), 0);
    EXPECT_GT(speed, 0u);
    // The connection lives in NetworkManager's memory only.
    EXPECT_EQ(lab().savedConnections(), 0u);
}

TEST_F(RealNetworkManager, PeapAuthenticatesAndAWrongPasswordIsRefusedWithNetworkManagersReason) {
    ASSERT_TRUE(lab().wired().startAuthenticator());
    size_t mark = heard.count();
    EXPECT_EQ(connector.ConnectProfile(Profile("Corp-Port", 11, WiredLab::kPassword)), 0) << heard.since(mark);
    EXPECT_TRUE(heard.waitFor(mark, "1012[PEAP authentication succeeded] 1")) << heard.since(mark);
    EXPECT_EQ(connectStatus(), 1);

    // After a failure hostapd holds the port for a while: a fresh one for the refusal.
    ASSERT_TRUE(lab().wired().startAuthenticator());
    mark = heard.count();
    EXPECT_EQ(connector.ConnectProfile(Profile("Corp-Port", 11, "looking-glass")), 2) << heard.since(mark);
    EXPECT_TRUE(heard.waitFor(mark, "5 1012[Authentication failed: no secrets]")) << heard.since(mark);
    EXPECT_EQ(connectStatus(), 0);
}

TEST_F(RealNetworkManager, ALostLinkIsEventFourAndClosingGivesTheDeviceItsAutoconnectBack) {
    size_t mark = heard.count();
    ASSERT_EQ(connector.ConnectProfile(Profile("Office", 0, "")), 0) << heard.since(mark);
    mark = heard.count();
    ASSERT_TRUE(lab().wired().setAuthenticatorLink(false));
    EXPECT_TRUE(heard.waitFor(mark, "4")) << heard.since(mark);
    EXPECT_EQ(connectStatus(), 0);

    handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().CloseAdapter(h); });
    EXPECT_TRUE(PollUntil([&] { return lab().deviceField("GENERAL.AUTOCONNECT") == "yes"; }));
}

// Last: the port goes away for good.
TEST_F(RealNetworkManager, TheCardGoesWithTheDevice) {
    const size_t mark = heard.count();
    ASSERT_TRUE(lab().removePort());
    EXPECT_TRUE(heard.waitFor(mark, "2")) << heard.since(mark);
    EXPECT_TRUE(heard.waitFor(mark, "device 32772 tembrel-port")) << heard.since(mark);
    handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().CloseAdapter(h); });
    handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().OpenAdapter(h); });
    EXPECT_FALSE(handle.held());
}

}  // namespace
}  // namespace tembrel
