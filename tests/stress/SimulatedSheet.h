#pragma once
// The main window on the simulated card, as the program's start-up builds it (arrival and
// removal wired, a prefer-list profile for "Home-WPA2" in the store), for the campaigns that
// need the whole window. Needs a QApplication.

#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "adapter/DriverLoader.h"
#include "app/CZarn9100Sheet.h"
#include "tests/support/MemorySettings.h"
#include "tests/support/ScriptedDialogService.h"

namespace tembrel::stress {

using Clock = std::chrono::steady_clock;

// Runs the user-interface thread's events for `ms`, or until `done`.
bool Pump(long long ms, const std::function<bool()>& done = {});

// The longest time the user-interface thread went without running its timer: a timer every
// 10 ms measures the gap since its previous run.
class StallMeter {
public:
    StallMeter();
    long long worstMs() const;
    void reset();

private:
    QTimer timer_;
    Clock::time_point last_ = Clock::now();
    Clock::duration worst_{};
};

class SimulatedSheet {
public:
    // Empty error() when the window runs.
    explicit SimulatedSheet(const std::string& library);
    ~SimulatedSheet();

    const std::string& error() const { return error_; }
    CZarn9100Sheet& sheet() { return *sheet_; }
    // A control command of the simulated card (a JSON array of words); the reply or "" on refusal.
    bool control(const char* json, std::string* reply = nullptr);
    // Connected to "Home-WPA2" as the window shows it and as the card says.
    bool connectedHome();

private:
    static void DeviceNotify(void* context, uint32_t event, const char* interfaceName);

    std::string error_;
    DriverLoadResult loaded_;
    int (*control_)(const char*, char*, uint32_t) = nullptr;
    QTemporaryDir dir_;
    MemorySettings settings_;
    ScriptedDialogService dialogs_;
    std::unique_ptr<CZarn9100Sheet> sheet_;
};

}  // namespace tembrel::stress
