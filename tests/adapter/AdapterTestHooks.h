#pragma once
// AdapterHooks that write every call into one log shared with the recording driver, so that
// tests see library calls and program steps in their true order.

#include "adapter/AdapterHooks.h"
#include "tests/support/RecordingDriver.h"

#include <mutex>
#include <string>
#include <vector>

namespace tembrel::testing {

class CallLog {
public:
    void add(std::string entry) {
        std::lock_guard lock(mutex_);
        entries_.push_back(std::move(entry));
    }
    std::vector<std::string> entries() const {
        std::lock_guard lock(mutex_);
        return entries_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }
    void attach(RecordingDriver& driver) {
        driver.setObserver([this](const RecordedCall& c) { add(c.text()); });
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
};

class RecordingHooks : public AdapterHooks {
public:
    explicit RecordingHooks(CallLog& log) : log_(log) {}

    bool monitor = false;
    bool visible = false;
    bool connectedAfterRefresh = false;
    int boostMode = 1;

    void refreshStatus(bool connected) override {
        log_.add("refreshStatus(" + std::to_string(connected) + ")");
        snapshotConnected_ = connected && connectedAfterRefresh;
    }
    void publishTrayState(int state) override { log_.add("tray(" + std::to_string(state) + ")"); }
    void adoptProfileInUse() override { log_.add("adoptProfileInUse"); }
    void reapplyProfileInUse() override { log_.add("reapplyProfileInUse"); }
    bool snapshotConnected() const override { return snapshotConnected_; }
    void storeChannelRange(uint32_t first, uint32_t last) override {
        log_.add("storeChannelRange(" + std::to_string(first) + ", " + std::to_string(last) + ")");
    }
    int boostModeSetting() const override { return boostMode; }
    bool monitorMode() const override { return monitor; }
    bool windowVisible() const override { return visible; }
    void setRadioCheckEnabled(bool enabled) override { log_.add("radioCheckEnabled(" + std::to_string(enabled) + ")"); }
    void clearRadioCheck() override { log_.add("clearRadioCheck"); }
    void updateRadioUi() override { log_.add("updateRadioUi"); }
    void disableAdapterPages() override { log_.add("disableAdapterPages"); }
    void reselectActivePage() override { log_.add("reselectActivePage"); }
    void selectFirstPage() override { log_.add("selectFirstPage"); }
    void adapterOpened() override { log_.add("event(1001)"); }
    void startSupervisor() override { log_.add("startSupervisor"); }
    void stopSupervisor(int waitMs) override { log_.add("stopSupervisor(" + std::to_string(waitMs) + ")"); }

private:
    CallLog& log_;
    bool snapshotConnected_ = false;
};

}  // namespace tembrel::testing
