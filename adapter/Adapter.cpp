#include "Adapter.h"

#include "RegionTable.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace tembrel {

Adapter::Adapter(DriverLibrary& library, AdapterHooks& hooks, std::chrono::milliseconds closeWait)
    : library_(library), hooks_(hooks), closeWait_(closeWait) {}

Adapter::~Adapter() {
    // The main window closes the adapter at exit; this only keeps the handle from leaking when
    // it did not get that far.
    handle_.exclusive([&](ZARN9100_HANDLE* h) {
        if (*h) library_.CloseAdapter(h);
        *h = nullptr;
        return 0;
    });
}

std::array<uint8_t, 6> Adapter::macAddress() const {
    std::array<uint8_t, 6> out{};
    for (size_t i = 0; i < out.size(); ++i) out[i] = mac_[i].load();
    return out;
}

int Adapter::OpenAdapter() {
    stopping.setClosed(false);
    if (handle_.held()) return 1;

    const bool opened = handle_.exclusive([&](ZARN9100_HANDLE* h) {
        library_.OpenAdapter(h);
        return *h != nullptr;
    });
    if (!opened) {
        hooks_.publishTrayState(0);
        return 1;
    }

    {
        // A failed query leaves the previous values in place.
        auto lease = handle_.lease();
        std::array<uint8_t, 6> mac = macAddress();
        library_.GetMacAddress(lease.get(), mac.data(), static_cast<uint32_t>(mac.size()));
        for (size_t i = 0; i < mac.size(); ++i) mac_[i] = mac[i];

        uint32_t code = regionCode_;
        library_.QueryRegionCode(lease.get(), &code);
        const RegionInfo region = LookupRegion(code);
        regionCode_ = region.code;
        firstChannel_ = region.firstChannel;
        lastChannel_ = region.lastChannel;
    }
    hooks_.storeChannelRange(firstChannel_, lastChannel_);

    bool connected;
    {
        auto lease = handle_.lease();
        connected = library_.GetConnectStatus(lease.get()) != 0;
    }
    if (connected) {
        hooks_.refreshStatus(true);
        radioState = ZARN9100_RADIO_ON;
        hooks_.adoptProfileInUse();
    } else {
        hooks_.refreshStatus(false);
        uint32_t radio = radioState;
        auto lease = handle_.lease();
        library_.QueryRadioControl(lease.get(), &radio);
        radioState = radio;
    }

    if (radioState == ZARN9100_RADIO_SWITCHED_OFF) {
        radioState = ZARN9100_RADIO_OFF;
        hooks_.setRadioCheckEnabled(false);
    } else if (!hooks_.monitorMode()) {
        hooks_.setRadioCheckEnabled(true);
    }
    hooks_.updateRadioUi();

    hooks_.startSupervisor();
    if (hooks_.windowVisible()) hooks_.reselectActivePage();
    hooks_.adapterOpened();
    if (hooks_.snapshotConnected()) hooks_.reapplyProfileInUse();

    auto lease = handle_.lease();
    if (lease) library_.SetBoostMode(lease.get(), static_cast<uint32_t>(hooks_.boostModeSetting()));
    return 1;
}

int Adapter::CloseAdapter() {
    if (!handle_.held()) {
        hooks_.publishTrayState(0);
        return 0;
    }
    stopping.setClosed(true);
    const auto deadline = std::chrono::steady_clock::now() + closeWait_;
    hooks_.stopSupervisor(static_cast<int>(closeWait_.count()));
    hooks_.disableAdapterPages();
    // Waits for calls still in flight on other threads, within what is left of the bound.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    handle_.closeWithin(std::max(left, std::chrono::milliseconds(0)), [&library = library_](ZARN9100_HANDLE* h) {
        library.CloseAdapter(h);
        *h = nullptr;
    });
    hooks_.refreshStatus(false);
    if (hooks_.windowVisible()) hooks_.selectFirstPage();
    hooks_.clearRadioCheck();
    return 1;
}

void Adapter::OnDeviceArrival(const DeviceNotification& n, int osFamily, const DynamicRegistry& registry,
                              const DeviceChangeHooks& hooks) {
    if (!IsOurCard(&n, osFamily, registry) || handle_.held()) return;
    if (OpenAdapter() != 0) arrivalHandled = 1;
    if (hooks.afterArrivalOpened) hooks.afterArrivalOpened();
    auto lease = handle_.lease();
    if (lease) library_.SetGUIMonitorMode(lease.get(), hooks_.monitorMode() ? 1 : 0);
}

void Adapter::OnDeviceRemoveComplete(const DeviceNotification& n, int osFamily, const DynamicRegistry& registry,
                                     const DeviceChangeHooks& hooks) {
    if (!IsOurCard(&n, osFamily, registry) || !handle_.held()) return;
    if (hooks.beforeRemovalClose) hooks.beforeRemovalClose();
    if (CloseAdapter() != 0) arrivalHandled = 1;
}

void Adapter::OnDeviceNodesChanged(int osFamily) {
    if (osFamily != 3) return;
    if (arrivalHandled == 0 && !handle_.held()) OpenAdapter();
    arrivalHandled = 0;
}

void Adapter::OnEndSession(const std::function<void()>& signalStop, int pauseMs) {
    if (!handle_.held()) return;
    if (signalStop) signalStop();
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    auto lease = handle_.lease();
    if (lease) library_.UnlockPages(lease.get());
}

}  // namespace tembrel
