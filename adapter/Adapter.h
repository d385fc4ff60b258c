#pragma once
// The adapter fields of the main window and the opening and closing of the card.

#include "AdapterHandle.h"
#include "AdapterHooks.h"
#include "CardDetection.h"
#include "DriverLibrary.h"
#include "RadioState.h"
#include "StopFlag.h"

#include <TembrelCodes.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

namespace tembrel {

class Adapter {
public:
    // How long CloseAdapter waits for the supervisor and for calls in flight, together.
    static constexpr std::chrono::milliseconds kCloseWait{3000};

    Adapter(DriverLibrary& library, AdapterHooks& hooks, std::chrono::milliseconds closeWait = kCloseWait);
    ~Adapter();
    Adapter(const Adapter&) = delete;
    Adapter& operator=(const Adapter&) = delete;

    // Returns 1: handled, also when no card could be opened.
    int OpenAdapter();
    // Returns 1 when a handle was closed, 0 when none was open. Bounded by the close wait: a
    // library call still in flight then (a join) closes the handle itself when it returns.
    int CloseAdapter();

    // Device-change handling: arrival, removal complete, device nodes changed (9x/Me only).
    struct DeviceChangeHooks {
        std::function<void()> afterArrivalOpened;  // monitor-mode timer and check on the XP family
        std::function<void()> beforeRemovalClose;  // stop the monitor timer, abort Auto Link
    };
    void OnDeviceArrival(const DeviceNotification& n, int osFamily, const DynamicRegistry& registry,
                         const DeviceChangeHooks& hooks);
    void OnDeviceRemoveComplete(const DeviceNotification& n, int osFamily, const DynamicRegistry& registry,
                                const DeviceChangeHooks& hooks);
    void OnDeviceNodesChanged(int osFamily);

    // End of the user's log-on: stop the supervisor's work and unlock the driver's pages; the
    // handle stays open. signalStop wakes the supervisor; pauseMs is the documented 100 ms.
    void OnEndSession(const std::function<void()>& signalStop, int pauseMs = 100);

    DriverLibrary& library() { return library_; }
    const AdapterHandle& handle() const { return handle_; }

    std::array<uint8_t, 6> macAddress() const;
    uint32_t regionCode() const { return regionCode_.load(); }
    uint32_t firstChannel() const { return firstChannel_.load(); }
    uint32_t lastChannel() const { return lastChannel_.load(); }
    void setChannelRange(uint32_t first, uint32_t last) {
        firstChannel_ = first;
        lastChannel_ = last;
    }

    RadioState radioState{ZARN9100_RADIO_ON};
    StopFlag stopping;
    std::atomic<uint32_t> arrivalHandled{0};

private:
    DriverLibrary& library_;
    AdapterHooks& hooks_;
    const std::chrono::milliseconds closeWait_;
    AdapterHandle handle_;
    std::array<std::atomic<uint8_t>, 6> mac_{};
    std::atomic<uint32_t> regionCode_{0x10};
    std::atomic<uint32_t> firstChannel_{1};
    std::atomic<uint32_t> lastChannel_{11};
};

}  // namespace tembrel
