#pragma once
// A real wireless card: the kernel's view (sysfs, rfkill) and wpa_supplicant's, through two
// control connections (requests, and an attached one whose events a thread of ours reads).

#include "tembrel/common/AssociationAttempt.h"
#include "tembrel/common/DriverCard.h"
#include "NetworkConfig.h"
#include "ServerTrust.h"
#include "SupplicantLink.h"

#include <Tembrel.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tembrel::wpa {

struct Paths {
    std::string sysfs = "/sys";
    std::string controlDir = "/run/wpa_supplicant";
    std::string certificateDir;
    std::string pinFile;        // the servers pinned on first use (ServerTrust.h)
    std::string interfaceName;  // empty: the first wireless interface
    int associationTimeoutMs = 20000;
    int requestTimeoutMs = 3000;
    static Paths FromEnvironment();
};

// The first wireless interface under sysfs/class/net (one with "wireless" or "phy80211").
std::optional<std::string> FindWirelessInterface(const std::string& sysfs);
// An interface that exists but is not wireless: a wired port, authenticated with 802.1x.
bool IsWiredPort(const std::string& sysfs, const std::string& name);

class Card final : public abi::DriverCard {
public:
    explicit Card(Paths paths);
    ~Card() override;
    Card(const Card&) = delete;
    Card& operator=(const Card&) = delete;
    // Wakes every wait (an association under way ends with result 1) and stops the events.
    void shutdown();

    abi::EventDispatcher& dispatcher() override { return dispatcher_; }
    ZARN9100_HANDLE open() override;
    bool close(ZARN9100_HANDLE h) override;
    bool valid(ZARN9100_HANDLE h) override;
    bool managedBySystemService() const override;

    std::string interfaceName() override { return interface_; }
    Port port() const { return port_; }
    bool wired() const override { return port_ == Port::Wired; }
    // The interface's operational state says there is a link (a cable to a live port).
    bool linkUp() const;
    std::string sysfsText(const std::string& relative) const;
    std::optional<std::array<uint8_t, 6>> macAddress() override;
    // The kernel driver bound to the interface (the device/driver link) and its module's
    // version; empty when unknown.
    std::string driverText() override;
    int64_t statistic(const char* name) override;

    // Requests to the supplicant; empty when it cannot be reached or does not answer.
    std::optional<std::string> request(const std::string& command);
    bool requestOk(const std::string& command);
    // Whether the supplicant's socket is there and takes a connection.
    bool reachable();

    int setSsid(const std::string& ssid, bool hidden, const CollectedSecurity& settings) override;
    // wpa_supplicant takes WEP keys of 5, 13 or 16 bytes, and texts it can quote.
    bool acceptsWepKeyLength(uint32_t length) const override { return length == 5 || length == 13 || length == 16; }
    std::string identityTextProblem(const std::string& text) const override { return QuotableTextProblem(text); }
    void logOff() override { requestOk("LOGOFF"); }

    // From the supplicant's STATUS and SIGNAL_POLL.
    bool associated() override;
    std::string associatedSsid() override;
    std::array<uint8_t, 6> associatedBssid() override;
    abi::LinkSecurity linkSecurity() override;
    uint32_t linkFrequencyMHz() override;
    std::optional<int32_t> rssiDbm() override;
    std::optional<uint32_t> linkSpeed100bps() override;

    int scan() override;
    std::vector<std::vector<uint8_t>> scanEntries() override;
    // rfkill: 1 on, 0 soft-blocked, 2 hard-blocked; empty without an rfkill switch.
    std::optional<uint32_t> radioState() const;
    uint32_t radioControl() override { return radioState().value_or(ZARN9100_RADIO_ON); }
    int setRadioControl(bool on) override;

private:
    // The association under way: what the events decide and report for it.
    struct Attempt {
        abi::AssociationAttempts::Id id = abi::AssociationAttempts::kNone;
        std::string networkId;  // the supplicant's network it selected
        std::string ssid;
        EapMethod method = EapMethod::None;
        std::optional<ServerTrust> trust;  // for methods where the server shows a certificate
        std::string serverHash;             // the certificate the server showed
    };

    void readLinkState();
    // No answer from the supplicant: result 5 and a text saying so.
    int unreachable();
    // A refusal before anything reached the supplicant: event 5, a text, result 2.
    int refuse(const std::string& problem);
    // Replaces the supplicant's networks by one made of `fields` and selects it, `attempt`
    // beginning just before; a result when it fails.
    std::optional<int> replaceNetworks(const std::vector<NetworkField>& fields, Attempt& attempt);
    void eventLoop(bool present);
    bool present();
    bool interfacePresent() const;
    // Tells the card's removal or arrival when `present` changes.
    void watchDevice(bool& present);
    void connected(const std::optional<std::string>& networkId);
    // From pinning on, the running network is held to the pin: re-authentications included.
    void holdToPin(const std::string& networkId, const std::string& hash);
    // The link's session failed after it was up (a re-authentication): `text`, then the link
    // ends with event 4.
    void endSession(const std::string& text);
    // The link is up and no SetSsid waits: what the supplicant reports is about that link.
    bool inSessionLocked() const;  // with outcomeMutex_ held
    // The supplicant ended or stopped answering: an association under way ends with 5 and a text.
    void supplicantGone();
    void handleEvent(const std::string& text);
    // The association under way, if any, ends with `outcome`: the one for the supplicant's
    // network `networkId` when the event names one, else whichever is under way.
    void decide(int outcome, const std::optional<std::string>& networkId = std::nullopt);
    // A wired port lost its link: wpa_supplicant's wired driver does not notice, so the card
    // disconnects (the usual disconnect event follows) and an association under way fails.
    void wiredLinkLost();
    void refreshScanList();
    std::optional<std::string> rfkillFolder() const;

    Paths paths_;
    std::string interface_;
    Port port_ = Port::Wireless;
    abi::EventDispatcher dispatcher_;
    std::mutex mutex_;  // handles, the scan cache
    std::set<uintptr_t> handles_;
    uintptr_t nextHandle_ = 1;
    std::vector<std::vector<uint8_t>> scanCache_;

    std::unique_ptr<SupplicantLink> link_;
    ServerTrustStore trust_;

    abi::AssociationAttempts attempts_;
    // The link as the events tell it, and the attempt they report for.
    std::mutex outcomeMutex_;
    std::condition_variable outcomeChanged_;  // stop_ only
    bool connected_ = false;
    bool expectDisconnect_ = false;
    bool sessionEnding_ = false;  // endSession asked for the disconnect
    Attempt attempt_;

    bool stop_ = false;
    std::thread thread_;
};

}  // namespace tembrel::wpa
