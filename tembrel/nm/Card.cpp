#include "Card.h"

#include "ConnectionBuilder.h"
#include "Mapping.h"
#include "tembrel/common/MacText.h"
#include "tembrel/common/ScanEntryLayout.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>

namespace tembrel::nm {

namespace {

namespace fs = std::filesystem;
using abi::DeviceEvent;
using abi::LibraryEvent;
using abi::StatusTextEvent;

constexpr auto kDbusTimeout = std::chrono::seconds(6);
constexpr int kDbusTimeoutMs = 5000;

std::string Env(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? std::string(v) : fallback;
}

// libnm hands out no text for an unknown address.
std::optional<abi::MacAddress> MacOf(const char* text) {
    return text != nullptr ? abi::ParseMac(text) : std::nullopt;
}

// Associated: from the moment NetworkManager configures addresses (the 802.11 link is up).
bool LinkedState(guint state) { return state >= NM_DEVICE_STATE_IP_CONFIG && state <= NM_DEVICE_STATE_ACTIVATED; }

AccessPointFacts FactsOf(NMAccessPoint* ap) {
    AccessPointFacts f;
    if (GBytes* ssid = nm_access_point_get_ssid(ap)) {
        gsize size = 0;
        const auto* data = static_cast<const uint8_t*>(g_bytes_get_data(ssid, &size));
        // A hidden network reports no SSID or one of zero bytes.
        bool zeros = true;
        for (gsize i = 0; i < size; ++i) zeros = zeros && data[i] == 0;
        if (!zeros) f.ssid.assign(data, data + size);
    }
    if (const auto mac = MacOf(nm_access_point_get_bssid(ap))) std::copy(mac->begin(), mac->end(), f.bssid);
    f.strengthPercent = nm_access_point_get_strength(ap);
    f.frequencyMHz = nm_access_point_get_frequency(ap);
    f.maxBitrateKbps = nm_access_point_get_max_bitrate(ap);
    f.flags = nm_access_point_get_flags(ap);
    f.wpaFlags = nm_access_point_get_wpa_flags(ap);
    f.rsnFlags = nm_access_point_get_rsn_flags(ap);
    f.adHoc = nm_access_point_get_mode(ap) == NM_802_11_MODE_ADHOC;
    return f;
}

// An activation request on its way: the card and the attempt its reply is for.
struct ActivationCall {
    Card* card;
    abi::AssociationAttempts::Id attempt;
};

GVariant* VolatileActivation() {
    GVariantBuilder b;
    g_variant_builder_init(&b, G_VARIANT_TYPE_VARDICT);
    // Kept in memory only, and gone again once deactivated.
    g_variant_builder_add(&b, "{sv}", "persist", g_variant_new_string("volatile"));
    return g_variant_builder_end(&b);
}

}  // namespace

Settings Settings::FromEnvironment() {
    Settings s;
    s.interfaceName = Env("TEMBREL_NM_INTERFACE", "");
    s.certificateDir = Env("TEMBREL_NM_CERT_DIR", "");
    s.addresses = Env("TEMBREL_NM_ADDRESSES", "auto") != "none";
    return s;
}

Card::Card(Settings settings) : settings_(std::move(settings)) {
    loop_ = std::make_unique<GLibThread>([this] { loopStart(); }, [this] { loopStop(); });
}

Card::~Card() {
    attempts_.stop();
    loop_.reset();
}

// ---------------------------------------------------------------- GLib thread

void Card::loopStart() {
    GError* error = nullptr;
    // GLib's shared bus connection raises SIGTERM in the whole process when the bus goes away
    // (a restarted D-Bus); the host program must not end with it, so the client gets a
    // connection that merely closes.
    GObjectPtr<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &error));
    if (bus) {
        g_dbus_connection_set_exit_on_close(bus.get(), FALSE);
        client_.reset(static_cast<NMClient*>(
            g_initable_new(NM_TYPE_CLIENT, nullptr, &error, NM_CLIENT_DBUS_CONNECTION, bus.get(), nullptr)));
    }
    if (!client_) {
        GErrorPtr owned(error);
        std::fprintf(stderr, "libTembrelNM: no connection to the system bus: %s\n", owned->message);
        return;
    }
    g_signal_connect(client_.get(), "device-added", G_CALLBACK(OnDeviceAdded), this);
    g_signal_connect(client_.get(), "device-removed", G_CALLBACK(OnDeviceRemoved), this);
    g_signal_connect(client_.get(), "notify::" NM_CLIENT_WIRELESS_HARDWARE_ENABLED, G_CALLBACK(OnHardwareSwitch), this);
    hardwareOn_ = nm_client_wireless_hardware_get_enabled(client_.get());
    loopChooseDevice(false);
}

void Card::loopStop() {
    loopHoldAutoconnect(false);
    loopForgetDevice();
    if (client_) g_signal_handlers_disconnect_by_data(client_.get(), this);
    client_.reset();
}

void Card::loopChooseDevice(bool announce) {
    if (!client_ || device_) return;
    const GPtrArray* devices = nm_client_get_devices(client_.get());
    for (guint i = 0; devices != nullptr && i < devices->len; ++i) {
        auto* d = NM_DEVICE(devices->pdata[i]);
        const char* name = nm_device_get_iface(d);
        if (name == nullptr) continue;
        const bool fits = settings_.interfaceName.empty()
                              ? NM_IS_DEVICE_WIFI(d) && nm_device_get_managed(d)
                              : settings_.interfaceName == name && (NM_IS_DEVICE_WIFI(d) || NM_IS_DEVICE_ETHERNET(d));
        if (!fits) continue;
        device_ = Ref(d);
        deviceName_ = name;
        wired_ = NM_IS_DEVICE_ETHERNET(d);
        linked_ = LinkedState(nm_device_get_state(d));
        g_signal_connect(d, "state-changed", G_CALLBACK(OnStateChanged), this);
        g_signal_connect(d, "notify::" NM_DEVICE_ACTIVE_CONNECTION, G_CALLBACK(OnActiveConnection), this);
        if (NM_IS_DEVICE_WIFI(d)) g_signal_connect(d, "notify::" NM_DEVICE_WIFI_LAST_SCAN, G_CALLBACK(OnLastScan), this);
        bool held;
        {
            std::lock_guard lock(mutex_);
            held = !handles_.empty();
        }
        if (held) loopHoldAutoconnect(true);
        if (announce) dispatcher_.post(DeviceEvent(TEMBREL_DEVICE_ARRIVAL, deviceName_));
        return;
    }
}

void Card::loopForgetDevice() {
    if (!device_) return;
    g_signal_handlers_disconnect_by_data(device_.get(), this);
    device_.reset();
    holdingAutoconnect_ = false;
    linked_ = false;
}

void Card::loopHoldAutoconnect(bool hold) {
    if (!client_ || !device_ || hold == holdingAutoconnect_) return;
    // While the utility holds the card, NetworkManager starts none of the user's connections on
    // it by itself; the device's own setting comes back when the utility lets go.
    if (hold) savedAutoconnect_ = nm_device_get_autoconnect(device_.get());
    holdingAutoconnect_ = hold;
    nm_client_dbus_set_property(client_.get(), nm_object_get_path(NM_OBJECT(device_.get())),
                                NM_DBUS_INTERFACE_DEVICE, "Autoconnect",
                                g_variant_new_boolean(hold ? FALSE : savedAutoconnect_), kDbusTimeoutMs, nullptr,
                                nullptr, nullptr);
}

void Card::OnDeviceAdded(NMClient*, NMDevice*, gpointer self) { static_cast<Card*>(self)->loopChooseDevice(true); }

void Card::OnActiveConnection(GObject*, GParamSpec*, gpointer self) {
    // libnm may learn of the new active connection after the device's last state change: the
    // link it brings is looked at again.
    auto* card = static_cast<Card*>(self);
    if (!card->device_) return;
    const guint state = nm_device_get_state(card->device_.get());
    card->loopStateChanged(state, state, nm_device_get_state_reason(card->device_.get()));
}

void Card::OnDeviceRemoved(NMClient*, NMDevice* device, gpointer self) {
    auto* card = static_cast<Card*>(self);
    if (device != card->device_.get()) return;
    const std::string name = card->deviceName_;
    card->loopForgetDevice();
    card->decide(card->attempts_.current(), ZARN9100_RESULT_NO_NETWORK);
    card->dispatcher_.post(LibraryEvent(ZARN9100_EVENT_CARD_REMOVED));
    card->dispatcher_.post(DeviceEvent(TEMBREL_DEVICE_REMOVE_COMPLETE, name));
}

void Card::OnLastScan(GObject*, GParamSpec*, gpointer self) {
    static_cast<Card*>(self)->dispatcher_.post(LibraryEvent(ZARN9100_EVENT_SCAN_COMPLETE));
}

void Card::OnHardwareSwitch(GObject*, GParamSpec*, gpointer self) {
    auto* card = static_cast<Card*>(self);
    const bool on = nm_client_wireless_hardware_get_enabled(card->client_.get());
    if (on == card->hardwareOn_ || card->wired_) return;
    card->hardwareOn_ = on;
    card->dispatcher_.post(LibraryEvent(on ? ZARN9100_EVENT_RADIO_SWITCH_ON : ZARN9100_EVENT_RADIO_SWITCH_OFF));
}

void Card::OnStateChanged(NMDevice*, guint state, guint old, guint reason, gpointer self) {
    static_cast<Card*>(self)->loopStateChanged(state, old, reason);
}

bool Card::loopActiveIsOurs() {
    NMActiveConnection* active = device_ ? nm_device_get_active_connection(device_.get()) : nullptr;
    const char* uuid = active != nullptr ? nm_active_connection_get_uuid(active) : nullptr;
    std::lock_guard lock(outcomeMutex_);
    // Before libnm has caught up with the new active connection, the attempt's own states are
    // the only ones that follow.
    return uuid == nullptr || attemptUuid_ == uuid;
}

std::string Card::appliedSsid() {
    NMActiveConnection* active = device_ ? nm_device_get_active_connection(device_.get()) : nullptr;
    const char* uuid = active != nullptr ? nm_active_connection_get_uuid(active) : nullptr;
    {
        std::lock_guard lock(outcomeMutex_);
        // libnm may not know the new active connection yet when the device reports the link.
        if (uuid == nullptr || attemptUuid_ == uuid) return appliedSsid_;
    }
    const char* id = nm_active_connection_get_id(active);
    return id != nullptr ? id : "";
}

void Card::loopStateChanged(guint state, guint, guint reason) {
    abi::AssociationAttempts::Id attempt;
    abi::EapMethod method;
    {
        std::lock_guard lock(outcomeMutex_);
        attempt = attemptId_;
        method = method_;
    }
    // The attempt that set these fields is the one a SetSsid waits for.
    const bool attempting = attempt != abi::AssociationAttempts::kNone && attempt == attempts_.current();
    if (LinkedState(state) && !linked_) {
        if (attempting && !loopActiveIsOurs()) return;
        linked_ = true;
        {
            std::lock_guard lock(outcomeMutex_);
            expectDisconnect_ = false;
        }
        if (attempting && method != abi::EapMethod::None)
            dispatcher_.post(StatusTextEvent(std::string(abi::EapMethodName(method)) + " authentication succeeded"));
        dispatcher_.post(LibraryEvent(ZARN9100_EVENT_LINK_UP));
        if (attempting) decide(attempt, ZARN9100_RESULT_OK);
        return;
    }
    if (!LinkedState(state) && linked_) {
        linked_ = false;
        bool requested;
        {
            std::lock_guard lock(outcomeMutex_);
            requested = expectDisconnect_ || reason == NM_DEVICE_STATE_REASON_NEW_ACTIVATION ||
                        reason == NM_DEVICE_STATE_REASON_USER_REQUESTED;
            expectDisconnect_ = false;
        }
        dispatcher_.post(LibraryEvent(requested ? ZARN9100_EVENT_LINK_DOWN : ZARN9100_EVENT_LINK_LOST));
        // Why a link the utility did not just ask for failed.
        if (!attempting && state == NM_DEVICE_STATE_FAILED && reason != NM_DEVICE_STATE_REASON_NONE)
            dispatcher_.post(StatusTextEvent(RefusalOf(reason).text));
    }
    if (state == NM_DEVICE_STATE_FAILED && attempting) {
        const Refusal refusal = RefusalOf(reason);
        if (!decide(attempt, refusal.result)) return;
        if (refusal.result == ZARN9100_RESULT_SECURITY_REFUSED)
            dispatcher_.post(LibraryEvent(ZARN9100_EVENT_ASSOCIATION_REFUSED));
        dispatcher_.post(StatusTextEvent(refusal.text));
    }
}


// ---------------------------------------------------------------- the C ABI's threads

ZARN9100_HANDLE Card::open() {
    const std::string problem = loop_->call([this]() -> std::string {
        if (!client_) return "no connection to the system bus";
        if (!nm_client_get_nm_running(client_.get())) return "NetworkManager is not running";
        loopChooseDevice(false);
        if (!device_) {
            return settings_.interfaceName.empty()
                       ? std::string("NetworkManager manages no wireless device")
                       : "NetworkManager has no wireless or Ethernet device " + settings_.interfaceName;
        }
        return {};
    });
    if (!problem.empty()) {
        std::fprintf(stderr, "libTembrelNM: %s\n", problem.c_str());
        return nullptr;
    }
    uintptr_t h;
    {
        std::lock_guard lock(mutex_);
        h = nextHandle_++;
        handles_.insert(h);
    }
    loop_->call([this] { loopHoldAutoconnect(true); });
    return reinterpret_cast<ZARN9100_HANDLE>(h);
}

bool Card::close(ZARN9100_HANDLE h) {
    bool last;
    {
        std::lock_guard lock(mutex_);
        if (handles_.erase(reinterpret_cast<uintptr_t>(h)) != 1) return false;
        last = handles_.empty();
    }
    if (last) loop_->call([this] { loopHoldAutoconnect(false); });
    return true;
}

bool Card::valid(ZARN9100_HANDLE h) {
    std::lock_guard lock(mutex_);
    return handles_.count(reinterpret_cast<uintptr_t>(h)) == 1;
}

std::string Card::interfaceName() {
    return loop_->call([this] { return device_ ? deviceName_ : settings_.interfaceName; });
}

LinkFacts Card::link() {
    return loop_->call([this] {
        LinkFacts f;
        if (!device_) return f;
        f.present = true;
        f.connected = LinkedState(nm_device_get_state(device_.get()));
        if (!f.connected) return f;
        if (NM_IS_DEVICE_ETHERNET(device_.get())) {
            f.speedKbps = nm_device_ethernet_get_speed(NM_DEVICE_ETHERNET(device_.get())) * 1000;
            // A wired port's "access point" is the 802.1x group address its authenticator answers on.
            f.bssid = {0x01, 0x80, 0xC2, 0x00, 0x00, 0x03};
            f.ssid = appliedSsid();
            return f;
        }
        auto* wifi = NM_DEVICE_WIFI(device_.get());
        f.speedKbps = nm_device_wifi_get_bitrate(wifi);
        f.ssid = appliedSsid();
        if (NMAccessPoint* ap = nm_device_wifi_get_active_access_point(wifi)) {
            const AccessPointFacts facts = FactsOf(ap);
            f.ssid.assign(facts.ssid.begin(), facts.ssid.end());
            std::copy(facts.bssid, facts.bssid + 6, f.bssid.begin());
            f.frequencyMHz = facts.frequencyMHz;
            f.rssiDbm = DbmOfStrength(facts.strengthPercent);
        }
        return f;
    });
}

std::optional<int32_t> Card::rssiDbm() {
    const LinkFacts facts = link();
    return facts.connected ? facts.rssiDbm : std::nullopt;
}

std::optional<uint32_t> Card::linkSpeed100bps() {
    const LinkFacts facts = link();
    if (!facts.connected || facts.speedKbps == 0 || facts.speedKbps > 400000000) return std::nullopt;
    return facts.speedKbps * 10;
}

int64_t Card::statistic(const char* name) {
    std::ifstream in(std::filesystem::path("/sys/class/net") / interfaceName() / "statistics" / name);
    long long value = 0;
    return in >> value ? value : 0;
}

std::optional<std::array<uint8_t, 6>> Card::macAddress() {
    return loop_->call([this] {
        return device_ ? MacOf(nm_device_get_hw_address(device_.get())) : std::nullopt;
    });
}

std::string Card::driverText() {
    return loop_->call([this] {
        if (!device_) return std::string();
        const char* driver = nm_device_get_driver(device_.get());
        const char* version = nm_device_get_driver_version(device_.get());
        std::string text = driver != nullptr ? driver : "";
        if (version != nullptr && *version != '\0') text += (text.empty() ? "" : " ") + std::string(version);
        return text;
    });
}

std::vector<std::vector<uint8_t>> Card::scanEntries() {
    return loop_->call([this] {
        std::vector<std::vector<uint8_t>> entries;
        if (!device_ || !NM_IS_DEVICE_WIFI(device_.get())) return entries;
        const GPtrArray* aps = nm_device_wifi_get_access_points(NM_DEVICE_WIFI(device_.get()));
        for (guint i = 0; aps != nullptr && i < aps->len; ++i) {
            auto entry = BuildScanEntry(FactsOf(NM_ACCESS_POINT(aps->pdata[i])));
            if (!entry.empty()) entries.push_back(std::move(entry));
        }
        return entries;
    });
}

int Card::scan() {
    return loop_->call([this] {
        if (!device_) return ZARN9100_RESULT_BAD_HANDLE;
        if (!NM_IS_DEVICE_WIFI(device_.get())) return ZARN9100_RESULT_NOT_AVAILABLE;
        // NetworkManager refuses scans that follow each other closely; the list it has stays
        // valid and its next scan reports as usual.
        nm_device_wifi_request_scan_async(
            NM_DEVICE_WIFI(device_.get()), nullptr,
            [](GObject* source, GAsyncResult* result, gpointer) {
                nm_device_wifi_request_scan_finish(NM_DEVICE_WIFI(source), result, nullptr);
            },
            nullptr);
        return ZARN9100_RESULT_OK;
    });
}

uint32_t Card::radioControl() {
    return loop_->call([this]() -> uint32_t {
        if (!client_ || wired_) return ZARN9100_RADIO_ON;
        if (!nm_client_wireless_hardware_get_enabled(client_.get())) return ZARN9100_RADIO_SWITCHED_OFF;
        return nm_client_wireless_get_enabled(client_.get()) ? ZARN9100_RADIO_ON : ZARN9100_RADIO_OFF;
    });
}

int Card::setRadioControl(bool on) {
    auto done = std::make_shared<std::promise<bool>>();
    std::future<bool> result = done->get_future();
    const bool started = loop_->call([&] {
        if (!client_ || wired_) return false;
        nm_client_dbus_set_property(
            client_.get(), NM_DBUS_PATH, NM_DBUS_INTERFACE, "WirelessEnabled", g_variant_new_boolean(on),
            kDbusTimeoutMs, nullptr,
            [](GObject* source, GAsyncResult* res, gpointer data) {
                std::unique_ptr<std::shared_ptr<std::promise<bool>>> promise(
                    static_cast<std::shared_ptr<std::promise<bool>>*>(data));
                (*promise)->set_value(nm_client_dbus_set_property_finish(NM_CLIENT(source), res, nullptr));
            },
            new std::shared_ptr<std::promise<bool>>(done));
        return true;
    });
    if (!started) return ZARN9100_RESULT_NOT_AVAILABLE;
    if (result.wait_for(kDbusTimeout) != std::future_status::ready || !result.get()) return ZARN9100_RESULT_NOT_AVAILABLE;
    return ZARN9100_RESULT_OK;
}

void Card::disconnect() {
    {
        std::lock_guard lock(outcomeMutex_);
        expectDisconnect_ = true;
    }
    loop_->call([this] {
        if (device_) nm_device_disconnect_async(device_.get(), nullptr, nullptr, nullptr);
    });
}

int Card::setSsid(const std::string& ssid, bool hidden, const abi::CollectedSecurity& security) {
    if (!wired_ && radioControl() != ZARN9100_RADIO_ON) return ZARN9100_RESULT_RADIO_OFF;
    ConnectionRequest request;
    request.security = security;
    request.ssid = ssid;
    request.hidden = hidden;
    request.wired = wired_;
    request.addresses = settings_.addresses;
    request.interfaceName = interfaceName();
    request.certificateDir = settings_.certificateDir;
    // A ca.pem in the certificate folder is the authority the authentication server must prove
    // itself by; without one the server is taken on trust, as the profile names none.
    if (!settings_.certificateDir.empty()) {
        std::error_code ec;
        const fs::path ca = fs::path(settings_.certificateDir) / "ca.pem";
        if (fs::is_regular_file(ca, ec)) request.trustedCa = ca.string();
    }

    // Without a directed probe, a name no scan has heard is not in range.
    bool heard = wired_ || hidden || request.security.networkMode == ZARN9100_NETWORK_ADHOC;
    for (const auto& entry : heard ? std::vector<std::vector<uint8_t>>{} : scanEntries()) {
        if (abi::ScanEntrySsid(entry) == ssid) heard = true;
    }
    if (!heard || ssid.empty()) {
        disconnect();
        return ZARN9100_RESULT_NO_NETWORK;
    }
    BuiltConnection built = BuildConnection(request);
    if (!built.connection) {
        dispatcher_.post(LibraryEvent(ZARN9100_EVENT_ASSOCIATION_REFUSED));
        dispatcher_.post(StatusTextEvent("Authentication failed: " + built.problem));
        return ZARN9100_RESULT_SECURITY_REFUSED;
    }
    const abi::AssociationAttempts::Id attempt = attempts_.begin();
    {
        std::lock_guard lock(outcomeMutex_);
        attemptId_ = attempt;
        attemptUuid_ = nm_connection_get_uuid(built.connection.get());
        appliedSsid_ = ssid;
        method_ = request.security.eap() ? request.security.method : abi::EapMethod::None;
        expectDisconnect_ = true;
    }
    // The reply names the attempt it answers: a late one for an earlier attempt settles nothing.
    auto call = std::make_unique<ActivationCall>(ActivationCall{this, attempt});
    NMConnection* connection = built.connection.release();
    const bool started = loop_->call([this, connection, &call] {
        GObjectPtr<NMConnection> owned(connection);
        if (!client_ || !device_) return false;
        nm_client_add_and_activate_connection2(
            client_.get(), owned.get(), device_.get(), nullptr, VolatileActivation(), nullptr,
            [](GObject* source, GAsyncResult* result, gpointer data) {
                const std::unique_ptr<ActivationCall> call(static_cast<ActivationCall*>(data));
                GError* error = nullptr;
                GObjectPtr<NMActiveConnection> active(
                    nm_client_add_and_activate_connection2_finish(NM_CLIENT(source), result, nullptr, &error));
                if (active) return;
                GErrorPtr owned(error);
                Card* card = call->card;
                // The device's failure, when it came first, has said why already.
                if (!card->decide(call->attempt, ZARN9100_RESULT_SECURITY_REFUSED)) return;
                card->dispatcher_.post(LibraryEvent(ZARN9100_EVENT_ASSOCIATION_REFUSED));
                std::string why = owned ? owned->message : "";
                why = why.substr(0, why.find('\n'));
                card->dispatcher_.post(
                    StatusTextEvent("Authentication failed: NetworkManager refused the connection: " + why));
            },
            call.release());
        return true;
    });

    const std::optional<int> outcome =
        started ? attempts_.wait(attempt, std::chrono::milliseconds(settings_.associationTimeoutMs)) : std::nullopt;
    // A card shutting down is left to go; an attempt that came to nothing is called off.
    if (!outcome && !attempts_.stopped()) disconnect();
    return outcome.value_or(ZARN9100_RESULT_NO_NETWORK);
}

}  // namespace tembrel::nm
