#pragma once
// The application object: start-up in the documented order, the single running copy, the data
// paths, the driver library, device notifications, the radio hot key and the end of the session.

#include "app/logic/CommandLine.h"
#include "platform/DeviceMonitor.h"
#include "platform/ZeroConfigService.h"
#include "platform/gui/DialogService.h"
#include "platform/gui/HotKey.h"

#include <QObject>

#include <memory>
#include <string>

namespace tembrel {

class CZarn9100Sheet;
class DriverLibrary;
class FolderLock;
class Settings;
class SignalWatcher;
class SingleInstance;

inline constexpr char kWindowTitle[] = "Orvix LX-7700 Utility";

class CZarn9100App : public QObject {
    Q_OBJECT
public:
    // Services the start-up uses, chosen here once; null members get the Linux implementation
    // (tests pass doubles).
    struct Services {
        std::unique_ptr<DialogService> dialogs;
        std::unique_ptr<ZeroConfigService> zeroConfig;
        std::unique_ptr<DeviceMonitor> deviceMonitor;  // libudev "net" events
        std::unique_ptr<HotKey> hotKey;                // Alt+F2 through an X11 key grab; none off X11
        std::string executablePath;  // "" = this process's
    };

    CZarn9100App(CommandLine options, Services services = {});
    ~CZarn9100App() override;

    enum class StartResult { Run, EndSuccess, EndFailure };
    // Steps 1 to 11 of the start-up. Run: enter the event loop; the program ends when the
    // main window has exited.
    StartResult Start();

    CZarn9100Sheet* sheet() const { return sheet_.get(); }
    int osFamily() const { return osFamily_; }

private:
    void onDeviceNotify(uint32_t event, const std::string& interfaceName);
    static void LibraryDeviceNotify(void* context, uint32_t event, const char* interfaceName);
    bool registerDeviceNotifications();
    void registerHotKey();
    void endSession();

    CommandLine options_;
    Services services_;
    int osFamily_ = 1;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<FolderLock> dataLock_;  // held for the program's life
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<DriverLibrary> library_;
    std::unique_ptr<SignalWatcher> signals_;
    std::unique_ptr<CZarn9100Sheet> sheet_;
    bool libraryNotifies_ = false;
    bool endingSession_ = false;
};

}  // namespace tembrel
