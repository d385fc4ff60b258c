#include "CZarn9100App.h"

#include "adapter/DriverChoice.h"
#include "adapter/DriverLoader.h"
#include "adapter/ZeroConfigRelease.h"
#include "app/CZarn9100Sheet.h"
#include "app/TrayIconArt.h"
#include "platform/Autostart.h"
#include "platform/DeviceMonitor.h"
#include "platform/DeviceName.h"
#include "platform/OsFamily.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/SignalWatcher.h"
#include "platform/SingleInstance.h"
#include "platform/ZeroConfigService.h"
#include "platform/gui/HotKey.h"
#include "platform/gui/QtDialogService.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMetaObject>

#include <cstdio>
#include <cstdlib>

namespace tembrel {

CZarn9100App::CZarn9100App(CommandLine options, Services services)
    : options_(std::move(options)), services_(std::move(services)) {
    if (!services_.dialogs) services_.dialogs = std::make_unique<QtDialogService>(QString::fromLatin1(kWindowTitle));
    if (!services_.zeroConfig) services_.zeroConfig = std::make_unique<UnavailableZeroConfigService>();
    if (!services_.deviceMonitor) services_.deviceMonitor = std::make_unique<UdevDeviceMonitor>();
    // Only X11 has system-wide keys that a client may take. Wayland compositors give none to
    // clients and the offscreen platform has no keyboard: there no key is even tried.
    if (!services_.hotKey && QGuiApplication::platformName() == "xcb") services_.hotKey = std::make_unique<X11HotKey>();
}

CZarn9100App::~CZarn9100App() {
    if (library_ && libraryNotifies_) library_->SetDeviceNotify(nullptr, nullptr);
    sheet_.reset();
}

CZarn9100App::StartResult CZarn9100App::Start() {
    // 1. The key under which framework-kept settings live.
    QCoreApplication::setOrganizationName("Orvix");
    QCoreApplication::setApplicationName(kWindowTitle);
    // Desktops match the windows to the installed desktop entry by this name (the Wayland app id).
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kApplicationId.data(), kApplicationId.size()));
    // The installed program icon, else the same art drawn here (a program run from its build folder).
    QApplication::setWindowIcon(
        QIcon::fromTheme(QString::fromLatin1(kApplicationId.data(), kApplicationId.size()), TrayIcon(kIconConnected)));

    // 2, 3. The operating-system family: Linux, or the family the option asks for.
    osFamily_ = OsFamilyCode(CurrentOsFamily(options_.osFamily ? std::optional(static_cast<OsFamily>(*options_.osFamily))
                                                                : std::nullopt));

    // 4, 5. One running copy per user: a later copy restores the first and ends.
    instance_ = std::make_unique<SingleInstance>(QString::fromLatin1(kWindowTitle));
    switch (instance_->claim(kRestoreRequestCode)) {
    case SingleInstance::Outcome::First:
        break;
    case SingleInstance::Outcome::AnotherCopyNotified:
    case SingleInstance::Outcome::AnotherCopyUnreachable:
        return StartResult::EndSuccess;
    case SingleInstance::Outcome::Failed:
        std::fprintf(stderr, "Tembrel: cannot guard against a second copy: %s\n",
                     qPrintable(instance_->errorString()));
        break;
    }

    // The end of the session: desktop log-out and the terminating signals. Caught from here on,
    // and handled once the event loop runs, so that a signal during start-up still ends cleanly.
    signals_ = std::make_unique<SignalWatcher>();
    connect(signals_.get(), &SignalWatcher::signalReceived, this, [this](int) { endSession(); });
    if (!signals_->watch()) std::fprintf(stderr, "Tembrel: cannot catch the terminating signals\n");
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { endSession(); });

    // 6. The data paths.
    const DataPathsResult located =
        LocateDataPaths(options_.configDir.empty() ? std::nullopt : std::optional<std::filesystem::path>(options_.configDir));
    if (!located.error.empty()) std::fprintf(stderr, "Tembrel: %s\n", located.error.c_str());
    settings_ = std::make_unique<IniSettings>(located.paths.settingsFile());

    // The driver library: missing library or operation means "no card", said once.
    const std::string executable =
        services_.executablePath.empty() ? ExecutablePath().string() : services_.executablePath;
    const char* environmentPath = std::getenv("TEMBREL_LIBRARY");
    DriverChoice choice =
        ChooseDriverLibrary(options_.driverPath, environmentPath, DriverLookup::FromEnvironment(executable));
    DriverLoadResult loaded = std::move(choice.loaded);
    if (!loaded.loaded) std::fprintf(stderr, "Tembrel: %s; running without a card\n", loaded.error.c_str());
    else if (options_.driverPath.empty() && (environmentPath == nullptr || *environmentPath == '\0'))
        std::fprintf(stderr, "Tembrel: driver library %s\n", choice.reason.c_str());
    library_ = std::move(loaded.library);

    // 7. On the family with the wireless configuration service, take the card away from it.
    if (osFamily_ == OsFamilyCode(OsFamily::WindowsXp)) ReleaseCardFromZeroConfig(*services_.zeroConfig, *library_);

    // 8. The main window.
    SheetContext context{*library_, *settings_, *services_.dialogs, osFamily_, located.paths.profileStore().string(),
                         loaded.path};
    sheet_ = std::make_unique<CZarn9100Sheet>(std::move(context));
    sheet_->setWindowTitle(kWindowTitle);
    // exit(), not quit(): a quit request is refused while any window refuses to close, and
    // every modal loop that is open must end too, however it was started.
    connect(sheet_.get(), &CZarn9100Sheet::exited, qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    connect(instance_.get(), &SingleInstance::requestReceived, sheet_.get(), [this](int code) {
        sheet_->Restore();
        sheet_->OnLibraryEvent(static_cast<quintptr>(code), 0, {});
    });
    sheet_->OnInitDialog();

    sheet_->setExitHooks({[this] {
                              if (services_.deviceMonitor) services_.deviceMonitor.reset();
                              if (libraryNotifies_) library_->SetDeviceNotify(nullptr, nullptr);
                              libraryNotifies_ = false;
                          },
                          [this] {
                              if (services_.hotKey) services_.hotKey->unregisterKey();
                          }});

    // 9. Arrival and removal of the card. A machine without udev and a library without the
    // device-notify extension leave the program without them: it still serves the card it has.
    if (!registerDeviceNotifications())
        std::fprintf(stderr, "Tembrel: card arrival and removal will not be noticed\n");

    // 10. The radio hot key.
    registerHotKey();

    // 11. Show the window.
    sheet_->show();
    return StartResult::Run;
}

bool CZarn9100App::registerDeviceNotifications() {
    DeviceMonitor& monitor = *services_.deviceMonitor;
    connect(&monitor, &DeviceMonitor::deviceChanged, this,
            [this](quint32 event, const QString& deviceName, const QString&) {
                onDeviceNotify(event, deviceName.toStdString());
            });
    const bool udev = monitor.start();
    libraryNotifies_ = library_->SetDeviceNotify(&CZarn9100App::LibraryDeviceNotify, this);
    if (!udev && !libraryNotifies_)
        std::fprintf(stderr, "Tembrel: no device notifications: %s\n", qPrintable(monitor.reason()));
    return udev || libraryNotifies_;
}

void CZarn9100App::LibraryDeviceNotify(void* context, uint32_t event, const char* interfaceName) {
    auto* self = static_cast<CZarn9100App*>(context);
    std::string name = interfaceName ? interfaceName : "";
    // Called on the library's thread: the name is copied and handled on the user-interface thread.
    QMetaObject::invokeMethod(self, [self, event, name] { self->onDeviceNotify(event, name); }, Qt::QueuedConnection);
}

void CZarn9100App::onDeviceNotify(uint32_t event, const std::string& deviceName) {
    if (!sheet_) return;
    const QString name = QString::fromStdString(deviceName);
    if (event == TEMBREL_DEVICE_ARRIVAL)
        sheet_->OnDeviceArrival(name);
    else if (event == TEMBREL_DEVICE_REMOVE_COMPLETE)
        sheet_->OnDeviceRemoveComplete(name);
}

void CZarn9100App::registerHotKey() {
    // No hot key was chosen for this display platform (see the constructor): nothing to take.
    if (!services_.hotKey) {
        std::fprintf(stderr, "Tembrel: no Alt+F2 hot key on the \"%s\" display platform\n",
                     qPrintable(QGuiApplication::platformName()));
        return;
    }
    HotKey& hotKey = *services_.hotKey;
    connect(&hotKey, &HotKey::activated, sheet_.get(), &CZarn9100Sheet::OnHotKey);
    if (!hotKey.registerKey()) services_.dialogs->showMessage(sheet_.get(), "Cannot create hotkey for Radio On/Off!!");
}

void CZarn9100App::endSession() {
    if (endingSession_ || !sheet_) return;
    endingSession_ = true;
    sheet_->EndSessionAndExit();
}

}  // namespace tembrel
