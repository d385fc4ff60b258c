// libTembrelWpa.so on a wired 802.1x port, loaded as the program loads it: the program's profile
// application and supervisor against a real wpa_supplicant and a real hostapd authenticator
// (WiredLab.h). Skipped, saying why, where the machine cannot make a network namespace or lacks
// the programs.

#include "tests/support/WiredLab.h"

#include "adapter/DriverLoader.h"
#include "connection/LibraryEventHandler.h"
#include "connection/ProfileConnector.h"
#include "connection/StatusRefresher.h"
#include "connection/Supervisor.h"
#include "profiles/Cipher.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "tests/connection/UiQueue.h"
#include "tests/support/PollUntil.h"
#include "tests/support/BuiltDriver.h"
#include "tests/support/HeardEvents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tembrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::PollUntil;
using testing::UiQueue;
using ::tembrel::testing::WiredLab;

// The network names of the profiles: on a wired port they only label the network.
constexpr const char* kPeapSsid = "Corp-Port";
constexpr const char* kTtlsSsid = "Corp-Port-TTLS";

class Sheet : public LibraryEventActions {
public:
    void refreshStatus(bool connected) override { refresher->RefreshStatus(connected); }
    void closeAdapter() override {}
    void setRadioCheckEnabled(bool) override {}
    void updateRadioUi() override {}
    void reselectActivePage() override {}
    void runAutoLink() override {}
    StatusRefresher* refresher = nullptr;
};

// An infrastructure profile with WPA2 (AES) 802.1x: authMode 10 TLS, 11 PEAP, 12 TTLS.
ProfilePtr EnterpriseProfile(const std::string& ssid, uint32_t authMode, const std::string& password) {
    auto p = NewEmptyProfile();
    SetProfileName(*p, ssid + " profile");
    SetProfileSsid(*p, ssid);
    p->networkType = 1;
    p->wirelessMode = 255;
    p->authMode = authMode;
    p->encryption = 3;
    p->keepAdapterSettings = 1;
    p->inPreferList = 1;
    SetText(p->loginName, WiredLab::kLogin);
    SetText(p->password, password);
    if (authMode == 12) SetText(p->anonymousName, "anonymous");
    return p;
}

// The refusal of a server that shows another certificate than the one pinned for `ssid`.
std::string PinChangedText(const std::string& ssid, const std::string& pinFile) {
    return "1012[Authentication failed: the server's certificate changed since the first connection to " + ssid +
           ". To accept the new certificate, delete the line ending in \"" + ssid + "\" from " +
           pinFile + "]";
}

ProfilePtr TlsProfile(const std::string& ssid, const std::array<uint8_t, 20>& thumbprint) {
    auto p = EnterpriseProfile(ssid, 10, "");
    std::copy(thumbprint.begin(), thumbprint.end(), p->certificateHash);
    return p;
}

// Once per process: the namespace, the lab with its supplicant, and the library.
struct Suite {
    std::string skip;     // why the tests cannot run here
    std::string failure;  // what went wrong making the lab
    std::unique_ptr<WiredLab> lab;
    std::unique_ptr<DriverLibrary> library = MakeNoCardDriverLibrary();
};

class WiredPort : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        suite_ = std::make_unique<Suite>();
        const std::string missing = WiredLab::MissingProgram();
        if (!missing.empty()) {
            suite_->skip = missing + " is not installed: scripts/install-deps installs hostapd, wpasupplicant, "
                                     "iproute2 and openssl";
            return;
        }
        const std::string refused = WiredLab::EnterPrivateNetwork();
        if (!refused.empty()) {
            suite_->skip = "this machine does not let the test make its own network namespace (" + refused +
                           "); it needs root or CAP_SYS_ADMIN";
            return;
        }
        suite_->lab = std::make_unique<WiredLab>();
        WiredLab& lab = *suite_->lab;
        if (!lab.problem().empty()) {
            suite_->failure = lab.problem();
            return;
        }
        if (!lab.startSupplicant()) {
            suite_->failure = "wpa_supplicant did not start\n" + lab.logs();
            return;
        }
        // The library makes its card at the first call, from these.
        ::setenv("TEMBREL_WPA_INTERFACE", WiredLab::kPort, 1);
        ::setenv("TEMBREL_WPA_CTRL_DIR", lab.controlDir().c_str(), 1);
        ::setenv("TEMBREL_WPA_CERT_DIR", lab.certificateDir().c_str(), 1);
        suite_->failure = testing::LoadBuiltDriver("libTembrelWpa.so", suite_->library);
    }
    static void TearDownTestSuite() {
        // The library stays loaded (its card ends with the process); the programs end here.
        if (suite_) suite_->lab.reset();
    }

    void SetUp() override {
        if (!suite_->skip.empty()) GTEST_SKIP() << suite_->skip;
        ASSERT_EQ(suite_->failure, "");
        sheet.refresher = &refresher;
        ASSERT_TRUE(lab().setAuthenticatorLink(true));
        ASSERT_TRUE(lab().startAuthenticator()) << lab().logs();
        driver().Initialize(&sink);
        handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().OpenAdapter(h); });
        ASSERT_TRUE(handle.held());
    }
    void TearDown() override {
        stopping = 1;
        supervisor.stop(5000ms);
        if (!suite_->skip.empty()) return;
        ZARN9100_EVENT_SINK none{};
        driver().Initialize(&none);
        handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().CloseAdapter(h); });
        ui.drain();
        if (HasFailure()) std::cerr << lab().logs();
    }

    static DriverLibrary& driver() { return *suite_->library; }
    static WiredLab& lab() { return *suite_->lab; }

    static void Notify(void* context, uint32_t message, uintptr_t code, intptr_t param) {
        auto* self = static_cast<WiredPort*>(context);
        if (message != ZARN9100_EVENT_MESSAGE) return;
        self->heard.addEvent(code, param);
        if (code < 1000) self->ui.post([self, code] { self->events.Handle(code); });
    }
    std::vector<std::string> attemptsSince(size_t mark) {
        std::lock_guard lock(attemptsMutex);
        return std::vector<std::string>(attempts.begin() + static_cast<std::ptrdiff_t>(std::min(mark, attempts.size())),
                                        attempts.end());
    }
    // Waits while the test thread does the user-interface thread's work.
    template <typename Condition>
    bool waitFor(Condition condition) {
        return PollUntil([&] {
            ui.drain();
            return condition();
        }, 30000ms);
    }
    bool linkShown(const std::string& ssid) {
        const ConnectionSnapshot s = snapshot.copy();
        return s.connected == 1 && std::string(s.ssid()) == ssid;
    }
    int connectStatus() {
        const auto lease = handle.lease();
        return driver().GetConnectStatus(lease.get());
    }

    static inline std::unique_ptr<Suite> suite_;

    UiQueue ui;
    testing::HeardEvents heard;
    std::mutex attemptsMutex;
    std::vector<std::string> attempts;  // the SSIDs the supervisor applied, in order
    ZARN9100_EVENT_SINK sink{&Notify, this};
    AdapterHandle handle;
    std::atomic<uint32_t> stopping{0};
    std::atomic<uint32_t> radioState{1};
    ProfileList profiles;
    ConnectionSnapshotHolder snapshot;
    SupervisorFlags flags;
    AutoLinkEvent autoLinkEvent;
    StatusRefresher refresher{driver(), handle, snapshot, [](int) {}};
    ProfileConnector connector{ConnectionContext{driver(), handle, radioState, profiles, snapshot,
                                                 [this](bool c) { refresher.RefreshStatus(c); }}};
    Sheet sheet;
    LibraryEventHandler events{LibraryEventContext{driver(), handle, stopping, radioState, flags, autoLinkEvent},
                               sheet};
    Supervisor supervisor{SupervisorContext{
        driver(), handle, stopping, radioState, profiles, snapshot, flags, autoLinkEvent,
        [this](const ProfilePtr& p) {
            {
                std::lock_guard lock(attemptsMutex);
                attempts.emplace_back(ProfileSsid(*p));
            }
            return connector.ConnectProfile(p);
        },
        SupervisorNotifications{[](int) {}, [](uint32_t, const std::string&) {}, [] {},
                                [](const std::string&, const std::function<void()>& dismissed) { dismissed(); }},
        SupervisorTiming{50ms, 1ms, {}}}};
};

TEST_F(WiredPort, ProfilesAuthenticateWithTheRightCredentialsAndFailWithEventFiveOtherwise) {
    using Server = WiredLab::Server;
    struct Row {
        const char* name;
        ProfilePtr profile;
        const char* method;  // "" when the authenticator, or the library, refuses
        Server server = Server::Usual;
        bool linkStays = false;  // refused before the supplicant heard of it: the last link stays
        const char* refusal = nullptr;  // the whole text, where the row is about it
    };
    // 802.1x with WEP: the keys would be dynamic; on a cable there are none.
    auto dynamicWep = EnterpriseProfile(kPeapSsid, 11, WiredLab::kPassword);
    dynamicWep->encryption = kCipherWep;
    // A login the library refuses must not leave the last user's credentials in place.
    auto refusedLogin = EnterpriseProfile(kPeapSsid, 11, WiredLab::kPassword);
    SetText(refusedLogin->loginName, "al\x01ice");
    auto lineBreakLogin = EnterpriseProfile(kPeapSsid, 11, WiredLab::kPassword);
    SetText(lineBreakLogin->loginName, "al\nice");
    const Row rows[] = {
        {"PEAP", EnterpriseProfile(kPeapSsid, 11, WiredLab::kPassword), "PEAP"},
        {"PEAP, a login refused after a good one", refusedLogin, "", Server::Usual, true},
        {"PEAP, a login with a line break", lineBreakLogin, "", Server::Usual, true,
         "Authentication failed: the identity contains a line break"},
        {"PEAP, a server outside ca.pem", EnterpriseProfile(kPeapSsid, 11, WiredLab::kPassword), "", Server::Foreign},
        {"PEAP, wrong password", EnterpriseProfile(kPeapSsid, 11, "looking-glass"), ""},
        {"PEAP, wrong password, server certificate named like an event",
         EnterpriseProfile(kPeapSsid, 11, "looking-glass"), "", Server::NamedLikeAnEvent},
        {"PEAP with WEP", dynamicWep, "PEAP"},
        {"TTLS", EnterpriseProfile(kTtlsSsid, 12, WiredLab::kPassword), "TTLS"},
        {"TTLS, wrong password", EnterpriseProfile(kTtlsSsid, 12, "looking-glass"), ""},
        {"TLS", TlsProfile("Corp-Port-TLS", lab().clientThumbprint()), "TLS"},
        {"TLS, certificate of another issuer", TlsProfile("Corp-Port-TLS", lab().rogueThumbprint()), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // A fresh authenticator for each row: after a failure hostapd holds the port for a minute.
        ASSERT_TRUE(lab().startAuthenticator(row.server));
        const std::string ssid(ProfileSsid(*row.profile));
        const size_t mark = heard.count();
        const int result = connector.ConnectProfile(row.profile);
        if (*row.method != '\0') {
            EXPECT_EQ(result, 0);
            const std::string named = std::string("1012[") + row.method +
                                      " authentication succeeded; the server was checked by the authority in ca.pem] 1";
            EXPECT_TRUE(waitFor([&] { return heard.since(mark).find(named) != std::string::npos; })) << heard.since(mark);
            EXPECT_TRUE(waitFor([&] { return linkShown(ssid); }));
            EXPECT_EQ(connectStatus(), 1);
        } else {
            EXPECT_EQ(result, 2);
            const std::string refused =
                row.refusal != nullptr ? "5 1012[" + std::string(row.refusal) + "]" : "5 1012[Authentication failed: ";
            EXPECT_TRUE(waitFor([&] { return heard.since(mark).find(refused) != std::string::npos; })) << heard.since(mark);
            EXPECT_FALSE(heard.has(mark, "1")) << heard.since(mark);
            EXPECT_EQ(connectStatus(), row.linkStays ? 1 : 0);
            EXPECT_TRUE(waitFor([&] { return snapshot.copy().connected == (row.linkStays ? 1u : 0u); }));
        }
    }
}

// Without ca.pem: the first server is pinned, another is refused until its pin is deleted.
TEST_F(WiredPort, WithoutAnAuthorityTheFirstServerIsPinnedAndARogueOneRefused) {
    using Server = WiredLab::Server;
    ASSERT_TRUE(lab().setAuthorityInstalled(false));
    struct Restore {
        ~Restore() { lab().setAuthorityInstalled(true); }
    } restore;
    const std::string ssid = "Pinned-Port";
    const auto connect = [&](Server server, const std::string& expected) {
        EXPECT_TRUE(lab().startAuthenticator(server));
        const size_t mark = heard.count();
        const int result = connector.ConnectProfile(EnterpriseProfile(ssid, 11, WiredLab::kPassword));
        EXPECT_TRUE(waitFor([&] { return heard.since(mark).find(expected) != std::string::npos; })) << heard.since(mark);
        return result;
    };
    EXPECT_EQ(connect(Server::Usual, "1012[PEAP authentication succeeded; the server's certificate was pinned on "
                                     "first use] 1"), 0);
    EXPECT_EQ(connect(Server::Usual, "1012[PEAP authentication succeeded; the server's certificate matched its pin] 1"),
              0);
    EXPECT_EQ(connect(Server::Rogue, "5 " + PinChangedText(ssid, lab().pinFile())), 2);
    EXPECT_EQ(connectStatus(), 0);

    // Accepting the new certificate, as the text says.
    std::ofstream(lab().pinFile(), std::ios::trunc).flush();
    EXPECT_EQ(connect(Server::Rogue, "1012[PEAP authentication succeeded; the server's certificate was pinned on "
                                     "first use] 1"), 0);
    EXPECT_EQ(connectStatus(), 1);

    // Still the first session: a server answering its re-authentication is held to the new pin.
    ASSERT_TRUE(lab().startAuthenticator(Server::Usual));
    const size_t mark = heard.count();
    EXPECT_EQ(lab().askSupplicant("REAUTHENTICATE"), "OK\n");
    EXPECT_TRUE(waitFor([&] { return heard.since(mark).find(PinChangedText(ssid, lab().pinFile())) != std::string::npos; }))
        << heard.since(mark);
    EXPECT_TRUE(waitFor([&] { return heard.has(mark, "4"); })) << heard.since(mark);
    EXPECT_EQ(connectStatus(), 0);
}

// A pin line is read as the hash it means, or refuses the login; so does a pin file others may
// have chosen. None of them lets an unchecked server in.
TEST_F(WiredPort, APinIsReadAsItsHashOrTheLoginIsRefused) {
    using Server = WiredLab::Server;
    ASSERT_TRUE(lab().setAuthorityInstalled(false));
    const std::string pinFile = lab().pinFile();
    struct Restore {
        ~Restore() {
            std::error_code ec;
            fs::remove(lab().pinFile(), ec);
            lab().setAuthorityInstalled(true);
        }
    } restore;
    const std::string ssid = "Damaged-Pin";
    std::string upper = lab().serverFingerprint();  // "3F:0C:..."
    upper.erase(std::remove(upper.begin(), upper.end(), ':'), upper.end());
    std::string lower = upper;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    const std::string matched = "1012[PEAP authentication succeeded; the server's certificate matched its pin] 1";
    const auto damaged = [&](int line) {
        return "5 1012[Authentication failed: line " + std::to_string(line) + " of " + pinFile +
               ", the pin of Damaged-Pin, is not a SHA-256 hash of 64 hex digits. Correct it, or delete the line to "
               "pin the server's certificate at the next connection]";
    };
    enum class File { Own, Link, SharedWithOthers };
    struct Row {
        const char* name;
        std::string pins;
        Server server;
        int result;
        std::string heard;
        File file = File::Own;
    };
    const Row rows[] = {
        {"as openssl prints it", lab().serverFingerprint() + " " + ssid + "\n", Server::Usual, 0, matched},
        {"upper case, another server", upper + " " + ssid + "\n", Server::Rogue, 2, "5 " + PinChangedText(ssid, pinFile)},
        {"cut short", lower + " Other-Port\n" + lower.substr(0, 20) + " " + ssid + "\n", Server::Rogue, 2, damaged(2)},
        {"junk", "zzz " + ssid + "\n", Server::Rogue, 2, damaged(1)},
        {"a symbolic link", lower + " " + ssid + "\n", Server::Usual, 2,
         "5 1012[Authentication failed: the pin file " + pinFile +
             " is a symbolic link, so it is not used; replace it by the file itself]",
         File::Link},
        {"writable by others", lower + " " + ssid + "\n", Server::Usual, 2,
         "5 1012[Authentication failed: the pin file " + pinFile +
             " can be changed by other users, so it is not used; make it yours and writable by you only (chmod 600)]",
         File::SharedWithOthers},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::error_code ec;
        fs::remove(pinFile, ec);
        const std::string written = row.file == File::Link ? pinFile + ".target" : pinFile;
        std::ofstream(written, std::ios::trunc) << row.pins;
        fs::permissions(written, fs::perms::owner_read | fs::perms::owner_write);
        if (row.file == File::Link) fs::create_symlink(written, pinFile);
        if (row.file == File::SharedWithOthers) fs::permissions(pinFile, fs::perms::others_write, fs::perm_options::add);
        ASSERT_TRUE(lab().startAuthenticator(row.server));
        const size_t mark = heard.count();
        EXPECT_EQ(connector.ConnectProfile(EnterpriseProfile(ssid, 11, WiredLab::kPassword)), row.result);
        EXPECT_TRUE(waitFor([&] { return heard.since(mark).find(row.heard) != std::string::npos; })) << heard.since(mark);
        std::ifstream kept(written);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), row.pins) << "the pins are left as they were";
    }
}

TEST_F(WiredPort, LinkLossGivesTheDisconnectEventAndTheSupervisorWalksThePreferList) {
    profiles.Assign({EnterpriseProfile(kPeapSsid, 11, WiredLab::kPassword),
                     EnterpriseProfile(kTtlsSsid, 12, WiredLab::kPassword)});
    flags.autoLink = 0;
    flags.autoConfiguration = 1;
    supervisor.start();
    ASSERT_TRUE(waitFor([&] { return linkShown(kPeapSsid); })) << heard.since(0);
    EXPECT_EQ(attemptsSince(0), std::vector<std::string>{kPeapSsid});

    // The authenticator goes away, and with it the link.
    const size_t heardMark = heard.count();
    const size_t attemptMark = attemptsSince(0).size();
    lab().stopAuthenticator();
    ASSERT_TRUE(lab().setAuthenticatorLink(false));
    ASSERT_TRUE(waitFor([&] { return heard.has(heardMark, "4"); })) << heard.since(heardMark);
    EXPECT_TRUE(waitFor([&] { return attemptsSince(attemptMark).size() >= 2; }));
    const auto walked = attemptsSince(attemptMark);
    ASSERT_GE(walked.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(walked.begin(), walked.begin() + 2),
              (std::vector<std::string>{kPeapSsid, kTtlsSsid}));
    EXPECT_EQ(connectStatus(), 0);
    EXPECT_EQ(snapshot.copy().connected, 0u);

    // Back again: the next walk authenticates.
    ASSERT_TRUE(lab().startAuthenticator());
    ASSERT_TRUE(lab().setAuthenticatorLink(true));
    EXPECT_TRUE(waitFor([&] { return linkShown(kPeapSsid) || linkShown(kTtlsSsid); })) << heard.since(heardMark);
    EXPECT_EQ(connectStatus(), 1);
}

// A supplicant ended while SetSsid waits: killed, its socket file stays and the restarted one may
// get a socket of the same inode number; terminated, it removes the file.
TEST_F(WiredPort, ASupplicantEndedDuringSetSsidGivesResultFiveAndIsReachedOnceRestarted) {
    struct Devices {
        static void Notify(void* context, uint32_t event, const char*) {
            static_cast<testing::HeardEvents*>(context)->add(event == TEMBREL_DEVICE_ARRIVAL ? "arrival" : "removal");
        }
        Devices(testing::HeardEvents& heard) { driver().SetDeviceNotify(&Notify, &heard); }
        ~Devices() { driver().SetDeviceNotify(nullptr, nullptr); }
    } devices(heard);
    const std::string stopped = "1012[The card cannot be reached: wpa_supplicant at " + lab().controlDir() + "/" +
                                WiredLab::kPort + " stopped answering]";
    for (const int signal : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(strsignal(signal));
        // Nobody answers the supplicant: SetSsid waits.
        lab().stopAuthenticator();
        const size_t mark = heard.count();
        auto waiting = std::async(std::launch::async, [&] {
            return connector.ConnectProfile(EnterpriseProfile("Unanswered-Port", 11, WiredLab::kPassword));
        });
        ASSERT_TRUE(PollUntil([&] { return lab().askSupplicant("STATUS").find("\nssid=Unanswered-Port\n") != std::string::npos; },
                              30000ms));
        lab().endSupplicant(signal);
        EXPECT_EQ(waiting.get(), 5);
        EXPECT_TRUE(waitFor([&] { return heard.since(mark).find(stopped) != std::string::npos; })) << heard.since(mark);
        ASSERT_TRUE(waitFor([&] { return heard.has(mark, "removal"); })) << heard.since(mark);

        const size_t restarted = heard.count();
        ASSERT_TRUE(lab().startSupplicant()) << lab().logs();
        ASSERT_TRUE(lab().startAuthenticator());
        ASSERT_TRUE(waitFor([&] { return heard.has(restarted, "arrival"); })) << heard.since(restarted);
        EXPECT_EQ(connector.ConnectProfile(EnterpriseProfile(kPeapSsid, 11, WiredLab::kPassword)), 0);
        EXPECT_TRUE(waitFor([&] { return linkShown(kPeapSsid); })) << heard.since(restarted);
    }
}

}  // namespace
}  // namespace tembrel
