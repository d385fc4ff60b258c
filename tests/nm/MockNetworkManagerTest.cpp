// libTembrelNM.so on a wireless device, which no kernel here can give a real NetworkManager:
// python3-dbusmock's NetworkManager template on a private system bus plays NetworkManager with a
// wireless device and access points. Its list comes back through the program's scan walk, an
// activation links, a refusal carries NetworkManager's reason, the radio switches are read and
// reported, and the card goes with the device. Skipped, saying why, without dbus-daemon or
// python3-dbusmock.

#include "tests/nm/PrivateSystemBus.h"
#include "tests/support/PollUntil.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/BuiltDriver.h"
#include "tests/support/HeardEvents.h"

#include "adapter/DriverLoader.h"
#include "survey/ChannelPlan.h"
#include "survey/ScanEntry.h"
#include "survey/SecurityDetection.h"

#include <TembrelCodes.h>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tembrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::PollUntil;
using ::tembrel::testing::ChildProcess;
using nm::testing::PrivateSystemBus;
using ::tembrel::testing::FindProgram;

constexpr const char* kManager = "/org/freedesktop/NetworkManager";
constexpr const char* kManagerIface = "org.freedesktop.NetworkManager";
constexpr const char* kMockIface = "org.freedesktop.DBus.Mock";
constexpr const char* kDevice = "/org/freedesktop/NetworkManager/Devices/wlan0";

// What NetworkManager does on AddAndActivateConnection2, as far as these tests need it: the SSID
// "Refusing" fails with reason 7 (no secrets); any other links to the access point of that SSID
// with an active connection of the connection's own UUID.
constexpr const char* kActivate = R"(
conn = args[0]; dev = args[1]
ssid = bytes(conn['802-11-wireless']['ssid'])
DEV = 'org.freedesktop.NetworkManager.Device'
d = objects[dev]
old = d.Get(DEV, 'State')
aps = []
actives = 0
for p in objects:
    if '/AccessPoint/' in p and bytes(objects[p].Get('org.freedesktop.NetworkManager.AccessPoint', 'Ssid')) == ssid:
        aps.append(p)
    if '/ActiveConnection/' in p:
        actives += 1
ac = '/'
if ssid == b'Refusing':
    new, reason = 120, 7
else:
    new, reason = 100, 0
    ac = '/org/freedesktop/NetworkManager/ActiveConnection/' + str(actives)
    self.AddObject(ac, 'org.freedesktop.NetworkManager.Connection.Active', {
        'Devices': dbus.Array([dbus.ObjectPath(dev)], signature='o'), 'Uuid': conn['connection']['uuid'],
        'Id': conn['connection']['id'], 'Type': '802-11-wireless', 'State': dbus.UInt32(2),
        'SpecificObject': dbus.ObjectPath(aps[0]), 'Connection': dbus.ObjectPath('/'), 'Vpn': False,
        'Default': False, 'Default6': False, 'Master': dbus.ObjectPath('/')}, [])
    self.object_manager_emit_added(ac)
    d.Set('org.freedesktop.NetworkManager.Device.Wireless', 'ActiveAccessPoint', dbus.ObjectPath(aps[0]))
d.Set(DEV, 'ActiveConnection', dbus.ObjectPath(ac))
d.Set(DEV, 'StateReason', (dbus.UInt32(new), dbus.UInt32(reason)))
d.Set(DEV, 'State', dbus.UInt32(new))
d.EmitSignal(DEV, 'StateChanged', 'uuu', [dbus.UInt32(new), old, dbus.UInt32(reason)])
ret = (dbus.ObjectPath('/'), dbus.ObjectPath(ac), dbus.Dictionary({}, signature='sv'))
)";

constexpr const char* kRemoveDevice = R"(
p = args[0]
self.object_manager_emit_removed(p)
self.RemoveObject(p)
devices = dbus.Array([], signature='o')
for x in self.Get('org.freedesktop.NetworkManager', 'Devices'):
    if x != p:
        devices.append(x)
self.Set('org.freedesktop.NetworkManager', 'Devices', devices)
self.EmitSignal('org.freedesktop.NetworkManager', 'DeviceRemoved', 'o', [dbus.ObjectPath(p)])
)";

struct GObjectUnref {
    void operator()(gpointer p) const { g_object_unref(p); }
};

// The mock on a bus of its own; call() reaches its org.freedesktop.DBus.Mock methods.
class MockBus {
public:
    MockBus() {
        if (!root.made()) {
            problem = "no temporary folder";
            return;
        }
        bus = std::make_unique<PrivateSystemBus>(root.path());
        if (!bus->problem().empty()) {
            problem = bus->problem();
            return;
        }
        mock = std::make_unique<ChildProcess>(
            std::vector<std::string>{"/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "networkmanager"},
            (root / "mock.log").string());
        // The socket file appears when the daemon binds it, a moment before it listens.
        std::string refused;
        PollUntil([&] {
            GError* error = nullptr;
            connection.reset(g_dbus_connection_new_for_address_sync(
                bus->address().c_str(),
                GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                     G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, &error));
            if (!connection) {
                refused = error->message;
                g_error_free(error);
            }
            return connection != nullptr || !bus->running();
        });
        if (!connection) {
            problem = "no connection to the test bus: " + refused;
            return;
        }
        if (!PollUntil([&] { return hasManager() || !mock->running(); }, 30000ms) || !mock->running())
            problem = "the NetworkManager template did not start: " + log();
    }
    bool hasManager() {
        GVariant* r = g_dbus_connection_call_sync(connection.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "NameHasOwner",
                                                  g_variant_new("(s)", kManagerIface), G_VARIANT_TYPE("(b)"),
                                                  G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
        if (r == nullptr) return false;
        gboolean has = FALSE;
        g_variant_get(r, "(b)", &has);
        g_variant_unref(r);
        return has;
    }
    // A method of the mock's manager object (the mock's own interface unless named).
    bool call(const char* method, GVariant* params, const char* path = kManager, const char* iface = kMockIface) {
        GError* error = nullptr;
        GVariant* r = g_dbus_connection_call_sync(connection.get(), kManagerIface, path, iface, method, params, nullptr,
                                                  G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
        if (r == nullptr) {
            ADD_FAILURE() << method << ": " << error->message;
            g_error_free(error);
            return false;
        }
        g_variant_unref(r);
        return true;
    }
    bool setProperty(const char* path, const char* iface, const char* name, GVariant* value) {
        return call("SetProperty", g_variant_new("(sssv)", path, iface, name, value));
    }
    std::string log() const {
        return ::tembrel::testing::ReadLog(root / "mock.log");
    }

    std::string problem;
    // In the order they start: they end the other way round.
    testing::TempFolder root{"tembrel_nm_mock_"};
    std::unique_ptr<PrivateSystemBus> bus;
    std::unique_ptr<ChildProcess> mock;
    std::unique_ptr<GDBusConnection, GObjectUnref> connection;
};

struct Suite {
    std::string skip;
    std::unique_ptr<MockBus> bus;
    std::unique_ptr<DriverLibrary> library = MakeNoCardDriverLibrary();
};

class MockNetworkManager : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        suite_ = std::make_unique<Suite>();
        if (FindProgram("dbus-daemon").empty()) {
            suite_->skip = "dbus-daemon is not installed (scripts/install-deps installs it)";
            return;
        }
        if (std::system("/usr/bin/python3 -c 'import dbusmock' 2>/dev/null") != 0) {
            suite_->skip = "python3-dbusmock is not installed (scripts/install-deps installs it)";
            return;
        }
        suite_->bus = std::make_unique<MockBus>();
        MockBus& bus = *suite_->bus;
        ASSERT_EQ(bus.problem, "");
        ASSERT_TRUE(bus.call("AddWiFiDevice", g_variant_new("(ssi)", "wlan0", "wlan0", 30)));
        ASSERT_TRUE(bus.call("AddProperty", g_variant_new("(ssv)", "org.freedesktop.NetworkManager.Device.Wireless",
                                                          "ActiveAccessPoint", g_variant_new_object_path("/")),
                             kDevice));
        // Name, SSID, BSSID, mode (2 infrastructure), MHz, kbit/s, strength %, WPA and RSN flags.
        struct Ap {
            const char* name;
            const char* ssid;
            const char* bssid;
            uint32_t mhz, kbps;
            uint8_t strength;
            uint32_t flags;
        };
        const Ap aps[] = {
            {"open", "CoffeeShop", "00:11:22:33:44:01", 2437, 54000, 100, 0},
            {"psk", "HomeCcmp", "00:11:22:33:44:02", 5180, 54000, 50, 0x188},   // CCMP, PSK
            {"eap", "Refusing", "00:11:22:33:44:03", 2412, 11000, 25, 0x288},   // CCMP, 802.1x
        };
        for (const Ap& ap : aps) {
            ASSERT_TRUE(bus.call("AddAccessPoint", g_variant_new("(ssssuuuyu)", kDevice, ap.name, ap.ssid, ap.bssid, 2u,
                                                                 ap.mhz, ap.kbps, ap.strength, ap.flags)));
        }
        ASSERT_TRUE(bus.call("AddMethod", g_variant_new("(sssss)", kManagerIface, "AddAndActivateConnection2",
                                                        "a{sa{sv}}ooa{sv}", "ooa{sv}", kActivate)));
        ASSERT_TRUE(bus.call("AddMethod", g_variant_new("(sssss)", kMockIface, "RemoveWiFiDevice", "s", "",
                                                        kRemoveDevice)));
        ::unsetenv("TEMBREL_NM_INTERFACE");
        ASSERT_EQ(testing::LoadBuiltDriver("libTembrelNM.so", suite_->library), "");
    }
    static void TearDownTestSuite() { suite_.reset(); }

    void SetUp() override {
        if (!suite_->skip.empty()) GTEST_SKIP() << suite_->skip;
        ASSERT_NE(suite_->bus, nullptr);
        driver().Initialize(&sink);
        driver().OpenAdapter(&h);
        ASSERT_NE(h, nullptr) << bus().log();
    }
    void TearDown() override {
        if (!suite_->skip.empty()) return;
        ZARN9100_EVENT_SINK none{};
        driver().Initialize(&none);
        driver().CloseAdapter(&h);
    }
    static DriverLibrary& driver() { return *suite_->library; }
    static MockBus& bus() { return *suite_->bus; }

    static void Notify(void* context, uint32_t, uintptr_t code, intptr_t param) {
        static_cast<MockNetworkManager*>(context)->heard.addEvent(code, param);
    }
    bool hears(const std::string& text) { return heard.waitFor(0, text); }
    uint32_t radio() {
        uint32_t v = 99;
        EXPECT_EQ(driver().QueryRadioControl(h, &v), 0);
        return v;
    }

    static inline std::unique_ptr<Suite> suite_;
    testing::HeardEvents heard;
    ZARN9100_EVENT_SINK sink{&Notify, this};
    ZARN9100_HANDLE h = nullptr;
};

TEST_F(MockNetworkManager, TheAccessPointsReadBackThroughTheProgramsScanWalk) {
    ScanBuffer buffer{};
    ASSERT_EQ(driver().QueryScanList(h, buffer.data(), uint32_t(buffer.size())), 0);
    const ScanList list(buffer);
    ASSERT_EQ(list.numberOfItems(), 3u);
    std::map<std::string, std::tuple<uint32_t, uint32_t, int, ScanSecurity>> seen;
    for (const ScanEntry entry : list)
        seen[std::string(entry.ssid())] = {ChannelFromFrequency(entry.dsConfigKHz()), ClassifyBand(entry),
                                           SignalPercent(entry), DetectSecurityOfEntry(entry)};
    using Row = std::tuple<uint32_t, uint32_t, int, ScanSecurity>;
    // 100% is -40 dBm, 50% -70 dBm, 25% -85 dBm; the program's percent is (dBm + 96) of 40.
    EXPECT_EQ(seen["CoffeeShop"], (Row{6, kBand80211g, 100, {kAuthOpenSystem, kCipherWep}}));
    EXPECT_EQ(seen["HomeCcmp"], (Row{36, kBand80211a, 65, {kAuthWpa2Psk, kCipherAes}}));
    EXPECT_EQ(seen["Refusing"], (Row{1, kBand80211b, 27, {kGroupWpa2, kCipherAes}}));
}

TEST_F(MockNetworkManager, AnActivationLinksAndARefusalCarriesTheReason) {
    ASSERT_EQ(driver().SetAuthMode(h, ZARN9100_AUTH_OPEN), 0);
    ASSERT_EQ(driver().SetWepStatus(h, ZARN9100_ENCRYPTION_DISABLED), 0);
    EXPECT_EQ(driver().SetSsid(h, "CoffeeShop", 10, 0), 0) << bus().log();
    EXPECT_TRUE(hears("1"));
    EXPECT_EQ(driver().GetConnectStatus(h), 1);
    char ssid[33] = {};
    EXPECT_EQ(driver().QuerySsid(h, ssid, sizeof ssid), 0);
    EXPECT_STREQ(ssid, "CoffeeShop");
    uint8_t bssid[6] = {};
    EXPECT_EQ(driver().QueryBssid(h, bssid), 0);
    EXPECT_EQ(bssid[5], 0x01);
    uint32_t channel = 0;
    EXPECT_EQ(driver().QueryChannel(h, &channel), 0);
    EXPECT_EQ(channel, 6u);
    int32_t rssi = 0;
    EXPECT_EQ(driver().QueryRssi(h, &rssi), 0);
    EXPECT_EQ(rssi, -40);

    // A name no scan heard is not in range; a network that refuses says why.
    EXPECT_EQ(driver().SetSsid(h, "Elsewhere", 9, 0), 1);
    ASSERT_EQ(driver().SetAuthMode(h, ZARN9100_AUTH_WPA2_PSK), 0);
    ASSERT_EQ(driver().SetWepStatus(h, ZARN9100_ENCRYPTION_AES), 0);
    ASSERT_EQ(driver().SetWPAInformation(h, 1, 9, 3, "not the key", "Refusing"), 0);
    EXPECT_EQ(driver().SetSsid(h, "Refusing", 8, 0), 2);
    EXPECT_TRUE(hears("5 1012[Authentication failed: no secrets]")) << heard.since();
}

// An identity is given for one network: a WPA2 802.1x network joined without one is refused
// here, not sent with the last network's user.
TEST_F(MockNetworkManager, AnIdentityServesOneNetworkOnly) {
    const auto enterprise = [&] {
        ASSERT_EQ(driver().SetAuthMode(h, ZARN9100_AUTH_WPA2), 0);
        ASSERT_EQ(driver().SetWepStatus(h, ZARN9100_ENCRYPTION_AES), 0);
    };
    enterprise();
    ASSERT_EQ(driver().WPACreateIdentityPEAP("alice", "", "wonderland"), 0);
    EXPECT_EQ(driver().SetSsid(h, "Refusing", 8, 0), 2) << "NetworkManager refuses this one";

    enterprise();
    const size_t mark = heard.count();
    EXPECT_EQ(driver().SetSsid(h, "Refusing", 8, 0), 2);
    EXPECT_TRUE(heard.waitFor(mark, "5 1012[Authentication failed: 802.1x needs an identity]")) << heard.since(mark);
}

TEST_F(MockNetworkManager, TheRadioSwitchesAreReadAndTheHardwareOneReported) {
    EXPECT_EQ(radio(), 1u);
    ASSERT_TRUE(bus().setProperty(kManager, kManagerIface, "WirelessEnabled", g_variant_new_boolean(FALSE)));
    EXPECT_TRUE(PollUntil([&] { return radio() == 0; }));
    EXPECT_EQ(driver().SetSsid(h, "CoffeeShop", 10, 0), 3);
    ASSERT_TRUE(bus().setProperty(kManager, kManagerIface, "WirelessHardwareEnabled", g_variant_new_boolean(FALSE)));
    EXPECT_TRUE(hears("9"));
    EXPECT_EQ(radio(), 2u);
    ASSERT_TRUE(bus().setProperty(kManager, kManagerIface, "WirelessHardwareEnabled", g_variant_new_boolean(TRUE)));
    EXPECT_TRUE(hears("9 8"));
    EXPECT_EQ(driver().SetRadioControl(h, 1), 0);
    EXPECT_TRUE(PollUntil([&] { return radio() == 1; }));
}

// Last: the device goes away for good.
TEST_F(MockNetworkManager, TheCardGoesWithTheDevice) {
    ASSERT_TRUE(bus().call("RemoveWiFiDevice", g_variant_new("(s)", kDevice)));
    EXPECT_TRUE(hears("2")) << heard.since();
    driver().CloseAdapter(&h);
    driver().OpenAdapter(&h);
    EXPECT_EQ(h, nullptr);
}

}  // namespace
}  // namespace tembrel
