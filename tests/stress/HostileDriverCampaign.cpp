#include "HostileDriverCampaign.h"

#include <dlfcn.h>

#include <TembrelSim.h>

#include <algorithm>
#include <map>
#include <cstdlib>
#include <mutex>
#include <set>

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLoader.h"
#include "connection/AutoLinkCandidates.h"
#include "connection/StatusRefresher.h"
#include "pages/monitoring/logic/MainPageModel.h"
#include "tests/support/FakeIpHelper.h"
#include "survey/ChannelPlan.h"
#include "survey/ScanRequests.h"
#include "survey/SecurityDetection.h"

namespace tembrel::stress {

namespace {

// The Network Status page's view of the card, as the main window gives it, on the handle and
// snapshot of this campaign.
class CardSource final : public monitoring::MainPageSource {
public:
    CardSource(DriverLibrary& driver, const AdapterHandle& handle, ConnectionSnapshotHolder& snapshot)
        : driver_(driver), handle_(handle), snapshot_(snapshot) {}

    bool hasAdapter() const override { return handle_.held(); }
    bool radioOn() const override { return true; }
    bool monitorMode() const override { return false; }
    bool stopping() const override { return false; }
    void setStopping(bool) override {}
    monitoring::LinkFacts linkFacts() const override {
        return monitoring::LinkFactsOf(snapshot_.copy());
    }
    uint32_t encryptionStatus() override { return snapshot_.copy().encryptionStatus; }
    uint32_t refreshRatePS() const override { return 0; }
    int osFamily() const override { return 1; }
    std::vector<monitoring::ProfilePtr> profiles() const override { return {}; }
    monitoring::ProfilePtr profileInUse() const override { return nullptr; }
    void setProfileInUse(const monitoring::ProfilePtr&) override {}
    int connectProfile(const monitoring::ProfilePtr&) override { return 0; }
    std::optional<int32_t> queryRssi() override {
        const auto lease = handle_.lease();
        int32_t rssi = 0;
        if (!lease || driver_.QueryRssi(lease.get(), &rssi) != 0) return std::nullopt;
        return rssi;
    }
    std::optional<uint32_t> queryLinkSpeed() override {
        const auto lease = handle_.lease();
        uint32_t speed = 0;
        if (!lease || driver_.QueryLinkSpeed(lease.get(), &speed) != 0) return std::nullopt;
        return speed;
    }
    std::optional<MacAddress> macAddress() override { return std::nullopt; }
    bool queryDhcp9x() override { return false; }
    uint32_t tickCountMs() const override { return ++tick_ * 1000; }

private:
    DriverLibrary& driver_;
    const AdapterHandle& handle_;
    ConnectionSnapshotHolder& snapshot_;
    mutable uint32_t tick_ = 0;
};

class NoOutput final : public monitoring::MainPageOutput {
public:
    void graphSetRange(monitoring::Graph, uint32_t, uint32_t) override {}
    void graphAddValue(monitoring::Graph, uint32_t) override {}
    void graphsStep(int) override {}
    void setBusyUi(bool) override {}
};

// Events arrive on the library's thread and are handed to this thread, as the main window does.
struct EventInbox {
    std::mutex mutex;
    std::vector<uintptr_t> codes;
    static void Notify(void* context, uint32_t, uintptr_t code, intptr_t) {
        auto* inbox = static_cast<EventInbox*>(context);
        std::lock_guard lock(inbox->mutex);
        if (inbox->codes.size() < 100000) inbox->codes.push_back(code);
    }
    std::vector<uintptr_t> take() {
        std::lock_guard lock(mutex);
        return std::exchange(codes, {});
    }
};

bool Printable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

}  // namespace

std::vector<Figure> RunHostileDriverCampaign(const HostileOptions& options) {
    const std::string c = "hostile driver library";
    // Before the library starts its simulation: no control socket, time only when asked, nonsense on.
    ::setenv("TEMBREL_SIM_SOCKET", "none", 1);
    ::setenv("TEMBREL_SIM_CLOCK", "manual", 1);
    ::setenv("TEMBREL_SIM_HOSTILE", "1", 1);
    DriverLoadResult loaded = LoadDriverLibrary(options.library);
    if (!loaded.loaded) return {{c, "library", loaded.error, "loaded", false}};
    void* self = ::dlopen(options.library.c_str(), RTLD_NOW | RTLD_NOLOAD);
    auto advance = self ? reinterpret_cast<void (*)(uint32_t)>(::dlsym(self, "TembrelSimAdvance")) : nullptr;
    auto flush = self ? reinterpret_cast<int (*)(uint32_t)>(::dlsym(self, "TembrelSimFlushEvents")) : nullptr;
    if (advance == nullptr || flush == nullptr) return {{c, "library", "not the simulated card", "simulated card", false}};

    DriverLibrary& driver = *loaded.library;
    EventInbox inbox;
    const ZARN9100_EVENT_SINK sink{&EventInbox::Notify, &inbox};
    driver.Initialize(&sink);
    AdapterHandle handle;
    if (handle.exclusive([&](ZARN9100_HANDLE* h) { return driver.OpenAdapter(h); }) != 0 || !handle.held())
        return {{c, "adapter", "cannot open", "open", false}};

    ConnectionSnapshotHolder snapshot;
    StatusRefresher refresher(driver, handle, snapshot, nullptr);
    CardSource source(driver, handle, snapshot);
    FakeIpHelper ip;
    NoOutput output;
    monitoring::MainPageModel page(source, ip, output);
    page.activate();
    ProfileList profiles;
    profiles.Append(NewDefaultProfile());

    std::size_t insane = 0, buffers = 0, claimed = 0, walked = 0, candidates = 0, events = 0, unknownEvents = 0;
    std::set<std::string> shownSpeeds;
    std::map<std::string, std::size_t> insaneBy;  // what was shown insanely, for the table
    auto sane = [&](bool ok, const char* what) {
        if (ok) return;
        ++insane;
        ++insaneBy[what];
    };
    for (std::size_t round = 0; round < options.rounds; ++round) {
        {
            const auto lease = handle.lease();
            refresher.RefreshStatus(driver.GetConnectStatus(lease.get()) != 0);
        }
        const ConnectionSnapshot s = snapshot.copy();
        sane(s.ssidLength() <= 32, "snapshot SSID");
        sane(s.frequencyMHz == 0 || (s.frequencyMHz >= 2412 && s.frequencyMHz <= 6000), "snapshot frequency");

        page.refreshLink();
        page.periodicUpdate();
        const monitoring::MainPageView& v = page.view();
        sane(v.ssid.size() <= 32, "page SSID");
        sane(v.bssid.size() <= 17 && Printable(v.bssid), "page BSSID");
        sane(v.linkSpeed.size() <= 12 && Printable(v.linkSpeed), "page link speed");
        sane(v.security.size() <= 40 && Printable(v.security) && v.networkType.size() <= 40, "page security or network type");
        sane(v.status.size() <= 40 && Printable(v.status), "page status");
        sane(v.signalBar >= 0 && v.signalBar <= 40, "page signal bar");
        if (!v.linkSpeed.empty()) shownSpeeds.insert(v.linkSpeed);

        // The site survey's and the profile wizard's readers.
        ScanBuffer buffer{};
        const auto lease = handle.lease();
        const bool read = round % 2 == 0 ? ReadScanList(driver, lease.get(), buffer)
                                         : ReadScanListWithLength(driver, lease.get(), buffer);
        if (read) {
            ++buffers;
            const ScanList list(buffer);
            claimed += list.numberOfItems();
            for (const ScanEntry entry : list) {
                ++walked;
                sane(entry.bytes().data() >= buffer.data() &&
                         entry.bytes().data() + entry.bytes().size() <= buffer.data() + buffer.size(),
                     "scan entry outside its buffer");
                sane(entry.ssid().size() <= 32, "scan SSID");
                const uint32_t channel = ChannelFromFrequency(entry.dsConfigKHz());
                sane(channel <= 200, "scan channel");
                const int percent = SignalPercent(entry);
                sane(percent >= 0 && percent <= 100, "scan signal");
                (void)DetectSecurity(driver, lease.get(), entry.macAddress());
            }
            for (const AutoLinkCandidate& candidate : FindAutoLinkCandidates(buffer, profiles.Snapshot())) {
                ++candidates;
                sane(candidate.ssid.size() <= 32, "Auto Link SSID");
            }
        }

        if (round % 10 == 9) {
            advance(1000);  // a drift period: unknown event codes and a link-up without a link
            flush(60000);
            for (const uintptr_t code : inbox.take()) {
                ++events;
                if (code > 9 && code < 1001) ++unknownEvents;
                page.notify(static_cast<uint32_t>(code));
            }
        }
    }
    page.deactivate();
    const ZARN9100_EVENT_SINK none{};
    driver.Initialize(&none);
    handle.exclusive([&](ZARN9100_HANDLE* h) { return driver.CloseAdapter(h); });

    std::string insaneWhat;
    for (const auto& [what, count] : insaneBy)
        insaneWhat += (insaneWhat.empty() ? "" : ", ") + what + " " + std::to_string(count);
    std::string speeds;
    for (const auto& speed : shownSpeeds) speeds += (speeds.empty() ? "" : ", ") + speed;
    return {
        {c, "rounds (snapshot, Network Status page, scan list, security, Auto Link)", std::to_string(options.rounds), "",
         true},
        {c, "scan buffers read", std::to_string(buffers), "", true},
        {c, "entries the buffers claimed", std::to_string(claimed), "", true},
        {c, "entries the walk accepted", std::to_string(walked), "", true},
        {c, "Auto Link candidates found", std::to_string(candidates), "", true},
        {c, "events delivered (unknown codes)", std::to_string(events) + " (" + std::to_string(unknownEvents) + ")", "",
         true},
        {c, "link speeds shown", speeds.empty() ? "none" : speeds, "", true},
        {c, "insane values shown", insane == 0 ? "0" : std::to_string(insane) + " (" + insaneWhat + ")", "0",
         insane == 0},
    };
}

}  // namespace tembrel::stress
