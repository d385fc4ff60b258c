// The card against a scripted control socket and a sysfs tree in a temporary folder.

#include "Card.h"
#include "FakeSupplicant.h"
#include "tembrel/common/ScanEntryLayout.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

namespace tembrel::wpa {
namespace {

namespace fs = std::filesystem;
using testing::FakeSupplicant;
using testing::ScriptedReply;

const char* kCcmpBss =
    "id=3\nbssid=00:11:22:33:44:04\nfreq=2462\nbeacon_int=100\ncapabilities=0x1411\nlevel=-48\n"
    "ie=0008486f6d6543636d70010882848b960c12182403010b30140100000fac040100000fac040100000fac02000032043048606c\n";
const char* kEapBss =
    "id=4\nbssid=00:11:22:33:44:05\nfreq=2437\nbeacon_int=102\ncapabilities=0x0431\nlevel=-60\n"
    "ie=0007436f72704e6574010882848b960c12182403010630140100000fac040100000fac040100000fac01000032043048606c\n";

struct Received {
    uintptr_t code;
    std::string text;
};

class RecordingSink {
public:
    RecordingSink() : sink_{&RecordingSink::Notify, this} {}
    const ZARN9100_EVENT_SINK* sink() const { return &sink_; }
    // Device notifications are recorded as code 0 with the text "arrival NAME" or "removal NAME".
    static void Device(void* context, uint32_t event, const char* name) {
        auto* self = static_cast<RecordingSink*>(context);
        std::lock_guard lock(self->mutex_);
        self->events_.push_back({0, std::string(event == TEMBREL_DEVICE_ARRIVAL ? "arrival " : "removal ") + name});
        self->changed_.notify_all();
    }
    bool waitForText(const std::string& text) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] {
            return std::any_of(events_.begin(), events_.end(), [&](const Received& r) { return r.text == text; });
        });
    }
    bool waitFor(size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return events_.size() >= count; });
    }
    std::vector<Received> events() {
        std::lock_guard lock(mutex_);
        return events_;
    }

private:
    static void Notify(void* context, uint32_t, uintptr_t code, intptr_t param) {
        auto* self = static_cast<RecordingSink*>(context);
        std::lock_guard lock(self->mutex_);
        self->events_.push_back({code, code == 1012 ? std::string(reinterpret_cast<const char*>(param)) : ""});
        self->changed_.notify_all();
    }
    ZARN9100_EVENT_SINK sink_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Received> events_;
};

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

class CardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.made());
        const fs::path net = root_ / "sys/class/net";
        Write(net / "eth0/address", "02:00:00:00:00:01\n");
        Write(net / "wlan1/wireless/.keep", "");
        Write(net / "wlan0/address", "02:00:00:aa:bb:cc\n");
        fs::create_directories(net / "wlan0/wireless");
        Write(net / "wlan0/statistics/rx_packets", "1234\n");
        Write(net / "wlan0/phy80211/rfkill3/soft", "0\n");
        Write(net / "wlan0/phy80211/rfkill3/hard", "0\n");
        fs::create_directories(root_ / "run");
        paths_.sysfs = (root_ / "sys").string();
        paths_.controlDir = (root_ / "run").string();
        paths_.certificateDir = (root_ / "certs").string();
    }
    void TearDown() override {
        card_.reset();
        supplicant_.reset();
    }

    void start(const std::string& interfaceName = "wlan0") {
        supplicant_ = std::make_unique<FakeSupplicant>((root_ / "run" / interfaceName).string(),
                                                       [this](const std::string& c) { return answer(c); });
        ASSERT_TRUE(supplicant_->bound());
        card_ = std::make_unique<Card>(paths_);
        card_->dispatcher().setSink(sink_.sink());
        ASSERT_NE(card_->open(), nullptr);
    }

    void scanAndWait() {
        const size_t before = sink_.events().size();
        ASSERT_EQ(card_->scan(), ZARN9100_RESULT_OK);
        ASSERT_TRUE(sink_.waitFor(before + 1));
        ASSERT_EQ(sink_.events().back().code, 6u);
    }

    ScriptedReply answer(const std::string& c) {
        std::lock_guard lock(scriptMutex_);
        if (c == slowCommand_) {
            // Late, as a busy supplicant: the reply comes after the request gave up.
            slowCommand_.clear();
            std::this_thread::sleep_for(std::chrono::milliseconds(3 * paths_.requestTimeoutMs / 2));
        }
        if (c == "SCAN") {
            scanned_ = true;
            return {"OK\n", {"<3>CTRL-EVENT-SCAN-STARTED ", "<3>CTRL-EVENT-SCAN-RESULTS "}};
        }
        if (c == "BSS FIRST") return {scanned_ ? kCcmpBss : "", {}};
        if (c == "BSS NEXT-3") return {kEapBss, {}};
        if (c == "BSS NEXT-4") return {"", {}};
        if (c == "ADD_NETWORK") return {"0\n", {}};
        if (c == "LIST_NETWORKS") return {"network id / ssid / bssid / flags\n0\tNew\tany\t\n7\tOld\tany\t[CURRENT]\n", {}};
        if (c == "SELECT_NETWORK 0") return {"OK\n", onSelect_};
        if (c == "STATUS") return {status_, {}};
        if (c == "SIGNAL_POLL") return {"RSSI=-48\nLINKSPEED=54\nNOISE=9999\nFREQUENCY=2462\n", {}};
        if (c.rfind("SET_NETWORK 0 psk", 0) == 0 && refusePsk_) return {"FAIL\n", {}};
        if (c == "DISCONNECT" && wiredPort_)
            return {"OK\n", {"<3>CTRL-EVENT-DISCONNECTED bssid=01:80:c2:00:00:03 reason=3 locally_generated=1"}};
        return {"OK\n", {}};
    }

    // The supplicant's thread answers from the script: change it under the same lock.
    void setOnSelect(std::vector<std::string> events) {
        std::lock_guard lock(scriptMutex_);
        onSelect_ = std::move(events);
    }
    void setSlowCommand(std::string command) {
        std::lock_guard lock(scriptMutex_);
        slowCommand_ = std::move(command);
    }
    void setRefusePsk(bool refuse) {
        std::lock_guard lock(scriptMutex_);
        refusePsk_ = refuse;
    }

    // WPA2 with 802.1x as alice.
    static CollectedSecurity Eap(EapMethod method = EapMethod::Peap, const char* password = "wonderland") {
        CollectedSecurity p;
        p.authMode = ZARN9100_AUTH_WPA2;
        p.wepStatus = ZARN9100_ENCRYPTION_AES;
        p.method = method;
        p.login = "alice";
        p.password = password;
        return p;
    }
    static CollectedSecurity Psk() {
        CollectedSecurity p;
        p.authMode = ZARN9100_AUTH_WPA2_PSK;
        p.wepStatus = ZARN9100_ENCRYPTION_AES;
        p.passphrase = "correct horse battery";
        return p;
    }

    bool sent(const std::string& command) {
        for (const auto& c : supplicant_->commands()) {
            if (c == command) return true;
        }
        return false;
    }

    ::tembrel::testing::TempFolder root_{"tembrel_wpa_test_"};
    Paths paths_;
    RecordingSink sink_;
    std::mutex scriptMutex_;
    bool scanned_ = false;
    bool refusePsk_ = false;
    bool wiredPort_ = false;
    std::string slowCommand_;
    std::string status_ = "wpa_state=DISCONNECTED\n";
    std::vector<std::string> onSelect_;
    std::unique_ptr<FakeSupplicant> supplicant_;
    std::unique_ptr<Card> card_;
};

TEST_F(CardTest, TheFirstWirelessInterfaceIsTheCard) {
    EXPECT_EQ(FindWirelessInterface(paths_.sysfs), "wlan0");
    EXPECT_EQ(FindWirelessInterface((root_ / "nothing").string()), std::nullopt);
    start();
    EXPECT_EQ(card_->interfaceName(), "wlan0");
    EXPECT_EQ(card_->sysfsText("address"), "02:00:00:aa:bb:cc");
    EXPECT_EQ(card_->sysfsText("statistics/rx_packets"), "1234");
}

TEST_F(CardTest, WithoutASupplicantNoHandleOpensAndTheReasonIsSaid) {
    ::testing::internal::CaptureStderr();
    Card card(paths_);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(card.open(), nullptr);
    EXPECT_NE(err.find("Cannot reach wpa_supplicant"), std::string::npos) << err;
}

TEST_F(CardTest, HandlesAreCheckedAndGoStaleWhenClosed) {
    start();
    ZARN9100_HANDLE h = card_->open();
    EXPECT_TRUE(card_->valid(h));
    EXPECT_TRUE(card_->close(h));
    EXPECT_FALSE(card_->valid(h));
    EXPECT_FALSE(card_->close(h));
    EXPECT_FALSE(card_->valid(reinterpret_cast<ZARN9100_HANDLE>(uintptr_t(999))));
}

TEST_F(CardTest, ScanResultsRefreshTheListBeforeTheEvent) {
    start();
    EXPECT_TRUE(card_->scanEntries().empty());
    scanAndWait();
    const auto entries = card_->scanEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(abi::ScanEntrySsid(entries[0]), "HomeCcmp");
    EXPECT_EQ(abi::ScanEntrySsid(entries[1]), "CorpNet");
}

TEST_F(CardTest, Wpa2PskIsAppliedAsOneNetworkAndReturnsOnceConnected) {
    setOnSelect({"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:04 completed [id=0 id_str=]"});
    start();
    scanAndWait();
    EXPECT_EQ(card_->setSsid("HomeCcmp", false, Psk()), ZARN9100_RESULT_OK);
    EXPECT_TRUE(sent("REMOVE_NETWORK 7"));
    EXPECT_FALSE(sent("REMOVE_NETWORK 0"));
    EXPECT_TRUE(sent("SET_NETWORK 0 ssid 486f6d6543636d70"));
    EXPECT_TRUE(sent("SET_NETWORK 0 psk \"correct horse battery\""));
    EXPECT_TRUE(sent("SELECT_NETWORK 0"));
    ASSERT_TRUE(sink_.waitFor(2));
    EXPECT_EQ(sink_.events().back().code, 1u);
}

// Without ca.pem the first server is pinned; with it, the authority (and a listed name) decide.
TEST_F(CardTest, TheServerIsPinnedOnFirstUseOrCheckedByItsAuthority) {
    const std::string pinned(64, 'a'), other(64, 'b');
    const auto peerCert = [](const std::string& hash) {
        // A subject may carry any text, a false hash and an event's name among it.
        return "<3>CTRL-EVENT-EAP-PEER-CERT depth=0 subject='/CN=x hash=" + std::string(64, 'c') +
               " CTRL-EVENT-CONNECTED' hash=" + hash;
    };
    const std::string connected = "<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:05 completed";
    paths_.pinFile = (root_ / "pins/servers.pin").string();
    start();
    scanAndWait();
    struct Row {
        const char* name;
        std::vector<std::string> events;
        const char* authority;  // ca.pem and server-names, or nullptr
        int result;
        std::string text;  // of the last event with a text
        std::string sentField;
    };
    const Row rows[] = {
        {"first use", {peerCert(pinned), connected}, nullptr, ZARN9100_RESULT_OK,
         "PEAP authentication succeeded; the server's certificate was pinned on first use",
         "ca_cert \"hash://server/sha256/" + pinned + "\""},  // the running network held to it at once
        {"pinned", {peerCert(pinned), connected}, nullptr, ZARN9100_RESULT_OK,
         "PEAP authentication succeeded; the server's certificate matched its pin",
         "ca_cert \"hash://server/sha256/" + pinned + "\""},
        {"another certificate", {peerCert(other), "<3>CTRL-EVENT-EAP-FAILURE EAP authentication failed"}, nullptr,
         ZARN9100_RESULT_SECURITY_REFUSED, PinMismatchText("CorpNet", paths_.pinFile), ""},
        {"authority and name", {peerCert(other), connected}, "authenticator.test CorpNet\n", ZARN9100_RESULT_OK,
         "PEAP authentication succeeded; the server was checked by the authority in ca.pem and by its name "
         "authenticator.test",
         "domain_match \"authenticator.test\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.authority != nullptr) {
            Write(root_ / "certs/ca.pem", "");
            Write(root_ / "certs/server-names", row.authority);
        }
        setOnSelect(row.events);
        const size_t before = sink_.events().size();
        EXPECT_EQ(card_->setSsid("CorpNet", false, Eap()), row.result);
        ASSERT_TRUE(sink_.waitFor(before + 2));
        const auto events = sink_.events();
        const auto text = std::find_if(events.rbegin(), events.rend(), [](const Received& r) { return r.code == 1012; });
        ASSERT_NE(text, events.rend());
        EXPECT_EQ(text->text, row.text);
        if (!row.sentField.empty()) {
            EXPECT_TRUE(sent("SET_NETWORK 0 " + row.sentField));
        }
    }
    std::ifstream pins(paths_.pinFile);
    std::string line;
    ASSERT_TRUE(std::getline(pins, line));
    EXPECT_EQ(line, pinned + " CorpNet");
    EXPECT_FALSE(std::getline(pins, line)) << "one pin per network";
    EXPECT_EQ(fs::status(paths_.pinFile).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(CardTest, RefusedCredentialsGiveResultTwoThenEventFiveAndItsText) {
    setOnSelect({"<3>CTRL-EVENT-EAP-STARTED EAP authentication started",
                "<3>CTRL-EVENT-EAP-FAILURE EAP authentication failed"});
    start();
    scanAndWait();
    EXPECT_EQ(card_->setSsid("CorpNet", false, Eap(EapMethod::Ttls, "wrong")), ZARN9100_RESULT_SECURITY_REFUSED);
    ASSERT_TRUE(sink_.waitFor(3));
    const auto events = sink_.events();
    EXPECT_EQ(events[1].code, 5u);
    EXPECT_EQ(events[2].code, 1012u);
    EXPECT_EQ(events[2].text, "Authentication failed: EAP authentication failed");
}

TEST_F(CardTest, ANameNoScanHeardDisconnectsWithResultOne) {
    start();
    scanAndWait();
    EXPECT_EQ(card_->setSsid(std::string(32, '\x01'), false, {}), ZARN9100_RESULT_NO_NETWORK);
    EXPECT_TRUE(sent("DISCONNECT"));
    EXPECT_FALSE(sent("ADD_NETWORK"));
}

TEST_F(CardTest, AHiddenNetworkIsJoinedWithADirectedProbe) {
    setOnSelect({"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:07 completed"});
    start();
    EXPECT_EQ(card_->setSsid("Secret", true, {}), ZARN9100_RESULT_OK);
    EXPECT_TRUE(sent("SET_NETWORK 0 scan_ssid 1"));
}

TEST_F(CardTest, ARefusedKeyIsNamedInTheLogButNeverItsValue) {
    setRefusePsk(true);
    start();
    scanAndWait();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(card_->setSsid("HomeCcmp", false, Psk()), ZARN9100_RESULT_SECURITY_REFUSED);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("psk"), std::string::npos) << err;
    EXPECT_EQ(err.find("correct horse"), std::string::npos) << err;
}

TEST_F(CardTest, LinkLossAndRequestedDisconnectGiveTheirEvents) {
    setOnSelect({"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:04 completed"});
    start();
    scanAndWait();
    ASSERT_EQ(card_->setSsid("HomeCcmp", false, {}), ZARN9100_RESULT_OK);
    ASSERT_TRUE(sink_.waitFor(2));
    supplicant_->sendEvent("<3>CTRL-EVENT-DISCONNECTED bssid=00:11:22:33:44:04 reason=4");
    ASSERT_TRUE(sink_.waitFor(3));
    EXPECT_EQ(sink_.events()[2].code, 4u);

    ASSERT_EQ(card_->setSsid("HomeCcmp", false, {}), ZARN9100_RESULT_OK);
    ASSERT_TRUE(sink_.waitFor(4));
    // A SetSsid while connected expects the disconnect it causes.
    ASSERT_EQ(card_->setSsid(std::string(32, '\x01'), false, {}), ZARN9100_RESULT_NO_NETWORK);
    supplicant_->sendEvent("<3>CTRL-EVENT-DISCONNECTED bssid=00:11:22:33:44:04 reason=3 locally_generated=1");
    ASSERT_TRUE(sink_.waitFor(5));
    EXPECT_EQ(sink_.events()[4].code, 0u);
}

TEST_F(CardTest, ARefusedProfileLeavesTheLinkThereIsAndTheNextNetworkStartsClean) {
    setOnSelect({"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:05 completed"});
    start();
    scanAndWait();
    ASSERT_EQ(card_->setSsid("CorpNet", false, Eap()), ZARN9100_RESULT_OK);
    ASSERT_TRUE(sink_.waitFor(3));

    CollectedSecurity tls;
    tls.authMode = ZARN9100_AUTH_WPA2;
    tls.wepStatus = ZARN9100_ENCRYPTION_AES;
    tls.method = EapMethod::Tls;
    tls.certificateHash = std::string(40, '0');
    CollectedSecurity shortPassphrase;
    shortPassphrase.authMode = ZARN9100_AUTH_WPA2_PSK;
    shortPassphrase.wepStatus = ZARN9100_ENCRYPTION_AES;
    shortPassphrase.passphrase = "short";
    const std::pair<CollectedSecurity, std::string> refused[] = {
        {tls, "Authentication failed: the certificate file " + paths_.certificateDir + "/" + std::string(40, '0') +
                  ".pem is missing"},
        {shortPassphrase, "Authentication failed: The passphrase must be 8 to 63 characters or 64 hexadecimal digits"},
    };
    const size_t commands = supplicant_->commands().size();
    for (const auto& [security, text] : refused) {
        const size_t before = sink_.events().size();
        EXPECT_EQ(card_->setSsid("HomeCcmp", false, security), ZARN9100_RESULT_SECURITY_REFUSED);
        ASSERT_TRUE(sink_.waitFor(before + 2));
        EXPECT_EQ(sink_.events().back().text, text);
    }
    EXPECT_EQ(supplicant_->commands().size(), commands) << "nothing reached the supplicant";

    // An open network after an 802.1x one: no credentials and no method text of the last one.
    setOnSelect({"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:04 completed"});
    const size_t before = sink_.events().size();
    EXPECT_EQ(card_->setSsid("HomeCcmp", false, {}), ZARN9100_RESULT_OK);
    ASSERT_TRUE(sink_.waitFor(before + 1));
    EXPECT_EQ(sink_.events().back().code, 1u);
    EXPECT_EQ(sink_.events().size(), before + 1);
    const auto all = supplicant_->commands();
    for (size_t i = commands; i < all.size(); ++i) EXPECT_EQ(all[i].find("identity"), std::string::npos) << all[i];
}

// What the supplicant still says about the network it had (id 7) settles nothing for the new
// one (id 0): only the new network's own refusal does.
TEST_F(CardTest, ALateEventOfTheLastNetworkNeverSettlesTheNextAttempt) {
    start();
    scanAndWait();
    setOnSelect({"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:09 completed [id=7 id_str=]",
                 "<3>CTRL-EVENT-SSID-TEMP-DISABLED id=7 ssid=\"Old\" auth_failures=1 duration=10 reason=WRONG_KEY",
                 "<3>CTRL-EVENT-SSID-TEMP-DISABLED id=0 ssid=\"HomeCcmp\" auth_failures=1 duration=10 reason=WRONG_KEY"});
    EXPECT_EQ(card_->setSsid("HomeCcmp", false, Psk()), ZARN9100_RESULT_SECURITY_REFUSED);
}

TEST_F(CardTest, ALateReplyNeverAnswersTheNextRequest) {
    paths_.requestTimeoutMs = 500;
    start();
    setSlowCommand("STATUS");
    EXPECT_EQ(card_->request("STATUS"), std::nullopt);
    EXPECT_EQ(card_->request("SIGNAL_POLL"), "RSSI=-48\nLINKSPEED=54\nNOISE=9999\nFREQUENCY=2462\n");
}

TEST_F(CardTest, ASilentOrStoppedSupplicantGivesResultFiveWithAText) {
    paths_.requestTimeoutMs = 500;
    start();
    setSlowCommand("ADD_NETWORK");
    EXPECT_EQ(card_->setSsid("Secret", true, {}), ZARN9100_RESULT_BAD_HANDLE);
    ASSERT_TRUE(sink_.waitFor(1));
    EXPECT_EQ(sink_.events().back().text, "The card cannot be reached: wpa_supplicant at " + paths_.controlDir +
                                              "/wlan0 does not answer");
    supplicant_.reset();
    EXPECT_EQ(card_->setSsid("Secret", true, {}), ZARN9100_RESULT_BAD_HANDLE);
}

TEST_F(CardTest, ASupplicantStartedLaterOrRestartedIsReachedAgain) {
    ::testing::internal::CaptureStderr();
    card_ = std::make_unique<Card>(paths_);
    ::testing::internal::GetCapturedStderr();
    card_->dispatcher().setSink(sink_.sink());
    card_->dispatcher().setDeviceNotify(&RecordingSink::Device, &sink_);
    EXPECT_EQ(card_->open(), nullptr);
    const std::string socket = (root_ / "run/wlan0").string();
    const auto answer = [this](const std::string& c) { return this->answer(c); };
    supplicant_ = std::make_unique<FakeSupplicant>(socket, answer);
    ASSERT_TRUE(sink_.waitForText("arrival wlan0"));
    EXPECT_NE(card_->open(), nullptr);

    supplicant_.reset();
    ASSERT_TRUE(sink_.waitForText("removal wlan0"));
    const size_t arrivals = sink_.events().size();
    supplicant_ = std::make_unique<FakeSupplicant>(socket, answer);
    ASSERT_TRUE(sink_.waitFor(arrivals + 1));
    EXPECT_EQ(sink_.events().back().text, "arrival wlan0");
    setOnSelect({"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:07 completed"});
    EXPECT_EQ(card_->setSsid("Secret", true, {}), ZARN9100_RESULT_OK);
}

TEST_F(CardTest, TheRadioSwitchIsReadAndSetThroughRfkill) {
    start();
    EXPECT_EQ(card_->radioState(), 1u);
    EXPECT_EQ(card_->setRadioControl(false), ZARN9100_RESULT_OK);
    EXPECT_EQ(card_->radioState(), 0u);
    EXPECT_EQ(card_->setSsid("HomeCcmp", false, {}), ZARN9100_RESULT_RADIO_OFF);
    Write(root_ / "sys/class/net/wlan0/phy80211/rfkill3/hard", "1\n");
    EXPECT_EQ(card_->radioState(), 2u);
}

TEST_F(CardTest, ShutdownWakesAnAssociationUnderWay) {
    start();
    std::atomic<int> outcome{-1};
    std::thread caller([&] { outcome = card_->setSsid("Secret", true, {}); });
    ASSERT_TRUE(supplicant_->waitForCommand("SELECT_NETWORK"));
    card_->shutdown();
    caller.join();
    EXPECT_EQ(outcome, ZARN9100_RESULT_NO_NETWORK);
}

TEST_F(CardTest, AWiredPortAuthenticatesWhileItHasALinkAndDisconnectsWhenItGoesAway) {
    const fs::path port = root_ / "sys/class/net/eth1";
    Write(port / "address", "02:00:00:00:00:02\n");
    Write(port / "operstate", "down\n");
    EXPECT_FALSE(IsWiredPort(paths_.sysfs, "wlan0"));
    EXPECT_FALSE(IsWiredPort(paths_.sysfs, "eth9"));
    EXPECT_TRUE(IsWiredPort(paths_.sysfs, "eth1"));
    paths_.interfaceName = "eth1";
    wiredPort_ = true;
    start("eth1");
    EXPECT_EQ(card_->port(), Port::Wired);
    EXPECT_TRUE(sent("AP_SCAN 0"));
    EXPECT_EQ(card_->scan(), ZARN9100_RESULT_NOT_AVAILABLE);
    EXPECT_FALSE(sent("SCAN"));

    EXPECT_EQ(card_->setSsid("Port", false, {}), ZARN9100_RESULT_NO_NETWORK) << "no link, no network";
    EXPECT_FALSE(sent("ADD_NETWORK"));

    Write(port / "operstate", "up\n");
    setOnSelect({"<3>CTRL-EVENT-EAP-SUCCESS EAP authentication completed successfully",
                "<3>CTRL-EVENT-CONNECTED - Connection to 01:80:c2:00:00:03 completed [id=0 id_str=]"});
    EXPECT_EQ(card_->setSsid("Port", false, Eap()), ZARN9100_RESULT_OK);
    EXPECT_TRUE(sent("SET_NETWORK 0 key_mgmt IEEE8021X"));
    EXPECT_TRUE(sent("SET_NETWORK 0 eapol_flags 0"));
    ASSERT_TRUE(sink_.waitFor(2));
    EXPECT_EQ(sink_.events()[0].text.rfind("PEAP authentication succeeded", 0), 0u) << sink_.events()[0].text;
    EXPECT_EQ(sink_.events()[1].code, 1u);

    Write(port / "operstate", "lowerlayerdown\n");
    ASSERT_TRUE(sink_.waitFor(3));
    EXPECT_EQ(sink_.events()[2].code, 4u) << "an unrequested disconnect";
}

}  // namespace
}  // namespace tembrel::wpa
