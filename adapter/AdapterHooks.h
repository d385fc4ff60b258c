#pragma once
// What opening and closing the adapter needs from the rest of the program: the connection
// snapshot, the supervisor, the notification-area icon and the main window. The main window
// implements it; tests record the calls.

#include <cstdint>

namespace tembrel {

class AdapterHooks {
public:
    virtual ~AdapterHooks() = default;

    // Connection snapshot and notification-area icon.
    virtual void refreshStatus(bool connected) = 0;
    virtual void publishTrayState(int state) = 0;

    // Profile in use: adopt the library's at open; apply it again once the adapter is open.
    virtual void adoptProfileInUse() = 0;
    virtual void reapplyProfileInUse() = 0;
    virtual bool snapshotConnected() const = 0;

    // Settings file, section "Advanced".
    virtual void storeChannelRange(uint32_t firstChannel, uint32_t lastChannel) = 0;
    virtual int boostModeSetting() const = 0;

    // Main window.
    virtual bool monitorMode() const = 0;
    virtual bool windowVisible() const = 0;
    virtual void setRadioCheckEnabled(bool enabled) = 0;
    virtual void clearRadioCheck() = 0;
    virtual void updateRadioUi() = 0;
    virtual void disableAdapterPages() = 0;
    virtual void reselectActivePage() = 0;
    virtual void selectFirstPage() = 0;
    virtual void adapterOpened() = 0;  // event 1001 through the library-event handler

    // Supervisor thread: started after the adapter opened; stopped (bounded wait, in ms)
    // before it closes.
    virtual void startSupervisor() = 0;
    virtual void stopSupervisor(int waitMs) = 0;
};

}  // namespace tembrel
