#include "Card.h"

#include "Reports.h"

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

constexpr int kRequestTimeoutMs = 3000;
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

// The reason a 802.1x failure names, from "CTRL-EVENT-EAP-FAILURE EAP authentication failed".
std::string FailureText(const std::string& event) {
    const size_t at = event.find("CTRL-EVENT-EAP-FAILURE");
    std::string reason = at == std::string::npos ? std::string() : event.substr(at + 22);
    while (!reason.empty() && reason.front() == ' ') reason.erase(0, 1);
    return "Authentication failed: " + (reason.empty() ? std::string("the server refused the credentials") : reason);
}

}  // namespace

Paths Paths::FromEnvironment() {
    Paths p;
    p.sysfs = Env("TEMBREL_WPA_SYSFS", p.sysfs);
    p.controlDir = Env("TEMBREL_WPA_CTRL_DIR", p.controlDir);
    p.certificateDir = Env("TEMBREL_WPA_CERT_DIR", "");
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

Card::Card(Paths paths) : paths_(std::move(paths)) {
    if (!paths_.interfaceName.empty()) interface_ = paths_.interfaceName;
    else interface_ = FindWirelessInterface(paths_.sysfs).value_or("");
    if (interface_.empty()) return;
    if (IsWiredPort(paths_.sysfs, interface_)) port_ = Port::Wired;
    if (!connectSupplicant()) return;
    refreshScanList();
    thread_ = std::thread([this] { eventLoop(); });
}

Card::~Card() { shutdown(); }

void Card::shutdown() {
    {
        std::lock_guard lock(outcomeMutex_);
        stop_ = true;
    }
    outcomeChanged_.notify_all();
    if (monitor_) monitor_->shutdown();
    if (control_) control_->shutdown();
    if (thread_.joinable()) thread_.join();
}

bool Card::connectSupplicant() {
    const std::string path = paths_.controlDir + "/" + interface_;
    control_ = std::make_unique<ControlClient>();
    monitor_ = std::make_unique<ControlClient>();
    if (!control_->open(path)) {
        std::fprintf(stderr, "libTembrelWpa: %s\n", control_->errorText().c_str());
        control_.reset();
        monitor_.reset();
        return false;
    }
    if (!monitor_->open(path) || monitor_->request("ATTACH", kRequestTimeoutMs).value_or("") != "OK\n") {
        std::fprintf(stderr, "libTembrelWpa: wpa_supplicant at %s does not report events\n", path.c_str());
        monitor_.reset();
    }
    // Without ap_scan=0 the supplicant would wait for scan results a wired driver never gives.
    if (port_ == Port::Wired && !requestOk("AP_SCAN 0"))
        std::fprintf(stderr,
                     "libTembrelWpa: wpa_supplicant at %s refused AP_SCAN 0: set ap_scan=0 in its configuration\n",
                     path.c_str());
    const auto status = request("STATUS");
    if (status) connected_ = ParseReport(*status)["wpa_state"] == "COMPLETED";
    return true;
}

ZARN9100_HANDLE Card::open() {
    if (interface_.empty() || !control_) return nullptr;
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

std::string Card::driverName() const {
    std::error_code ec;
    const fs::path target = fs::read_symlink(fs::path(paths_.sysfs) / "class/net" / interface_ / "device/driver", ec);
    return ec ? std::string() : target.filename().string();
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
    if (!control_) return std::nullopt;
    return control_->request(command, kRequestTimeoutMs);
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

bool Card::setRadio(bool on) {
    const auto folder = rfkillFolder();
    if (!folder) return false;
    std::ofstream out(fs::path(*folder) / "soft");
    out << (on ? "0" : "1");
    out.flush();
    return bool(out);
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

int Card::setSsid(const std::string& ssid, bool hidden) {
    const auto radio = radioState();
    if (radio && *radio != 1) return ZARN9100_RESULT_RADIO_OFF;
    PendingSecurity settings;
    {
        std::lock_guard lock(mutex_);
        settings = pending_;
    }
    {
        std::lock_guard lock(outcomeMutex_);
        outcome_ = -1;
        expectDisconnect_ = connected_;
        method_ = settings.method;
    }
    requestOk("REMOVE_NETWORK all");
    // Without a directed probe, a name no scan has heard is not in range; a wired port is in
    // range while it has a link.
    bool heard = port_ == Port::Wired ? linkUp() : hidden || settings.networkMode == ZARN9100_NETWORK_ADHOC;
    if (port_ == Port::Wireless) {
        for (const auto& entry : scanEntries()) {
            const uint32_t length = entry[12];
            if (length == ssid.size() && std::equal(ssid.begin(), ssid.end(), entry.begin() + 16)) heard = true;
        }
    }
    if (!heard || ssid.empty()) {
        requestOk("DISCONNECT");
        return ZARN9100_RESULT_NO_NETWORK;
    }
    // A ca.pem in the certificate folder is the authority the authentication server must prove
    // itself by; without one the server is taken on trust, as the profile itself names none.
    std::string trustedCa;
    if (!paths_.certificateDir.empty()) {
        std::error_code ec;
        const fs::path ca = fs::path(paths_.certificateDir) / "ca.pem";
        if (fs::is_regular_file(ca, ec)) trustedCa = ca.string();
    }
    const NetworkPlan plan = PlanNetwork(settings, ssid, hidden, paths_.certificateDir, port_, trustedCa);
    if (!plan.problem.empty()) {
        dispatcher_.post(abi::LibraryEvent(ZARN9100_EVENT_ASSOCIATION_REFUSED));
        dispatcher_.post(abi::StatusTextEvent("Authentication failed: " + plan.problem));
        return ZARN9100_RESULT_SECURITY_REFUSED;
    }
    std::string id = request("ADD_NETWORK").value_or("");
    while (!id.empty() && id.back() == '\n') id.pop_back();
    // A card shut down meanwhile is disassociated rather than refused.
    auto failed = [&] {
        std::lock_guard lock(outcomeMutex_);
        return stop_ ? ZARN9100_RESULT_NO_NETWORK : ZARN9100_RESULT_SECURITY_REFUSED;
    };
    if (!ParseNumber(id)) return failed();
    for (const auto& [name, value] : plan.fields) {
        if (!requestOk("SET_NETWORK " + id + " " + name + " " + value)) {
            // The value is not repeated here: it may be a key.
            std::fprintf(stderr, "libTembrelWpa: wpa_supplicant refused the network field %s\n", name.c_str());
            return failed();
        }
    }
    if (!requestOk("SELECT_NETWORK " + id)) return failed();

    std::unique_lock lock(outcomeMutex_);
    const bool decided = outcomeChanged_.wait_for(lock, std::chrono::milliseconds(paths_.associationTimeoutMs),
                                                  [&] { return outcome_ >= 0 || stop_; });
    if (stop_) return ZARN9100_RESULT_NO_NETWORK;
    if (!decided) {
        lock.unlock();
        requestOk("DISCONNECT");
        return ZARN9100_RESULT_NO_NETWORK;
    }
    return outcome_;
}

void Card::eventLoop() {
    std::error_code ec;
    const fs::path device = fs::path(paths_.sysfs) / "class/net" / interface_;
    bool present = true;
    bool link = port_ == Port::Wired && linkUp();
    for (;;) {
        {
            std::lock_guard lock(outcomeMutex_);
            if (stop_) return;
        }
        const auto message = monitor_ ? monitor_->receive(1000) : std::nullopt;
        if (message) handleEvent(*message);
        const bool now = fs::exists(device, ec);
        if (now != present) {
            present = now;
            if (!now) dispatcher_.post(abi::LibraryEvent(ZARN9100_EVENT_CARD_REMOVED));
            dispatcher_.post(abi::DeviceEvent(now ? TEMBREL_DEVICE_ARRIVAL : TEMBREL_DEVICE_REMOVE_COMPLETE, interface_));
        }
        if (port_ == Port::Wired) {
            const bool linkNow = linkUp();
            if (link && !linkNow) wiredLinkLost();
            link = linkNow;
        }
        if (!monitor_) {
            // Without events the loop only watches the device, once a second.
            std::unique_lock lock(outcomeMutex_);
            outcomeChanged_.wait_for(lock, std::chrono::seconds(1), [&] { return stop_; });
        }
    }
}

void Card::decide(int outcome) {
    std::lock_guard lock(outcomeMutex_);
    if (outcome_ < 0) outcome_ = outcome;
    outcomeChanged_.notify_all();
}

void Card::wiredLinkLost() {
    requestOk("DISCONNECT");
    decide(ZARN9100_RESULT_NO_NETWORK);
}

void Card::handleEvent(const std::string& text) {
    if (text.find("CTRL-EVENT-SCAN-RESULTS") != std::string::npos) {
        refreshScanList();
        dispatcher_.post(abi::LibraryEvent(ZARN9100_EVENT_SCAN_COMPLETE));
    } else if (text.find("CTRL-EVENT-CONNECTED") != std::string::npos) {
        EapMethod method;
        {
            std::lock_guard lock(outcomeMutex_);
            connected_ = true;
            expectDisconnect_ = false;
            method = method_;
        }
        if (method != EapMethod::None)
            dispatcher_.post(abi::StatusTextEvent(std::string(EapMethodName(method)) + " authentication succeeded"));
        dispatcher_.post(abi::LibraryEvent(ZARN9100_EVENT_LINK_UP));
        decide(ZARN9100_RESULT_OK);
    } else if (text.find("CTRL-EVENT-DISCONNECTED") != std::string::npos) {
        bool wasConnected, requested;
        {
            std::lock_guard lock(outcomeMutex_);
            wasConnected = connected_;
            requested = expectDisconnect_;
            connected_ = false;
            expectDisconnect_ = false;
        }
        if (wasConnected) dispatcher_.post(abi::LibraryEvent(requested ? ZARN9100_EVENT_LINK_DOWN : ZARN9100_EVENT_LINK_LOST));
    } else if (text.find("CTRL-EVENT-EAP-FAILURE") != std::string::npos) {
        dispatcher_.post(abi::LibraryEvent(ZARN9100_EVENT_ASSOCIATION_REFUSED));
        dispatcher_.post(abi::StatusTextEvent(FailureText(text)));
        decide(ZARN9100_RESULT_SECURITY_REFUSED);
    } else if (text.find("CTRL-EVENT-SSID-TEMP-DISABLED") != std::string::npos &&
               text.find("reason=WRONG_KEY") != std::string::npos) {
        dispatcher_.post(abi::LibraryEvent(ZARN9100_EVENT_ASSOCIATION_REFUSED));
        decide(ZARN9100_RESULT_SECURITY_REFUSED);
    } else if (text.find("CTRL-EVENT-NETWORK-NOT-FOUND") != std::string::npos) {
        decide(ZARN9100_RESULT_NO_NETWORK);
    }
}

}  // namespace tembrel::wpa
