// tembrel_gallery [OPTIONS] [OUTPUT_DIR]: pictures of the whole user interface, without a desktop.

#include "Gallery.h"
#include "SimControls.h"

#include "adapter/DriverLoader.h"
#include "app/CZarn9100Sheet.h"
#include "platform/Settings.h"
#include "platform/gui/QtDialogService.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTabWidget>
#include <QFont>
#include <QFontDatabase>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr char kFontFamily[] = "DejaVu Sans";
constexpr int kFontPoints = 9;

// The offscreen platform says of every window that it cannot do what only a desktop does;
// those notes would bury the gallery's own messages.
void QuietPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith("This plugin does not support") || message.startsWith("QStandardPaths: XDG_RUNTIME_DIR"))
        return;
    std::fputs(qPrintable(qFormatLogMessage(type, context, message) + '\n'), stderr);
}

// The captions of the normal page set the gallery draws, one a line.
int ListPages() {
    QTemporaryDir folder;
    if (!folder.isValid()) return 1;
    const std::string settingsPath = QDir(folder.path()).filePath("Tembrel.ini").toStdString();
    auto library = tembrel::MakeNoCardDriverLibrary();
    tembrel::IniSettings settings(settingsPath);
    tembrel::gallery::AskForEveryPage(settings);
    tembrel::QtDialogService dialogs("gallery");
    tembrel::CZarn9100Sheet sheet(tembrel::SheetContext{*library, settings, dialogs, 1,
                                                        QDir(folder.path()).filePath("Data.cfg").toStdString()});
    // The captions of the tab strip: no page needs to be built for them.
    const QTabWidget& tabs = sheet.pageTabs().widget();
    for (int i = 0; i < tabs.count(); ++i) std::printf("%s\n", qPrintable(tabs.tabText(i)));
    return 0;
}

bool ReadMilliseconds(const QCommandLineParser& parser, const QString& name, std::chrono::milliseconds& value) {
    if (!parser.isSet(name)) return true;
    bool ok = false;
    const int number = parser.value(name).toInt(&ok);
    if (!ok || number < 0 || number > 600000) {
        std::fprintf(stderr, "tembrel_gallery: --%s takes milliseconds from 0 to 600000\n", qPrintable(name));
        return false;
    }
    value = std::chrono::milliseconds(number);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // No desktop needed; and the simulated card needs no control socket here.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("TEMBREL_SIM_SOCKET")) qputenv("TEMBREL_SIM_SOCKET", "none");
    // The card's own address, not the host's: pictures do not differ from machine to machine.
    if (!qEnvironmentVariableIsSet("TEMBREL_SIM_HOST_INTERFACE")) qputenv("TEMBREL_SIM_HOST_INTERFACE", "none");
    qInstallMessageHandler(QuietPlatformNotes);
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription("Writes a PNG of every page, the tray menu and the dialogs of the utility.");
    parser.addHelpOption();
    parser.addPositionalArgument("output", "Folder for the pictures (default build/gallery).", "[OUTPUT_DIR]");
    parser.addOption({"driver", "The simulated card library (default: libTembrel.so beside this program).", "path"});
    parser.addOption({"join", "Network the card joins before the pictures (default Orvix-Open-G; \"\" = none).", "ssid"});
    parser.addOption({"settle-ms", "Time after each page change before its picture (default 400).", "ms"});
    parser.addOption({"warm-up-ms", "Time after connecting before the first picture (default 3000).", "ms"});
    parser.addOption({"wait-ms", "Longest wait for the card or a dialog (default 15000).", "ms"});
    parser.addOption({"list-pages", "Print the captions of the normal page set and end."});
    parser.process(application);

    if (parser.isSet("list-pages")) return ListPages();

    tembrel::gallery::GalleryOptions options;
    if (!parser.positionalArguments().isEmpty()) options.outputDir = parser.positionalArguments().first();
    options.driverPath = parser.isSet("driver")
                             ? parser.value("driver").toStdString()
                             : QDir(QCoreApplication::applicationDirPath()).filePath("libTembrel.so").toStdString();
    if (parser.isSet("join")) options.joinSsid = parser.value("join");
    if (!ReadMilliseconds(parser, "settle-ms", options.settle) || !ReadMilliseconds(parser, "wait-ms", options.bound) ||
        !ReadMilliseconds(parser, "warm-up-ms", options.warmUp))
        return 2;

    if (QFontDatabase::families().contains(kFontFamily))
        QApplication::setFont(QFont(kFontFamily, kFontPoints));
    else
        std::fprintf(stderr, "tembrel_gallery: font \"%s\" not found; pictures use the default font\n", kFontFamily);

    tembrel::DriverLoadResult loaded = tembrel::LoadDriverLibrary(options.driverPath);
    if (!loaded.loaded) {
        std::fprintf(stderr, "tembrel_gallery: %s\n", loaded.error.c_str());
        return 2;
    }
    const tembrel::gallery::SimControls sim(options.driverPath);
    tembrel::gallery::Gallery gallery(options, *loaded.library, sim);
    return gallery.run();
}
