// libTembrelNM.so against a real NetworkManager (NetworkManagerLab.h), loaded as the program
// loads it and driven by the program's own profile application: the port comes and goes with
// NetworkManager's device, profiles become in-memory connections of the user's own whose secrets
// only the library's agent knows, a refusal comes back at once with its reason and no other
// agent asked, and however a program on the card ends, NetworkManager's own autoconnect brings
// the user's connection back. Skipped, saying why, where the machine cannot make a network
// namespace or lacks the programs.

#include "NetworkManagerLab.h"

#include "adapter/DriverLoader.h"
#include "connection/ProfileConnector.h"
#include "connection/StatusRefresher.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "tests/support/PollUntil.h"
#include "tests/support/BuiltDriver.h"
#include "tests/support/HeardEvents.h"
#include "tests/support/TempFolder.h"

#include <TembrelCodes.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

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
using ::tembrel::testing::ChildProcess;
using ::tembrel::testing::ReadLog;
using ::tembrel::testing::WiredLab;

constexpr uid_t kNobody = 65534;

std::string UserName() {
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr ? entry->pw_name : "";
}
constexpr const char* kOwn = "Own";  // the user's own connection, which autoconnects
// The lab's certificate folder holds ca.pem: a refusal may also be the server's.
constexpr const char* kRefused =
    "Authentication failed: the password or key was refused, or the server did not prove itself by the authority in "
    "ca.pem";

// Another program's secret agent, as a desktop runs one: it says "asked" for every request it
// gets (where a desktop would open a password dialog) and has no secrets.
constexpr const char* kOtherAgent = R"(
import dbus, dbus.service, dbus.mainloop.glib
from gi.repository import GLib
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SystemBus()
IFACE = 'org.freedesktop.NetworkManager.SecretAgent'
class Agent(dbus.service.Object):
    @dbus.service.method(IFACE, in_signature='a{sa{sv}}osasu', out_signature='a{sa{sv}}')
    def GetSecrets(self, connection, path, setting, hints, flags):
        print('asked', setting, flush=True)
        raise dbus.exceptions.DBusException('none', name=IFACE + '.NoSecrets')
    @dbus.service.method(IFACE, in_signature='os')
    def CancelGetSecrets(self, path, setting): pass
    @dbus.service.method(IFACE, in_signature='a{sa{sv}}o')
    def SaveSecrets(self, connection, path): pass
    @dbus.service.method(IFACE, in_signature='a{sa{sv}}o')
    def DeleteSecrets(self, connection, path): pass
agent = Agent(bus, '/org/freedesktop/NetworkManager/SecretAgent')
bus.get_object('org.freedesktop.NetworkManager', '/org/freedesktop/NetworkManager/AgentManager').RegisterWithCapabilities(
    'desktop.dialogs', dbus.UInt32(0), dbus_interface='org.freedesktop.NetworkManager.AgentManager')
print('registered', flush=True)
GLib.MainLoop().run()
)";

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
    // The host's /run as it was before the namespace: what the lab leaves there shows here.
    int hostRun = -1;
    bool hostHadNetworkManagerRun = false;
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
        suite_->hostRun = ::open("/run", O_PATH | O_DIRECTORY | O_CLOEXEC);
        suite_->hostHadNetworkManagerRun = ::faccessat(suite_->hostRun, "NetworkManager", F_OK, 0) == 0;
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
        if (!suite_) return;
        suite_->lab.reset();
        if (suite_->hostRun >= 0) ::close(suite_->hostRun);
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
    std::string deviceConnection() { return lab().deviceField("GENERAL.CONNECTION"); }
    // Takes down the link the library made (NetworkManager's own autoconnect then has the device).
    bool portDown() {
        driver().WPAPortDown();
        return PollUntil([&] { return deviceConnection().rfind("Tembrel ", 0) != 0; });
    }
    // The collected settings of a PEAP login on the port, then SetSsid.
    int joinPeap(const std::string& ssid, uint32_t auth, uint32_t encryption, const char* password) {
        const auto lease = handle.lease();
        EXPECT_EQ(driver().SetAuthMode(lease.get(), auth), 0);
        EXPECT_EQ(driver().SetWepStatus(lease.get(), encryption), 0);
        EXPECT_EQ(driver().WPACreateIdentityPEAP(WiredLab::kLogin, "", password), 0);
        return driver().SetSsid(lease.get(), ssid.data(), uint32_t(ssid.size()), 0);
    }

    // The user's own connection on the port, which NetworkManager starts by itself; gone again
    // with the object.
    struct OwnConnection {
        explicit OwnConnection(NetworkManagerLab& lab) : lab(lab) {
            added = lab.nmcli({"connection", "add", "type", "ethernet", "ifname", WiredLab::kPort, "con-name", kOwn,
                               "connection.autoconnect", "yes", "ipv4.method", "disabled", "ipv6.method",
                               "disabled"}) != "" ||
                    lab.nmcli({"-g", "connection.id", "connection", "show", kOwn}) == kOwn;
        }
        ~OwnConnection() { lab.nmcli({"connection", "delete", kOwn}); }
        NetworkManagerLab& lab;
        bool added = false;
    };

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
    // The device's own autoconnect is NetworkManager's and the user's, never the utility's.
    EXPECT_EQ(lab().deviceField("GENERAL.AUTOCONNECT"), "yes");

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
    EXPECT_TRUE(heard.waitFor(mark, "1012[PEAP authentication succeeded; the server was checked by the authority in "
                                    "ca.pem] 1"))
        << heard.since(mark);
    EXPECT_EQ(connectStatus(), 1);

    // After a failure hostapd holds the port for a while: a fresh one for the refusal.
    ASSERT_TRUE(lab().wired().startAuthenticator());
    mark = heard.count();
    EXPECT_EQ(connector.ConnectProfile(Profile("Corp-Port", 11, "looking-glass")), 2) << heard.since(mark);
    EXPECT_TRUE(heard.waitFor(mark, std::string("5 1012[") + kRefused + "]")) << heard.since(mark);
    EXPECT_EQ(connectStatus(), 0);
}

TEST_F(RealNetworkManager, WithoutCaPemTheSuccessTextSaysTheServerWentUnchecked) {
    ASSERT_TRUE(lab().wired().setAuthorityInstalled(false));
    struct Reinstall {
        ~Reinstall() { lab().wired().setAuthorityInstalled(true); }
    } reinstall;
    const size_t mark = heard.count();
    EXPECT_EQ(connector.ConnectProfile(Profile("Corp-Port", 11, WiredLab::kPassword)), 0) << heard.since(mark);
    EXPECT_TRUE(heard.waitFor(mark, "1012[PEAP authentication succeeded; the server was not checked: put its authority "
                                    "into ca.pem in the certificate folder TEMBREL_NM_CERT_DIR to check it] 1"))
        << heard.since(mark);
}

TEST_F(RealNetworkManager, TheHostGetsNoNetworkManagerFolderFromTheLab) {
    if (suite_->hostHadNetworkManagerRun)
        GTEST_SKIP() << "the host had /run/NetworkManager before the lab (NetworkManager runs there, or a test "
                        "left it)";
    EXPECT_NE(::faccessat(suite_->hostRun, "NetworkManager", F_OK, 0), 0);
}

TEST_F(RealNetworkManager, ThePasswordIsInNoFileAndNoOtherUserSeesIt) {
    const size_t mark = heard.count();
    ASSERT_EQ(connector.ConnectProfile(Profile("Corp-Port", 11, WiredLab::kPassword)), 0) << heard.since(mark);
    EXPECT_EQ(deviceConnection(), "Tembrel Corp-Port");
    EXPECT_EQ(lab().filesHolding(WiredLab::kPassword), std::vector<std::string>{});
    // Only the user running the program sees the connection at all.
    ASSERT_NE(lab().nmcli({"-g", "GENERAL.STATE", "device", "show", WiredLab::kPort}, kNobody), "");
    EXPECT_EQ(lab().nmcli({"-s", "-g", "802-1x.password", "connection", "show", "Tembrel Corp-Port"}, kNobody), "");
    EXPECT_EQ(lab().nmcli({"-g", "connection.permissions", "connection", "show", "Tembrel Corp-Port"}),
              "user\\:" + UserName());
}

TEST_F(RealNetworkManager, AWrongPasswordIsRefusedAtOnceAndNoOtherAgentIsAsked) {
    const testing::TempFolder folder("tembrel_nm_agent_");
    const std::string log = (folder / "agent.log").string();
    ChildProcess other({"/usr/bin/python3", "-c", kOtherAgent}, log);
    ASSERT_TRUE(PollUntil([&] { return ReadLog(log).find("registered") != std::string::npos || !other.running(); }))
        << ReadLog(log);
    ASSERT_TRUE(other.running()) << ReadLog(log);

    const size_t mark = heard.count();
    EXPECT_EQ(joinPeap("Corp-Port", ZARN9100_AUTH_WPA2, ZARN9100_ENCRYPTION_AES, "looking-glass"), 2)
        << heard.since(mark);
    EXPECT_TRUE(heard.waitFor(mark, std::string("5 1012[") + kRefused + "]")) << heard.since(mark);
    EXPECT_EQ(ReadLog(log).find("asked"), std::string::npos) << ReadLog(log);
}

TEST_F(RealNetworkManager, DynamicWepAuthenticatesWithPeap) {
    const size_t mark = heard.count();
    EXPECT_EQ(joinPeap("Corp-Port", ZARN9100_AUTH_OPEN, ZARN9100_ENCRYPTION_WEP, WiredLab::kPassword), 0)
        << heard.since(mark);
    EXPECT_EQ(connectStatus(), 1);
}

TEST_F(RealNetworkManager, TextThatIsNotUtf8IsRefusedNamingTheFieldAndTheLinkStays) {
    size_t mark = heard.count();
    ASSERT_EQ(connector.ConnectProfile(Profile("Office", 0, "")), 0) << heard.since(mark);
    mark = heard.count();
    EXPECT_EQ(joinPeap("Corp-Port", ZARN9100_AUTH_WPA2, ZARN9100_ENCRYPTION_AES, "caf\xe9"), 2);
    EXPECT_TRUE(heard.waitFor(mark, "5 1012[Authentication failed: The password is not UTF-8 text, which "
                                    "NetworkManager requires]"))
        << heard.since(mark);
    EXPECT_EQ(connectStatus(), 1);
    EXPECT_EQ(deviceConnection(), "Tembrel Office");
}

TEST_F(RealNetworkManager, AfterTheLastCloseNothingIsHeard) {
    ASSERT_TRUE(portDown());
    handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().CloseAdapter(h); });
    const size_t mark = heard.count();
    OwnConnection own(lab());
    ASSERT_TRUE(own.added);
    ASSERT_TRUE(PollUntil([&] { return deviceConnection() == kOwn; }, 20s));
    const std::string heardWhileClosed = heard.since(mark);
    // Open again, the library reports NetworkManager's link as one it did not make.
    handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().OpenAdapter(h); });
    EXPECT_TRUE(PollUntil([&] { return connectStatus() == 1; }));
    EXPECT_EQ(heardWhileClosed, "");
}

TEST_F(RealNetworkManager, TheUsersConnectionComesBackWhenProgramsOnTheCardAreKilled) {
    ASSERT_TRUE(portDown());
    OwnConnection own(lab());
    ASSERT_TRUE(own.added);
    ASSERT_TRUE(PollUntil([&] { return deviceConnection() == kOwn; }, 20s));
    const testing::TempFolder folder("tembrel_nm_holders_");
    const char* bin = std::getenv("TEMBREL_BIN_DIR");
    const std::string library = std::string(bin != nullptr ? bin : ".") + "/libTembrelNM.so";
    // Two utilities, the second taking the card over from the first, both killed in turn.
    std::vector<std::unique_ptr<ChildProcess>> holders;
    for (const char* ssid : {"First", "Second"}) {
        const std::string log = (folder / (std::string(ssid) + ".log")).string();
        holders.push_back(std::make_unique<ChildProcess>(
            std::vector<std::string>{TEMBREL_NM_LINK_HOLDER, library, ssid, (folder / ssid).string()}, log));
        ASSERT_TRUE(PollUntil([&] { return ReadLog(log).find("SetSsid") != std::string::npos; }, 30s));
        EXPECT_NE(ReadLog(log).find("SetSsid 0"), std::string::npos) << ReadLog(log);
        EXPECT_EQ(deviceConnection(), std::string("Tembrel ") + ssid);
    }
    for (const char* ssid : {"First", "Second"}) std::ofstream(folder / ssid) << "go\n";
    for (auto& holder : holders) EXPECT_EQ(holder->wait(), -1);
    EXPECT_TRUE(PollUntil([&] { return deviceConnection() == kOwn; }, 15s)) << deviceConnection();
    EXPECT_EQ(lab().deviceField("GENERAL.AUTOCONNECT"), "yes");
}

TEST_F(RealNetworkManager, ALostLinkIsEventFourAndTheDevicesAutoconnectIsLeftOn) {
    size_t mark = heard.count();
    ASSERT_EQ(connector.ConnectProfile(Profile("Office", 0, "")), 0) << heard.since(mark);
    mark = heard.count();
    ASSERT_TRUE(lab().wired().setAuthenticatorLink(false));
    EXPECT_TRUE(heard.waitFor(mark, "4")) << heard.since(mark);
    EXPECT_EQ(connectStatus(), 0);

    handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().CloseAdapter(h); });
    EXPECT_TRUE(PollUntil([&] { return lab().deviceField("GENERAL.AUTOCONNECT") == "yes"; }));
}

TEST_F(RealNetworkManager, TheCardComesBackAfterTheSystemBusRestarts) {
    size_t mark = heard.count();
    ASSERT_EQ(connector.ConnectProfile(Profile("Office", 0, "")), 0) << heard.since(mark);
    mark = heard.count();
    ASSERT_EQ(lab().restartBus(), "");
    EXPECT_TRUE(heard.waitFor(mark, "device 32772 tembrel-port")) << heard.since(mark);
    EXPECT_TRUE(heard.waitFor(mark, "device 32768 tembrel-port")) << heard.since(mark);
    handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().CloseAdapter(h); });
    handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().OpenAdapter(h); });
    ASSERT_TRUE(handle.held());
    mark = heard.count();
    EXPECT_EQ(connector.ConnectProfile(Profile("Office", 0, "")), 0) << heard.since(mark);
    EXPECT_EQ(deviceConnection(), "Tembrel Office");
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
