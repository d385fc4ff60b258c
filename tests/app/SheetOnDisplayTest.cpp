// The program's window on a private X server (Xvfb) with no window manager and no notification
// area, as a stock GNOME desktop without the tray extension leaves it: what a window manager
// does to the window is done by tools/x11_window, the card is the simulated one.

#include "app/CZarn9100App.h"
#include "app/CZarn9100Sheet.h"
#include "pages/monitoring/CMainPage.h"
#include "pages/monitoring/MainPageIds.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileStore.h"
#include "profiles/ProfileText.h"
#include "tests/support/FakeDeviceMonitor.h"
#include "tests/support/ScriptedDialogService.h"
#include "tests/support/SkipExitCode.h"
#include "tests/support/WaitUntil.h"
#include "ui/ControlId.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>

#include <dlfcn.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace tembrel::testing {
namespace {

std::string gNoDisplay;  // why no private X server runs (the tests are skipped then)

QString BinDir() { return qEnvironmentVariable("TEMBREL_BIN_DIR"); }

QStringList X11Window(const QStringList& args) {
    QProcess tool;
    tool.start(BinDir() + "/x11_window", args);
    tool.waitForFinished(10000);
    return QString(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QString LabelText(QWidget& root, int id) {
    const QLabel* label = ui::ControlById<QLabel>(root, id);
    return label ? label->text() : QString();
}

bool PumpUntil(const std::function<bool()>& done) { return testing_support::WaitUntil(done, 30000); }

// OK on a desktop without a notification area minimises the window; brought back from the task
// bar, Network Status runs again and follows the card pulled and put back.
TEST(SheetOnDisplay, BackFromTheTaskBarTheStatusIsLiveAndCtrlQEnds) {
    if (!gNoDisplay.empty()) GTEST_SKIP() << gNoDisplay;
    const QString simulated = BinDir() + "/libTembrel.so";
    if (!QFile::exists(simulated)) GTEST_SKIP() << "libTembrel.so not built";
    QTemporaryDir runtime, data;
    ASSERT_TRUE(runtime.isValid() && data.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));  // the single-instance socket
    {
        ProfileList prepared;
        auto home = NewEmptyProfile();
        SetProfileName(*home, "Home");
        SetProfileSsid(*home, "Home-WPA2");
        home->networkType = ZARN9100_NETWORK_INFRASTRUCTURE;
        home->wirelessMode = kWirelessModeAny;
        home->authMode = 9;    // WPA2-PSK
        home->encryption = 3;  // AES
        SetText(home->passphrase, "correct horse battery");
        home->passphraseLength = 21;
        home->keepAdapterSettings = 1;
        home->inPreferList = 1;
        prepared.Append(home);
        prepared.Append(NewDefaultProfile());
        ASSERT_TRUE(SaveProfiles((data.path() + "/Data.cfg").toStdString(), prepared).ok());
        QFile ini(data.path() + "/Tembrel.ini");
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Advanced]\nAutoLink=0\n");
    }
    CommandLine options;
    options.driverPath = simulated.toStdString();
    options.configDir = data.path().toStdString();
    CZarn9100App::Services services;
    services.dialogs = std::make_unique<ScriptedDialogService>();
    services.deviceMonitor = std::make_unique<FakeDeviceMonitor>();
    CZarn9100App app(options, std::move(services));
    ASSERT_EQ(app.Start(), CZarn9100App::StartResult::Run);
    CZarn9100Sheet& sheet = *app.sheet();
    QWidget& status = sheet.pageTabs().mainPage();
    const auto live = [&] {
        return LabelText(status, monitoring::ids::kStatus) == "Connected" &&
               LabelText(status, monitoring::ids::kSsid) == "Home-WPA2";
    };
    ASSERT_TRUE(PumpUntil(live)) << LabelText(status, monitoring::ids::kStatus).toStdString();
    QCoreApplication::processEvents();
    if (sheet.trayIconShown()) GTEST_SKIP() << "a notification area runs on the private display";
    ASSERT_TRUE(ui::ControlById<QPushButton>(sheet, CZarn9100Sheet::kCmdExit)->isVisible());

    ui::ControlById<QPushButton>(sheet, CZarn9100Sheet::kIdOk)->click();
    ASSERT_TRUE(PumpUntil([&] { return sheet.isMinimized(); }));
    const QStringList iconified = X11Window({"iconify", kWindowTitle});
    ASSERT_EQ(iconified.size(), 1) << "the window was not found on the display";
    ASSERT_TRUE(PumpUntil([&] { return !sheet.windowHandle()->isExposed(); }));
    X11Window({"deiconify", iconified.front()});
    ASSERT_TRUE(PumpUntil([&] { return !sheet.isMinimized() && sheet.windowHandle()->isExposed(); }))
        << "the window did not come back";
    EXPECT_TRUE(PumpUntil([&] { return sheet.pageTabs().mainPage().content().timerActive(); }))
        << "Network Status stays stopped";

    auto control = reinterpret_cast<int (*)(const char*, char*, uint32_t)>(
        dlsym(dlopen(simulated.toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD), "TembrelSimControl"));
    ASSERT_NE(control, nullptr);
    char reply[256];
    ASSERT_EQ(control(R"(["card","out"])", reply, sizeof reply), 0) << reply;
    ASSERT_TRUE(PumpUntil([&] { return LabelText(status, monitoring::ids::kStatus) == "Card Unplugged"; }));
    ASSERT_EQ(control(R"(["card","in"])", reply, sizeof reply), 0) << reply;
    EXPECT_TRUE(PumpUntil(live)) << LabelText(status, monitoring::ids::kStatus).toStdString();
    // The link speed is read by the page's own timer only: it runs.
    EXPECT_TRUE(PumpUntil([&] { return !LabelText(status, monitoring::ids::kLinkSpeed).isEmpty(); }));
    EXPECT_TRUE(sheet.pageTabs().mainPage().content().timerActive());

    // Ctrl+Q ends the program, the profiles saved.
    bool exited = false;
    QObject::connect(&sheet, &CZarn9100Sheet::exited, [&] { exited = true; });
    QFile::remove(data.path() + "/Data.cfg");
    X11Window({"keys", kWindowTitle, "ctrl+q"});
    EXPECT_TRUE(PumpUntil([&] { return exited; }));
    EXPECT_TRUE(QFile::exists(data.path() + "/Data.cfg"));
}

// A private X server for the whole run: its display number comes back through -displayfd.
class PrivateDisplay {
public:
    PrivateDisplay() {
        int fds[2];
        if (pipe(fds) != 0) {
            gNoDisplay = "no pipe for Xvfb";
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            prctl(PR_SET_PDEATHSIG, SIGTERM);  // the server ends with the test, however it ends
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c;
        while (pid_ > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (pid_ < 0 || number.empty()) {
            gNoDisplay = "Xvfb (package xvfb) did not start";
            return;
        }
        setenv("DISPLAY", (":" + number).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    ~PrivateDisplay() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }

private:
    pid_t pid_ = -1;
};

}  // namespace
}  // namespace tembrel::testing

int main(int argc, char** argv) {
    const tembrel::testing::PrivateDisplay display;
    if (!tembrel::testing::gNoDisplay.empty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return tembrel::testing::WithSkipExitCode(RUN_ALL_TESTS());
}
