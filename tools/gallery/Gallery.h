#pragma once
// Takes the pictures: the main window on every page of the normal page set, the tray menu and
// icons, the dialogs of the catalogue, then the monitor-mode page set with the Readme page.

#include "ShotWriter.h"
#include "SimControls.h"

#include <QSet>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <string>

namespace tembrel {
class CZarn9100Sheet;
class DriverLibrary;
class IniSettings;
class QtDialogService;
class Settings;
}  // namespace tembrel

namespace tembrel::gallery {

class ModalWatcher;

// Sets the keys of the settings file that add the Debug, Test and Region pages, so that the
// gallery draws every page the program has.
void AskForEveryPage(Settings& settings);

struct GalleryOptions {
    QString outputDir = "build/gallery";
    std::string driverPath;                       // the simulated card's libTembrel.so
    QString joinSsid = "Orvix-Open-G";            // the network joined for a connected look; "" = none
    std::chrono::milliseconds settle{400};        // after each page change, for timers to draw once
    std::chrono::milliseconds warmUp{3000};       // after connecting, for the status page to fill in
    std::chrono::milliseconds bound{15000};       // longest wait for the card or a dialog
};

class Gallery {
public:
    Gallery(GalleryOptions options, DriverLibrary& library, const SimControls& sim);
    ~Gallery();

    // 0 when every picture was written.
    int run();

private:
    // One main window with its own settings file and dialog service.
    struct Window;
    std::unique_ptr<Window> openWindow(int osFamily);
    bool joinNetwork(CZarn9100Sheet& sheet);
    void settle(std::chrono::milliseconds time);
    void shootPages(CZarn9100Sheet& sheet, const QString& kind, const QString& prefix);
    void shootTray(CZarn9100Sheet& sheet);
    // The Profile Manager's context menu, the window with the radio off and with the card out.
    void shootStates(CZarn9100Sheet& sheet);
    void shootDialogs(CZarn9100Sheet& sheet);
    void shootMonitorMode();
    void shootReadmeAlone(CZarn9100Sheet& sheet);
    void shootDetailedStatistics(CZarn9100Sheet& sheet);
    // Records every Alt+letter that two controls in sight share.
    void checkMnemonics(const QWidget& window, const QString& name);

    GalleryOptions options_;
    DriverLibrary& library_;
    const SimControls& sim_;
    ShotWriter writer_;
    QTemporaryDir scratch_;
    std::unique_ptr<ModalWatcher> watcher_;
    int unexpectedMessages_ = 0;
    QSet<QString> dialogsSeen_;
};

}  // namespace tembrel::gallery
