#include "Gallery.h"

#include "DialogCatalog.h"
#include "ExampleIpHelper.h"
#include "ModalWatcher.h"

#include "pages/CReadmePage.h"
#include "pages/profiles/CProfileManager.h"
#include "pages/monitoring/CRssiStatistics.h"
#include "app/CTrayMenu.h"
#include "app/CZarn9100App.h"
#include "app/CZarn9100Sheet.h"
#include "app/TrayIconArt.h"
#include "platform/Settings.h"
#include "platform/gui/QtDialogService.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "ui/Mnemonics.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QSaveFile>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace tembrel::gallery {

using namespace std::chrono_literals;

namespace {

// The card as the system's wireless configuration would hold it: the monitor-mode page set.
constexpr char kMonitorEnvironment[] = R"({
  "zeroConfigActive": true,
  "networks": [
    {"ssid": "Orvix-Open-G", "bssid": "00:0C:41:7E:00:06", "channel": 6, "band": "g", "signal": -52},
    {"ssid": "Home-WPA2", "bssid": "00:0C:41:7E:00:04", "channel": 4, "security": "wpa2-psk",
     "passphrase": "correct horse battery", "signal": -64},
    {"ssid": "Lobby-11b", "bssid": "00:0C:41:7E:00:01", "channel": 1, "band": "b", "signal": -75}
  ]
}
)";

QString Numbered(const QString& prefix, int number, const QString& caption) {
    return QString("%1-%2-%3").arg(prefix).arg(number, 2, 10, QChar('0')).arg(ShotWriter::Slug(caption));
}

// A picture's title names the window it shows.
QString Titled(const QString& what, const QWidget& window) { return what + " - window \"" + window.windowTitle() + "\""; }

}  // namespace

void AskForEveryPage(Settings& settings) {
    settings.write(settings::kDebugWin, 1);
    settings.write(settings::kTestPage, 1);
    settings.write(settings::kRegionPage, 1);
}

struct Gallery::Window {
    std::unique_ptr<IniSettings> settings;
    std::unique_ptr<QtDialogService> dialogs;
    std::unique_ptr<CZarn9100Sheet> sheet;  // last: goes first
};

Gallery::Gallery(GalleryOptions options, DriverLibrary& library, const SimControls& sim)
    : options_(std::move(options)), library_(library), sim_(sim), writer_(QDir(options_.outputDir).absolutePath()) {}

Gallery::~Gallery() = default;

int Gallery::run() {
    if (!scratch_.isValid() || !writer_.prepare()) {
        std::fprintf(stderr, "gallery: cannot create %s\n", qPrintable(options_.outputDir));
        return 1;
    }
    // A window the program opens by itself is drawn too, and cancelled: a message box each
    // time (it usually means something went wrong), another dialog once per title.
    watcher_ = std::make_unique<ModalWatcher>(options_.settle, [this](QWidget* window, const QImage& image) {
        if (const auto* box = qobject_cast<const QMessageBox*>(window)) {
            writer_.save("message", QString("message-%1").arg(++unexpectedMessages_), Titled(box->text(), *box), image);
            return;
        }
        const QString title = window->windowTitle();
        if (dialogsSeen_.contains(title)) return;
        dialogsSeen_.insert(title);
        writer_.save("dialog", "auto-dialog-" + ShotWriter::Slug(title), Titled("Opened by the program", *window), image);
    });
    watcher_->setInspect([this](QWidget* window) { checkMnemonics(*window, window->windowTitle()); });

    {
        const auto window = openWindow(1);
        CZarn9100Sheet& sheet = *window->sheet;
        if (!joinNetwork(sheet))
            std::fprintf(stderr, "gallery: the card is not connected; the pictures show it so\n");
        shootPages(sheet, "page", "page");
        shootDetailedStatistics(sheet);
        shootTray(sheet);
        shootDialogs(sheet);
        shootStates(sheet);
        if (!sim_.available()) shootReadmeAlone(sheet);
    }
    if (sim_.available()) shootMonitorMode();

    if (!writer_.writeIndex()) {
        std::fprintf(stderr, "gallery: cannot write the index\n");
        return 1;
    }
    std::printf("gallery: %d pictures in %s\n", writer_.saved(), qPrintable(writer_.folder().absolutePath()));
    return writer_.failures() == 0 && writer_.saved() > 0 ? 0 : 1;
}

std::unique_ptr<Gallery::Window> Gallery::openWindow(int osFamily) {
    // Each window starts from default settings and an empty profile store of its own.
    const QString folder = QDir(scratch_.path()).filePath(QString("family%1").arg(osFamily));
    QDir().mkpath(folder);
    const std::string settingsPath = QDir(folder).filePath("Tembrel.ini").toStdString();
    auto window = std::make_unique<Window>();
    window->settings = std::make_unique<IniSettings>(settingsPath);
    AskForEveryPage(*window->settings);
    // The sample country list built beside the program, for the Region page.
    QFile::copy(QDir(QCoreApplication::applicationDirPath()).filePath("Region.cfg"), QDir(folder).filePath("Region.cfg"));
    window->dialogs = std::make_unique<QtDialogService>(QString::fromLatin1(kWindowTitle));
    SheetContext context{library_, *window->settings, *window->dialogs, osFamily,
                         QDir(folder).filePath("Data.cfg").toStdString(), options_.driverPath};
    // The machine drawing the pictures may have no address at all: the TCP/IP box shows examples.
    context.ipHelper = std::make_unique<ExampleIpHelper>();
    window->sheet = std::make_unique<CZarn9100Sheet>(std::move(context));
    window->sheet->setWindowTitle(kWindowTitle);
    window->sheet->OnInitDialog();
    window->sheet->show();
    settle(0ms);
    return window;
}

bool Gallery::joinNetwork(CZarn9100Sheet& sheet) {
    const auto associated = [&] {
        auto lease = sheet.adapter().handle().lease();
        return lease && library_.GetConnectStatus(lease.get()) != 0;
    };
    if (!options_.joinSsid.isEmpty() && !associated()) {
        // As a user would: a profile for the network, applied by the window.
        const std::string ssid = options_.joinSsid.toStdString();
        PROFILE_RECORD record = MakeDefaultProfile();
        SetProfileName(record, ssid);
        SetProfileSsid(record, ssid);
        const ProfilePtr profile = NewProfileCopy(record);
        sheet.pageContext().profiles().Append(profile);
        sheet.pageContext().connector().ConnectProfile(profile);
    }
    QElapsedTimer waited;
    waited.start();
    while (!associated() && waited.elapsed() < options_.bound.count()) settle(50ms);
    // The link's events reach the window through its event queue; then the pages refresh.
    sim_.flushEvents(static_cast<uint32_t>(options_.bound.count()));
    settle(options_.warmUp);
    return associated();
}

void Gallery::settle(std::chrono::milliseconds time) {
    if (time.count() <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

void Gallery::shootPages(CZarn9100Sheet& sheet, const QString& kind, const QString& prefix) {
    const auto pages = sheet.pageTabs().pages();
    int number = 0;
    for (auto* page : pages) {
        // A disabled tab is drawn too, as it would look if the user could reach it.
        if (!sheet.pageTabs().selectPage(page)) sheet.pageTabs().widget().setCurrentWidget(page->parentWidget());  // its slot
        settle(options_.settle);
        checkMnemonics(sheet, page->caption());
        writer_.save(kind, Numbered(prefix, ++number, page->caption()), Titled(page->caption(), sheet),
                     sheet.grab().toImage());
    }
    if (!pages.empty()) sheet.pageTabs().widget().setCurrentIndex(0);
}

void Gallery::checkMnemonics(const QWidget& window, const QString& name) {
    for (const QString& clash : ui::MnemonicClashes(window)) writer_.fault("mnemonic-clash", name, clash);
}

void Gallery::shootStates(CZarn9100Sheet& sheet) {
    for (auto* page : sheet.pageTabs().pages()) {
        auto* menu = page->dialogId() == CProfileManager::kDialogId ? page->findChild<QMenu*>() : nullptr;
        if (!menu) continue;
        sheet.pageTabs().widget().setCurrentWidget(page->parentWidget());  // its slot
        settle(options_.settle);
        menu->popup(page->mapToGlobal(page->rect().center()));
        settle(options_.settle);
        writer_.save("menu", "menu-profile-manager", "Profile Manager: context menu", menu->grab().toImage());
        menu->hide();
    }
    sheet.pageTabs().widget().setCurrentIndex(0);

    if (sheet.adapter().handle().held()) {
        // A refused join says why in full, on Network Status and on the line under other pages.
        sheet.OnLibraryEvent(ZARN9100_EVENT_STATUS_TEXT, 0,
                             "Authentication failed: \"Home-WPA2\": the passphrase does not match the network's");
        settle(options_.settle);
        writer_.save("state", "state-join-refused", Titled("Join refused", sheet), sheet.grab().toImage());
        sheet.pageTabs().widget().setCurrentIndex(1);
        settle(options_.settle);
        writer_.save("state", "state-join-refused-line", Titled("Join refused, another page", sheet),
                     sheet.grab().toImage());
        sheet.pageTabs().widget().setCurrentIndex(0);
        sheet.OnLibraryEvent(ZARN9100_EVENT_LINK_UP, 0, {});
        settle(options_.settle);
        sheet.ToggleRadio();
        settle(options_.settle);
        writer_.save("state", "state-radio-off", Titled("Radio off", sheet), sheet.grab().toImage());
        sheet.ToggleRadio();
        settle(options_.settle);
    }
    if (!sim_.control(R"(["card","out"])")) {
        writer_.skip("state-card-unplugged", "the library cannot pull its card");
        return;
    }
    QElapsedTimer waited;
    waited.start();
    while (sheet.adapter().handle().held() && waited.elapsed() < options_.bound.count()) settle(50ms);
    settle(options_.settle);
    writer_.save("state", "state-card-unplugged", Titled("Card unplugged", sheet), sheet.grab().toImage());
    sim_.control(R"(["card","in"])");
}

void Gallery::shootTray(CZarn9100Sheet& sheet) {
    CTrayMenu menu;
    menu.popup()->popup(sheet.geometry().center());
    settle(options_.settle);
    writer_.save("tray-menu", "tray-menu", "Tray menu", menu.popup()->grab().toImage());
    menu.popup()->hide();

    // The three icon states side by side.
    constexpr int kSize = 32;
    constexpr int kGap = 8;
    const int ids[] = {kIconConnected, kIconNotConnected, kIconCardUnplugged};
    QImage strip(kGap + std::size(ids) * (kSize + kGap), kSize + 2 * kGap, QImage::Format_ARGB32);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    int x = kGap;
    for (int id : ids) {
        painter.drawImage(x, kGap, DrawTrayIcon(id, kSize));
        x += kSize + kGap;
    }
    painter.end();
    writer_.save("tray-icons", "tray-icons", "Tray icons: connected, not connected, card unplugged", strip);
}

void Gallery::shootDialogs(CZarn9100Sheet& sheet) {
    // File dialogs open on the current folder: a folder of their own, with a few profile files.
    const QString documents = QDir(scratch_.path()).filePath("Documents");
    QDir().mkpath(documents);
    for (const char* name : {"Home.cfg", "Office.cfg", "Backup 2005-09-14.cfg"}) {
        QFile file(QDir(documents).filePath(name));
        if (file.open(QIODevice::WriteOnly)) file.close();
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(documents);
    for (const DialogEntry& entry : DialogCatalog()) {
        QString missing;
        const DialogOpener open = entry.prepare(sheet, missing);
        if (!open) {
            writer_.skip(entry.name, missing);
            continue;
        }
        settle(options_.settle);
        if (auto image = watcher_->capture(open, options_.bound))
            writer_.save("dialog", entry.name, entry.title + " - window \"" + watcher_->capturedTitle() + "\"", *image);
        else
            writer_.skip(entry.name, "no window opened");
    }
    QDir::setCurrent(previous);
    sheet.pageTabs().widget().setCurrentIndex(0);
}

void Gallery::shootMonitorMode() {
    const QString path = QDir(scratch_.path()).filePath("monitor-environment.json");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(kMonitorEnvironment) < 0 || !file.commit()) {
        writer_.skip("monitor", "cannot write " + path);
        return;
    }
    qputenv("TEMBREL_SIM_ENVIRONMENT", QFile::encodeName(path));
    sim_.reset();

    const auto window = openWindow(0);
    CZarn9100Sheet& sheet = *window->sheet;
    QElapsedTimer waited;
    waited.start();
    while (!sheet.isMonitorMode() && waited.elapsed() < options_.bound.count()) settle(50ms);
    if (!sheet.isMonitorMode()) {
        writer_.skip("monitor", "the window did not switch to monitor mode");
        shootReadmeAlone(sheet);
        return;
    }
    joinNetwork(sheet);
    shootPages(sheet, "monitor-page", "monitor");
}

void Gallery::shootReadmeAlone(CZarn9100Sheet& sheet) {
    CReadmePage page(sheet.pageContext());
    page.setAttribute(Qt::WA_DontShowOnScreen);
    page.resize(sheet.pageTabs().widget().currentWidget() ? sheet.pageTabs().widget().currentWidget()->size() : page.sizeHint());
    page.show();
    settle(0ms);
    writer_.save("readme", "readme", page.caption(), page.grab().toImage());
}

// The statistics page's other layout ("Debug"/"Statistics" = 1), on the same card.
void Gallery::shootDetailedStatistics(CZarn9100Sheet& sheet) {
    CRssiStatistics page(sheet.pageContext());
    page.setAttribute(Qt::WA_DontShowOnScreen);
    page.resize(sheet.pageTabs().widget().currentWidget() ? sheet.pageTabs().widget().currentWidget()->size() : page.sizeHint());
    page.show();
    page.OnAdapterState(sheet.adapter().handle().held() ? 1 : 0);
    page.OnSetActive();
    settle(options_.settle);
    page.onTimer();
    settle(0ms);
    writer_.save("page-layout", "page-statistics-detailed", "Statistics (detailed layout)", page.grab().toImage());
    page.OnKillActive();
}

}  // namespace tembrel::gallery
