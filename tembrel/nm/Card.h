#pragma once
// A wireless card as NetworkManager sees it, through libnm. The NMClient and every object it
// hands out live on the library's own GLib thread (GLibThread); the C ABI's threads reach them
// only through call() and post(), and wait for associations on a condition variable of their own.

#include "GLibThread.h"
#include "GObjectPtr.h"
#include "SecretAgent.h"
#include "tembrel/common/AssociationAttempt.h"
#include "tembrel/common/DriverCard.h"

#include <NetworkManager.h>
#include <Tembrel.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tembrel::nm {

struct Settings {
    std::string interfaceName;   // empty: the first wireless device NetworkManager manages
    std::string certificateDir;  // TLS client certificates and ca.pem
    bool addresses = true;       // the connections ask NetworkManager for addresses
    int associationTimeoutMs = 20000;
    static Settings FromEnvironment();
};

// What the device says about its link, read in one go on the GLib thread.
struct LinkFacts {
    bool present = false;    // the device exists
    bool connected = false;  // associated: NetworkManager configures addresses or is done
    std::string ssid;
    std::array<uint8_t, 6> bssid{};
    uint32_t frequencyMHz = 0;
    std::optional<int32_t> rssiDbm;
    uint32_t speedKbps = 0;
};

class Card final : public abi::DriverCard {
public:
    explicit Card(Settings settings);
    ~Card() override;
    Card(const Card&) = delete;
    Card& operator=(const Card&) = delete;

    abi::EventDispatcher& dispatcher() override { return dispatcher_; }
    // A handle while NetworkManager runs and manages the device; null otherwise (said why on
    // standard error). The device's own autoconnect is never touched: a link NetworkManager
    // makes by itself is one the utility did not ask for.
    ZARN9100_HANDLE open() override;
    bool close(ZARN9100_HANDLE h) override;
    bool valid(ZARN9100_HANDLE h) override;
    // NetworkManager is the library's own way to the card: never a service in the way.
    bool managedBySystemService() const override { return false; }

    bool wired() const override { return wired_.load(); }
    std::string interfaceName() override;
    LinkFacts link();
    bool associated() override { return link().connected; }
    std::string associatedSsid() override { return link().ssid; }
    std::array<uint8_t, 6> associatedBssid() override { return link().bssid; }
    // From the settings of the connection active on the device, whoever made it.
    abi::LinkSecurity linkSecurity() override;
    uint32_t linkFrequencyMHz() override { return link().frequencyMHz; }
    std::optional<int32_t> rssiDbm() override;
    std::optional<uint32_t> linkSpeed100bps() override;
    std::optional<std::array<uint8_t, 6>> macAddress() override;
    std::string driverText() override;
    int64_t statistic(const char* name) override;
    std::vector<std::vector<uint8_t>> scanEntries() override;
    int scan() override;
    // 1 on, 0 switched off in software, 2 the hardware switch is off.
    uint32_t radioControl() override;
    int setRadioControl(bool on) override;
    int setSsid(const std::string& ssid, bool hidden, const abi::CollectedSecurity& security) override;
    bool acceptsWepKeyLength(uint32_t length) const override { return length >= 1 && length <= 32; }
    std::string identityTextProblem(const std::string&) const override { return {}; }
    void logOff() override { disconnect(); }
    void disconnect();

private:
    // Everything below named loop* runs on the GLib thread only.
    void loopStart();
    void loopStop();
    // A bus connection, client and agent of the library's own; false when the bus cannot be
    // reached (said once on standard error). `announce` reports the device's arrival.
    bool loopConnect(bool announce);
    // The bus went away (a restarted D-Bus): the card is gone until a new connection finds it.
    void loopBusLost();
    // Tries loopConnect every kReconnectMs until it succeeds.
    void loopRetryConnect();
    static void OnBusClosed(GDBusConnection*, gboolean, GError*, gpointer self);
    // Takes the device the settings name (or the first managed wireless one) when none is
    // taken; `announce` reports its arrival.
    void loopChooseDevice(bool announce);
    void loopForgetDevice();
    // Deactivates the device's active connection when the library made it; another program's
    // (or NetworkManager's own) link is left alone.
    void loopDeactivateOwn();
    static void OnDeviceAdded(NMClient*, NMDevice*, gpointer self);
    static void OnDeviceRemoved(NMClient*, NMDevice*, gpointer self);
    static void OnStateChanged(NMDevice*, guint state, guint old, guint reason, gpointer self);
    static void OnLastScan(GObject*, GParamSpec*, gpointer self);
    static void OnActiveConnection(GObject*, GParamSpec*, gpointer self);
    static void OnHardwareSwitch(GObject*, GParamSpec*, gpointer self);
    void loopStateChanged(guint state, guint old, guint reason);
    bool loopActiveIsOurs();
    // The SSID of the connection active on the device: the one last applied when it is ours
    // (a wired port's SSID only names its connection), else the connection's name.
    std::string appliedSsid();
    // Settles attempt `id` with `outcome`; false when it is not under way or has ended already.
    bool decide(abi::AssociationAttempts::Id id, int outcome) { return attempts_.settle(id, outcome); }
    // Posts a library event or status text while a handle is open; after the last close the
    // program hears nothing more.
    void report(abi::CardEvent e);
    // The 1012 text of a failed attempt of the library's own.
    std::string refusalText(guint reason, const std::string& uuid);

    Settings settings_;
    std::atomic<bool> wired_{false};  // the device is an Ethernet port (chosen by name)
    abi::EventDispatcher dispatcher_;

    std::mutex mutex_;  // handles
    std::set<uintptr_t> handles_;
    uintptr_t nextHandle_ = 1;

    // The association under way, decided on the GLib thread.
    abi::AssociationAttempts attempts_;
    std::mutex outcomeMutex_;  // what follows
    abi::AssociationAttempts::Id attemptId_ = abi::AssociationAttempts::kNone;
    std::string attemptUuid_;
    std::string appliedSsid_;
    abi::EapMethod method_ = abi::EapMethod::None;
    bool serverChecked_ = false;  // the attempt checks the server by ca.pem
    bool expectDisconnect_ = false;

    // GLib thread state.
    GObjectPtr<GDBusConnection> bus_;
    GSource* retry_ = nullptr;  // owned: the reconnection timer while the bus is gone
    bool saidNoBus_ = false;
    GObjectPtr<NMClient> client_;
    GObjectPtr<NMDevice> device_;
    std::string deviceName_;
    std::unique_ptr<SecretAgent> agent_;
    std::set<std::string> madeUuids_;  // the connections the library made
    bool linked_ = false;
    bool hardwareOn_ = true;

    std::unique_ptr<GLibThread> loop_;  // last: its thread uses everything above
};

}  // namespace tembrel::nm
