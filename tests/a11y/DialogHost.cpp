// Shows, side by side and without a modal loop, the dialogs that the accessibility walk cannot
// open from the program without choosing in combo boxes: the WEP key dialog and the four 802.1x
// credential dialogs (with a personal certificate to choose). Ends on SIGTERM.

#include "pages/profiles/CEapTlsDlg.h"
#include "pages/profiles/CLeapDlg.h"
#include "pages/profiles/CPeapDlg.h"
#include "pages/profiles/CTtlsDlg.h"
#include "pages/profiles/CWepKeyDlg.h"
#include "platform/SignalWatcher.h"
#include "tests/support/FakeCertificateStore.h"
#include "tests/support/MemorySettings.h"
#include "tests/support/ScriptedDialogService.h"
#include "ui/Accessibility.h"

#include <QApplication>

#include <memory>
#include <vector>

int main(int argc, char** argv) {
    using namespace tembrel;
    QApplication app(argc, argv);
    ui::installAccessibility();
    SignalWatcher watcher;
    watcher.watch();
    QObject::connect(&watcher, &SignalWatcher::signalReceived, &app, &QApplication::quit);

    MemorySettings settings;
    ScriptedDialogService dialogs;
    Certificate personal;
    personal.issuerName = "Screen Reader CA";
    personal.subjectName = "Screen Reader User";
    personal.sha1.fill(0x5A);
    FakeCertificateStore store({personal});
    WEP_KEY_SET keys{};
    // Each dialog edits its own values; PEAP and TTLS are opened for their WPA protocols.
    std::vector<Credentials> values(4);
    values[1].protocol = 6;
    values[2].protocol = 6;
    values[3].protocol = 6;

    std::vector<std::unique_ptr<QDialog>> shown;
    shown.push_back(std::make_unique<CWepKeyDlg>(keys, settings, dialogs));
    shown.push_back(std::make_unique<CLeapDlg>(values[0], dialogs));
    shown.push_back(std::make_unique<CPeapDlg>(values[1], dialogs));
    shown.push_back(std::make_unique<CTtlsDlg>(values[2], dialogs));
    shown.push_back(std::make_unique<CEapTlsDlg>(values[3], store, dialogs));
    for (auto& dialog : shown) {
        dialog->show();
    }
    return app.exec();
}
