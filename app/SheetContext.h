#pragma once
// What the application object hands the main window: the services it uses for its whole life.

#include "app/PageSet.h"
#include "app/TrayShell.h"
#include "history/HistoryRecorder.h"
#include "platform/CertificateStore.h"
#include "platform/IpHelper.h"
#include "ui/logic/DialogClock.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tembrel {

class DriverLibrary;
class Settings;
class DialogService;

struct SheetContext {
    DriverLibrary& library;
    Settings& settings;
    DialogService& dialogs;
    int osFamily = 1;
    std::string profileStorePath;  // Data.cfg
    std::string libraryPath;       // the driver library file loaded, "" when none
    // Null: the Linux implementations (interface addresses and counters, QSystemTrayIcon).
    // Tests pass doubles.
    std::unique_ptr<IpHelper> ipHelper;
    std::unique_ptr<TrayShell> trayShell;
    // Null: the "certificates" folder beside Data.cfg.
    std::unique_ptr<CertificateStore> certificates;
    // Time of the Auto Link dialog's countdowns and association limit; null: real time.
    std::shared_ptr<ui::DialogClock> dialogClock;
    // Supervisor pacing: the documented 5,000 ms period and 500 ms pause unless a test shortens them.
    int supervisorPeriodMs = 5000;
    int supervisorPauseMs = 500;
    // Pages after the listed ones, in the sets their descriptors name (a test's probes).
    std::vector<PageDescriptor> extraPages;
    // How long closing the card waits for the supervisor and a call in flight (a join) together.
    int closeWaitMs = 3000;
    // Makes the connection history from what it may read of the card; null: no history.
    std::function<std::unique_ptr<HistorySink>(HistoryProbe)> makeHistory;
};

}  // namespace tembrel
