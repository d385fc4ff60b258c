#include "Card.h"

#include "Reports.h"
#include "SupplicantEvent.h"
#include "tembrel/common/MacText.h"
#include "tembrel/common/ScanEntryLayout.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tembrel::wpa {

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxScanEntries = 128;

std::string Env(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? std::string(v) : fallback;
}

std::string ReadSmallFile(const fs::path& path) {
    std::ifstream in(path);
    std::string text;
    if (!in) return text;
    std::getline(in, text, '\0');
    if (text.size() > 4096) text.resize(4096);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// The reason a 802.1x failure names: "CTRL-EVENT-EAP-FAILURE EAP authentication failed".
std::string FailureText(const std::string& reason) {
    return "Authentication failed: " + (reason.empty() ? std::string("the server refused the credentials") : reason);
}

// Where pins go without a certificate folder: the user's configuration.
std::string DefaultPinFile() {
    const std::string config = Env("XDG_CONFIG_HOME", "");
    if (!config.empty()) return config + "/tembrel-wpa/servers.pin";
    const std::string home = Env("HOME", "");
    return home.empty() ? std::string() : home + "/.config/tembrel-wpa/servers.pin";
}

// EAP-TLS names its certificate by thumbprint: both files must be in the folder.
std::string MissingCertificateFile(const CollectedSecurity& s, const std::string& certDir) {
    if (s.method != EapMethod::Tls || certDir.empty()) return {};
    std::error_code ec;
    for (const char* extension : {".pem", ".key"}) {
        const fs::path file = fs::path(certDir) / (s.certificateHash + extension);
        if (!fs::is_regular_file(file, ec)) return "the certificate file " + file.string() + " is missing";
    }
    return {};
}

// The network ids of a LIST_NETWORKS reply (a heading line, then "id<TAB>ssid<TAB>...").
std::vector<std::string> NetworkIds(const std::string& reply) {
    std::vector<std::string> ids;
    std::istringstream lines(reply);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        const std::string id = line.substr(0, line.find('\t'));
        if (ParseNumber(id)) ids.push_back(id);
    }
    return ids;
}

}  // namespace

Paths Paths::FromEnvironment() {
    Paths p;
    p.sysfs = Env("TEMBREL_WPA_SYSFS", p.sysfs);
    p.controlDir = Env("TEMBREL_WPA_CTRL_DIR", p.controlDir);
    p.certificateDir = Env("TEMBREL_WPA_CERT_DIR", "");
    p.pinFile = p.certificateDir.empty() ? DefaultPinFile() : p.certificateDir + "/servers.pin";
    p.interfaceName = Env("TEMBREL_WPA_INTERFACE", "");
    return p;
}

std::optional<std::string> FindWirelessInterface(const std::string& sysfs) {
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(sysfs) / "class/net", ec)) {
        const fs::path dir = entry.path();
        if (fs::exists(dir / "wireless", ec) || fs::exists(dir / "phy80211", ec))
            names.push_back(dir.filename().string());
    }
    if (names.empty()) return std::nullopt;
    std::sort(names.begin(), names.end());
    return names.front();
}

bool IsWiredPort(const std::string& sysfs, const std::string& name) {
    std::error_code ec;
    const fs::path dir = fs::path(sysfs) / "class/net" / name;
    return !name.empty() && fs::exists(dir, ec) && !fs::exists(dir / "wireless", ec) &&
           !fs::exists(dir / "phy80211", ec);
}

Card::Card(Paths paths) : paths_(std::move(paths)), trust_(paths_.certificateDir, paths_.pinFile) {
    if (!paths_.interfaceName.empty()) interface_ = paths_.interfaceName;
    else interface_ = FindWirelessInterface(paths_.sysfs).value_or("");
    if (interface_.empty()) return;
    if (IsWiredPort(paths_.sysfs, interface_)) port_ = Port::Wired;
    // Without ap_scan=0 the supplicant would wait for scan results a wired driver never gives.
    std::vector<std::string> greeting;
    if (port_ == Port::Wired) greeting.emplace_back("AP_SCAN 0");
    link_ = std::make_unique<SupplicantLink>(paths_.controlDir + "/" + interface_, paths_.requestTimeoutMs,
                                             std::move(greeting));
    // Whether the card is there is decided here, so that a supplicant coming later is told.
    const bool reached = link_->reachable() && present();
    if (reached) {
        if (!link_->attach())
            std::fprintf(stderr, "libTembrelWpa: wpa_supplicant at %s does not report events\n", link_->path().c_str());
        readLinkState();
        refreshScanList();
    } else {
        std::fprintf(stderr, "libTembrelWpa: %s\n", link_->errorText().c_str());
    }
    // The thread also watches for a supplicant that comes later.
    thread_ = std::thread([this, reached] { eventLoop(reached); });
}

Card::~Card() { shutdown(); }

void Card::shutdown() {
    {
        std::lock_guard lock(outcomeMutex_);
        stop_ = true;
    }
    outcomeChanged_.notify_all();
    attempts_.stop();
    if (link_) link_->shutdown();
    if (thread_.joinable()) thread_.join();
}

void Card::readLinkState() {
    const auto status = request("STATUS");
    const bool now = status && ParseReport(*status)["wpa_state"] == "COMPLETED";
    std::lock_guard lock(outcomeMutex_);
    connected_ = now;
}

bool Card::reachable() { return link_ && link_->reachable(); }

ZARN9100_HANDLE Card::open() {
    if (!reachable()) return nullptr;
    std::lock_guard lock(mutex_);
    const uintptr_t h = nextHandle_++;
    handles_.insert(h);
    return reinterpret_cast<ZARN9100_HANDLE>(h);
}

bool Card::close(ZARN9100_HANDLE h) {
    std::lock_guard lock(mutex_);
    return handles_.erase(reinterpret_cast<uintptr_t>(h)) == 1;
}

bool Card::valid(ZARN9100_HANDLE h) {
    std::lock_guard lock(mutex_);
    return handles_.count(reinterpret_cast<uintptr_t>(h)) == 1;
}

std::string Card::sysfsText(const std::string& relative) const {
    return ReadSmallFile(fs::path(paths_.sysfs) / "class/net" / interface_ / relative);
}

std::string Card::driverText() {
    std::error_code ec;
    const fs::path target = fs::read_symlink(fs::path(paths_.sysfs) / "class/net" / interface_ / "device/driver", ec);
    const std::string name = ec ? std::string() : target.filename().string();
    const std::string version = sysfsText("device/driver/module/version");
    if (name.empty() || version.empty()) return name + version;
    return name + " " + version;
}

int64_t Card::statistic(const char* name) {
    return ParseNumber(sysfsText(std::string("statistics/") + name)).value_or(0);
}

std::optional<std::array<uint8_t, 6>> Card::macAddress() {
    return abi::ParseMac(sysfsText("address"));
}

// Each answer asks the supplicant afresh: the link may have changed since the last call.
bool Card::associated() { return ParseReport(request("STATUS").value_or(""))["wpa_state"] == "COMPLETED"; }

std::string Card::associatedSsid() {
    Report s = ParseReport(request("STATUS").value_or(""));
    return s["wpa_state"] == "COMPLETED" ? PrintfDecode(s["ssid"]) : std::string();
}

std::array<uint8_t, 6> Card::associatedBssid() {
    Report s = ParseReport(request("STATUS").value_or(""));
    const auto mac = s["wpa_state"] == "COMPLETED" ? abi::ParseMac(s["bssid"]) : std::nullopt;
    return mac.value_or(abi::MacAddress{});
}

abi::LinkSecurity Card::linkSecurity() { return LinkSecurityOf(ParseReport(request("STATUS").value_or(""))); }

// A wired port reports freq=0.
uint32_t Card::linkFrequencyMHz() {
    const auto freq = ParseNumber(ParseReport(request("STATUS").value_or(""))["freq"]);
    return freq && *freq > 0 && *freq < 100000 ? uint32_t(*freq) : 0;
}

std::optional<int32_t> Card::rssiDbm() {
    const auto v = ParseNumber(ParseReport(request("SIGNAL_POLL").value_or(""))["RSSI"]);
    if (!v || *v < -200 || *v > 100) return std::nullopt;
    return int32_t(*v);
}

// LINKSPEED is in Mbit/s.
std::optional<uint32_t> Card::linkSpeed100bps() {
    const auto v = ParseNumber(ParseReport(request("SIGNAL_POLL").value_or(""))["LINKSPEED"]);
    if (!v || *v <= 0 || *v > 100000) return std::nullopt;
    return uint32_t(*v * 10000);
}

bool Card::linkUp() const {
    // "unknown": drivers that do not track the carrier; "dormant": up, waiting for authentication.
    const std::string state = sysfsText("operstate");
    return state == "up" || state == "unknown" || state == "dormant";
}

bool Card::managedBySystemService() const {
    std::error_code ec;
    return !fs::exists(fs::path(paths_.controlDir) / interface_, ec) && fs::exists("/run/NetworkManager", ec);
}

std::optional<std::string> Card::request(const std::string& command) {
    if (!link_) return std::nullopt;
    return link_->request(command);
}

bool Card::requestOk(const std::string& command) { return request(command).value_or("") == "OK\n"; }

std::optional<std::string> Card::rfkillFolder() const {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(paths_.sysfs) / "class/net" / interface_ / "phy80211", ec)) {
        if (entry.path().filename().string().rfind("rfkill", 0) == 0) return entry.path().string();
    }
    return std::nullopt;
}

std::optional<uint32_t> Card::radioState() const {
    const auto folder = rfkillFolder();
    if (!folder) return std::nullopt;
    if (ReadSmallFile(fs::path(*folder) / "hard") == "1") return 2;
    return ReadSmallFile(fs::path(*folder) / "soft") == "1" ? 0 : 1;
}

int Card::setRadioControl(bool on) {
    const auto folder = rfkillFolder();
    if (!folder) return ZARN9100_RESULT_NOT_AVAILABLE;
    std::ofstream out(fs::path(*folder) / "soft");
    out << (on ? "0" : "1");
    out.flush();
    return out ? ZARN9100_RESULT_OK : ZARN9100_RESULT_NOT_AVAILABLE;
}

int Card::scan() {
    if (port_ == Port::Wired) return ZARN9100_RESULT_NOT_AVAILABLE;
    const std::string reply = request("SCAN").value_or("");
    // A scan already running answers FAIL-BUSY; its results come all the same.
    return reply == "OK\n" || reply == "FAIL-BUSY\n" ? ZARN9100_RESULT_OK : ZARN9100_RESULT_NOT_AVAILABLE;
}

void Card::refreshScanList() {
    std::vector<std::vector<uint8_t>> entries;
    std::string command = "BSS FIRST";
    while (entries.size() < kMaxScanEntries) {
        const auto reply = request(command);
        if (!reply || reply->empty() || reply->rfind("FAIL", 0) == 0) break;
        Report bss = ParseReport(*reply);
        if (auto entry = BuildScanEntry(bss)) entries.push_back(std::move(*entry));
        const auto id = ParseNumber(bss["id"]);
        if (!id) break;
        command = "BSS NEXT-" + std::to_string(*id);
    }
    std::lock_guard lock(mutex_);
    scanCache_ = std::move(entries);
}

std::vector<std::vector<uint8_t>> Card::scanEntries() {
    std::lock_guard lock(mutex_);
    return scanCache_;
}

int Card::setSsid(const std::string& ssid, bool hidden, const CollectedSecurity& settings) {
    const auto radio = radioState();
    if (radio && *radio != 1) return ZARN9100_RESULT_RADIO_OFF;
    if (!reachable()) return unreachable();
    // Without a directed probe, a name no scan has heard is not in range; a wired port is in
    // range while it has a link.
    bool heard = port_ == Port::Wired ? linkUp() : hidden || settings.networkMode == ZARN9100_NETWORK_ADHOC;
    if (port_ == Port::Wireless) {
        for (const auto& entry : scanEntries()) {
            if (abi::ScanEntrySsid(entry) == ssid) heard = true;
        }
    }
    if (!heard || ssid.empty()) {
        {
            std::lock_guard lock(outcomeMutex_);
            expectDisconnect_ = connected_;
        }
        if (!request("DISCONNECT")) return unreachable();
        return ZARN9100_RESULT_NO_NETWORK;
    }
    // Everything is checked before the networks are replaced: a refused profile leaves the
    // link there is.
    Attempt attempt;
    attempt.ssid = ssid;
    attempt.method = settings.method;
    if (IsEap(settings) && HasServerCertificate(settings.method)) attempt.trust = trust_.trustFor(ssid);
    if (attempt.trust && !attempt.trust->problem.empty()) return refuse(attempt.trust->problem);
    const std::string missing = MissingCertificateFile(settings, paths_.certificateDir);
    if (!missing.empty()) return refuse(missing);
    const NetworkPlan plan = PlanNetwork(settings, ssid, hidden, paths_.certificateDir, port_,
                                         attempt.trust ? attempt.trust->fields : std::vector<NetworkField>{});
    if (!plan.problem.empty()) return refuse(plan.problem);
    {
        std::lock_guard lock(outcomeMutex_);
        expectDisconnect_ = connected_;
    }
    if (const auto failed = replaceNetworks(plan.fields, attempt)) {
        attempts_.settle(attempt.id, *failed);
        return *failed;
    }

    const auto outcome = attempts_.wait(attempt.id, std::chrono::milliseconds(paths_.associationTimeoutMs));
    if (attempts_.stopped()) return ZARN9100_RESULT_NO_NETWORK;
    if (!outcome) {
        requestOk("DISCONNECT");
        return ZARN9100_RESULT_NO_NETWORK;
    }
    return *outcome;
}

std::optional<int> Card::replaceNetworks(const std::vector<NetworkField>& fields, Attempt& attempt) {
    // A card shut down meanwhile is disassociated rather than refused.
    auto failed = [&] {
        std::lock_guard lock(outcomeMutex_);
        return stop_ ? ZARN9100_RESULT_NO_NETWORK : ZARN9100_RESULT_SECURITY_REFUSED;
    };
    auto reply = request("ADD_NETWORK");
    if (!reply) return unreachable();
    std::string id = *reply;
    while (!id.empty() && id.back() == '\n') id.pop_back();
    if (!ParseNumber(id)) return failed();
    for (const auto& [name, value] : fields) {
        reply = request("SET_NETWORK " + id + " " + name + " " + value);
        if (reply == "OK\n") continue;
        if (!reply) return unreachable();
        // The value is not repeated here: it may be a key.
        std::fprintf(stderr, "libTembrelWpa: wpa_supplicant refused the network field %s\n", name.c_str());
        requestOk("REMOVE_NETWORK " + id);
        return failed();
    }
    // Only now the networks there were, and with them the link, go.
    reply = request("LIST_NETWORKS");
    if (!reply) return unreachable();
    for (const auto& other : NetworkIds(*reply)) {
        if (other != id) requestOk("REMOVE_NETWORK " + other);
    }
    // What the supplicant reports from here on may be about this network.
    {
        std::lock_guard lock(outcomeMutex_);
        attempt.networkId = id;
        attempt.id = attempts_.begin();
        attempt_ = attempt;
    }
    reply = request("SELECT_NETWORK " + id);
    if (!reply) return unreachable();
    if (*reply != "OK\n") return failed();
    return std::nullopt;
}

int Card::unreachable() {
    {
        std::lock_guard lock(outcomeMutex_);
        if (stop_) return ZARN9100_RESULT_NO_NETWORK;
    }
    dispatcher_.post(abi::StatusTextEvent("The card cannot be reached: " + link_->errorText()));
    return ZARN9100_RESULT_BAD_HANDLE;
}

int Card::refuse(const std::string& problem) {
    dispatcher_.post(abi::LibraryEvent(ZARN9100_EVENT_ASSOCIATION_REFUSED));
    dispatcher_.post(abi::StatusTextEvent("Authentication failed: " + problem));
    return ZARN9100_RESULT_SECURITY_REFUSED;
}

bool Card::present() {
    // The card is there while its interface is and its supplicant's socket takes a connection.
    return interfacePresent() && link_->socketPresent() && link_->reachable();
}

bool Card::interfacePresent() const {
    std::error_code ec;
    return fs::exists(fs::path(paths_.sysfs) / "class/net" / interface_, ec);
}

void Card::eventLoop(bool present) {
    bool link = port_ == Port::Wired && linkUp();
    for (;;) {
        {
            std::lock_guard lock(outcomeMutex_);
            if (stop_) return;
        }
        const auto started = std::chrono::steady_clock::now();
        const auto message = present ? link_->receiveEvent(1000) : std::nullopt;
        if (message) handleEvent(*message);
        if (link_->lost()) supplicantGone();
        watchDevice(present);
        if (port_ == Port::Wired) {
            const bool linkNow = linkUp();
            if (link && !linkNow) wiredLinkLost();
            link = linkNow;
        }
        if (!message) {
            // Without events the loop only watches the device and the socket, once a second.
            std::unique_lock lock(outcomeMutex_);
            outcomeChanged_.wait_until(lock, started + std::chrono::seconds(1), [&] { return stop_; });
        }
    }
}

void Card::watchDevice(bool& present) {
    const bool now = this->present();
    if (now == present) return;
    present = now;
    if (now) {
        // Attached before the arrival is told: events of the first request must not be missed.
        link_->attach();
        readLinkState();
        refreshScanList();
    } else {
        // The interface is there: its supplicant ended.
        if (interfacePresent()) supplicantGone();
        else decide(ZARN9100_RESULT_BAD_HANDLE);
        dispatcher_.post(abi::LibraryEvent(ZARN9100_EVENT_CARD_REMOVED));
    }
    dispatcher_.post(abi::DeviceEvent(now ? TEMBREL_DEVICE_ARRIVAL : TEMBREL_DEVICE_REMOVE_COMPLETE, interface_));
}

void Card::decide(int outcome, const std::optional<std::string>& networkId) {
    abi::AssociationAttempts::Id id = attempts_.current();
    if (networkId) {
        std::lock_guard lock(outcomeMutex_);
        if (attempt_.networkId != *networkId) return;
        id = attempt_.id;
    }
    attempts_.settle(id, outcome);
}

void Card::supplicantGone() {
    if (attempts_.settle(attempts_.current(), ZARN9100_RESULT_BAD_HANDLE))
        dispatcher_.post(abi::StatusTextEvent("The card cannot be reached: wpa_supplicant at " + link_->path() +
                                              " stopped answering"));
}

void Card::wiredLinkLost() {
    requestOk("DISCONNECT");
    decide(ZARN9100_RESULT_NO_NETWORK);
}

void Card::connected(const std::optional<std::string>& networkId) {
    Attempt attempt;
    {
        std::lock_guard lock(outcomeMutex_);
        connected_ = true;
        expectDisconnect_ = false;
        sessionEnding_ = false;
        attempt = attempt_;
    }
    // A link to another network than the attempt's says nothing about the attempt.
    const bool attempted = !networkId || *networkId == attempt.networkId;
    if (attempted && attempt.method != EapMethod::None) {
        std::string text = std::string(EapMethodName(attempt.method)) + " authentication succeeded";
        if (attempt.trust) {
            const ServerTrust& shown = *attempt.trust;
            const bool firstUse = shown.check == ServerCheck::FirstUse;
            if (firstUse && (attempt.serverHash.empty() || !trust_.pin(attempt.ssid, attempt.serverHash))) {
                std::fprintf(stderr, "libTembrelWpa: the server's certificate could not be pinned in %s\n",
                             trust_.pinFile().c_str());
                text += "; the server was not checked";
            } else {
                if (firstUse) holdToPin(attempt.networkId, attempt.serverHash);
                text += "; " + ServerCheckText(shown);
            }
        }
        dispatcher_.post(abi::StatusTextEvent(text));
    }
    dispatcher_.post(abi::LibraryEvent(ZARN9100_EVENT_LINK_UP));
    if (attempted) attempts_.settle(attempt.id, ZARN9100_RESULT_OK);
}

void Card::holdToPin(const std::string& networkId, const std::string& hash) {
    {
        std::lock_guard lock(outcomeMutex_);
        if (attempt_.networkId != networkId || !attempt_.trust) return;  // another network meanwhile
        attempt_.trust->check = ServerCheck::Pinned;
        attempt_.trust->pin = hash;
    }
    // The supplicant checks the next authentication itself; should it refuse the field, the
    // certificates it reports are still compared with the pin (handleEvent).
    if (!requestOk("SET_NETWORK " + networkId + " ca_cert \"hash://server/sha256/" + hash + "\""))
        std::fprintf(stderr, "libTembrelWpa: wpa_supplicant refused the pin of the running network\n");
}

bool Card::inSessionLocked() const { return connected_ && attempts_.current() == abi::AssociationAttempts::kNone; }

void Card::endSession(const std::string& text) {
    {
        std::lock_guard lock(outcomeMutex_);
        if (!connected_ || sessionEnding_) return;
        sessionEnding_ = true;
        expectDisconnect_ = false;
    }
    dispatcher_.post(abi::StatusTextEvent(text));
    requestOk("DISCONNECT");
}

void Card::handleEvent(const std::string& text) {
    const auto event = ParseEvent(text);
    if (!event) return;
    const std::string& name = event->name;
    if (name == "CTRL-EVENT-SCAN-RESULTS") {
        refreshScanList();
        dispatcher_.post(abi::LibraryEvent(ZARN9100_EVENT_SCAN_COMPLETE));
    } else if (name == "CTRL-EVENT-CONNECTED") {
        connected(NetworkIdOf(*event));
    } else if (name == "CTRL-EVENT-EAP-PEER-CERT") {
        const std::string hash = ServerCertificateHash(event->fields);
        bool mismatchInSession = false;
        std::string ssid;
        {
            std::lock_guard lock(outcomeMutex_);
            ssid = attempt_.ssid;
            if (!hash.empty()) attempt_.serverHash = hash;
            const auto& trust = attempt_.trust;
            mismatchInSession = !hash.empty() && inSessionLocked() && trust && trust->check == ServerCheck::Pinned &&
                                hash != trust->pin;
        }
        if (mismatchInSession) endSession(PinMismatchText(ssid, trust_.pinFile()));
    } else if (name == "CTRL-EVENT-DISCONNECTED") {
        bool wasConnected, requested;
        {
            std::lock_guard lock(outcomeMutex_);
            wasConnected = connected_;
            requested = expectDisconnect_;
            connected_ = false;
            expectDisconnect_ = false;
        }
        if (wasConnected) dispatcher_.post(abi::LibraryEvent(requested ? ZARN9100_EVENT_LINK_DOWN : ZARN9100_EVENT_LINK_LOST));
    } else if (name == "CTRL-EVENT-EAP-FAILURE") {
        std::string failure = FailureText(event->fields);
        bool inSession;
        {
            std::lock_guard lock(outcomeMutex_);
            const auto& trust = attempt_.trust;
            if (trust && trust->check == ServerCheck::Pinned && !attempt_.serverHash.empty() &&
                attempt_.serverHash != trust->pin)
                failure = PinMismatchText(attempt_.ssid, trust_.pinFile());
            inSession = inSessionLocked();
        }
        // A re-authentication of a link that was up: no association waits for this failure.
        if (inSession) {
            endSession(failure);
            return;
        }
        dispatcher_.post(abi::LibraryEvent(ZARN9100_EVENT_ASSOCIATION_REFUSED));
        dispatcher_.post(abi::StatusTextEvent(failure));
        decide(ZARN9100_RESULT_SECURITY_REFUSED);
    } else if (name == "CTRL-EVENT-SSID-TEMP-DISABLED" && LastField(event->fields, "reason") == "WRONG_KEY") {
        dispatcher_.post(abi::LibraryEvent(ZARN9100_EVENT_ASSOCIATION_REFUSED));
        decide(ZARN9100_RESULT_SECURITY_REFUSED, NetworkIdOf(*event));
    } else if (name == "CTRL-EVENT-NETWORK-NOT-FOUND") {
        decide(ZARN9100_RESULT_NO_NETWORK);
    }
}

}  // namespace tembrel::wpa
