// The program as a process: command line, start-up against the simulated card and against a
// missing or incomplete library, a second copy, and a clean end on SIGTERM.

#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileStore.h"
#include "profiles/ProfileText.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <thread>

namespace {

QString BinDir() { return QString::fromLocal8Bit(qgetenv("TEMBREL_BIN_DIR")); }
QString Program() { return BinDir() + "/Tembrel"; }
QString SimulatedCard() { return BinDir() + "/libTembrel.so"; }

// Every test gets its own runtime folder (single-instance socket, simulation socket) and
// data folder, so that tests run side by side.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::exists(Program())) << "program not built: " << Program().toStdString();
        ASSERT_TRUE(runtime_.isValid() && data_.isValid());
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("XDG_RUNTIME_DIR", runtime_.path());
        env_.insert("TEMBREL_SIM_SOCKET", runtime_.path() + "/sim.sock");
        env_.insert("QT_QPA_PLATFORM", "offscreen");
        env_.remove("TEMBREL_LIBRARY");
    }

    std::unique_ptr<QProcess> start(QStringList args) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env_);
        p->start(Program(), args);
        EXPECT_TRUE(p->waitForStarted(10000));
        return p;
    }

    QStringList withData(QStringList args) const { return args << "--config-dir" << data_.path(); }

    // Runs the program with `driver` for 1.5 s, ends it with SIGTERM and gives its standard
    // error; a program that ended early, or did not end with status 0, fails the test.
    QString runThenTerminate(const QString& driver) {
        auto p = start(withData({"--driver", driver}));
        EXPECT_FALSE(p->waitForFinished(1500)) << "ended before SIGTERM";
        p->terminate();
        EXPECT_TRUE(p->waitForFinished(15000));
        EXPECT_EQ(p->exitCode(), 0);
        return p->readAllStandardError();
    }

    // Waits until the settings file says the adapter was opened (the region's channel range is
    // written at every open), or the process ended.
    bool waitForSettingsKey(QProcess& p, const QByteArray& needle, int ms = 20000) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < until && p.state() == QProcess::Running) {
            QFile ini(data_.path() + "/Tembrel.ini");
            if (ini.open(QIODevice::ReadOnly) && ini.readAll().contains(needle)) return true;
            p.waitForFinished(50);
        }
        return false;
    }

    QTemporaryDir runtime_;
    QTemporaryDir data_;
    QProcessEnvironment env_;
};

TEST_F(ProgramTest, HelpListsTheOptionsAndUnknownOptionsExitWithTwo) {
    auto help = start({"--help"});
    ASSERT_TRUE(help->waitForFinished(10000));
    EXPECT_EQ(help->exitCode(), 0);
    const QString usage = help->readAllStandardOutput();
    for (const char* option : {"--driver", "--config-dir", "--os-family", "--autostart on|off", "--version", "--help"})
        EXPECT_TRUE(usage.contains(option)) << option;

    struct Row {
        QStringList args;
        const char* message;
    };
    for (const Row& row : {Row{{"--bogus"}, "unknown option \"--bogus\""},
                           Row{{"--os-family", "7"}, "--os-family takes 0, 1, 2 or 3"},
                           Row{{"--driver"}, "--driver needs a value"}}) {
        auto bad = start(row.args);
        ASSERT_TRUE(bad->waitForFinished(10000));
        EXPECT_EQ(bad->exitCode(), 2) << row.args.join(' ').toStdString();
        EXPECT_TRUE(QString(bad->readAllStandardError()).contains(row.message)) << row.message;
    }
}

TEST_F(ProgramTest, RunsAgainstTheSimulatedCardAndEndsCleanlyOnSigterm) {
    if (!QFile::exists(SimulatedCard())) GTEST_SKIP() << "libTembrel.so not built";
    auto p = start(withData({"--driver", SimulatedCard()}));
    ASSERT_TRUE(waitForSettingsKey(*p, "LastChan")) << p->readAllStandardError().toStdString();
    p->terminate();  // SIGTERM
    ASSERT_TRUE(p->waitForFinished(15000));
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    const QString err = p->readAllStandardError();
    EXPECT_EQ(p->exitCode(), 0) << err.toStdString();
    // Only X11 has a system-wide key to take; elsewhere the program says so and goes on.
    EXPECT_TRUE(err.contains("no Alt+F2 hot key on the \"offscreen\" display platform")) << err.toStdString();
}

TEST_F(ProgramTest, VersionAndAutostartNeedNoDisplay) {
    // A platform that does not exist: making the application object would abort the program.
    env_.insert("QT_QPA_PLATFORM", "no-such-platform");
    env_.insert("XDG_CONFIG_HOME", data_.path() + "/xdg");
    auto version = start({"--version"});
    ASSERT_TRUE(version->waitForFinished(10000));
    EXPECT_EQ(version->exitCode(), 0);
    EXPECT_EQ(QString(version->readAllStandardOutput()), QString("Tembrel " TEMBREL_VERSION "\n"));

    const QString entry = data_.path() + "/xdg/autostart/com.orvix.Tembrel.desktop";
    auto on = start(withData({"--autostart", "on"}));
    ASSERT_TRUE(on->waitForFinished(10000));
    EXPECT_EQ(on->exitCode(), 0) << on->readAllStandardError().toStdString();
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = file.readAll();
    EXPECT_TRUE(text.contains("\nExec=" + QFileInfo(Program()).canonicalFilePath() + " --config-dir " + data_.path() + "\n"))
        << text.toStdString();
    file.close();

    auto off = start({"--autostart", "off"});
    ASSERT_TRUE(off->waitForFinished(10000));
    EXPECT_EQ(off->exitCode(), 0);
    EXPECT_FALSE(QFile::exists(entry));

    // An autostart folder that cannot be made is a failure, status 1.
    ASSERT_TRUE(QDir(data_.path()).mkpath("blocked"));
    env_.insert("XDG_CONFIG_HOME", data_.path() + "/blocked");
    QFile blocker(data_.path() + "/blocked/autostart");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto blocked = start({"--autostart", "on"});
    ASSERT_TRUE(blocked->waitForFinished(10000));
    EXPECT_EQ(blocked->exitCode(), 1);
    EXPECT_TRUE(QString(blocked->readAllStandardError()).contains("cannot create"));
}

int RunControl(const QProcessEnvironment& env, const QStringList& args) {
    QProcess ctl;
    ctl.setProcessEnvironment(env);
    ctl.start(BinDir() + "/tembrelctl", args);
    if (!ctl.waitForFinished(10000)) return -1;
    return ctl.exitCode();
}

TEST_F(ProgramTest, FollowsTheCardOutAndBackIn) {
    if (!QFile::exists(SimulatedCard())) GTEST_SKIP() << "libTembrel.so not built";
    auto p = start(withData({"--driver", SimulatedCard()}));
    ASSERT_TRUE(waitForSettingsKey(*p, "LastChan")) << p->readAllStandardError().toStdString();

    // Every open writes the region's channel range: a new settings file proves a new open,
    // which happens only after the removal was handled.
    ASSERT_TRUE(QFile::remove(data_.path() + "/Tembrel.ini"));
    ASSERT_EQ(RunControl(env_, {"card", "out"}), 0);
    ASSERT_EQ(RunControl(env_, {"card", "in"}), 0);
    EXPECT_TRUE(waitForSettingsKey(*p, "LastChan")) << p->readAllStandardError().toStdString();

    p->terminate();
    ASSERT_TRUE(p->waitForFinished(15000));
    EXPECT_EQ(p->exitCode(), 0);
}

TEST_F(ProgramTest, ConnectsAPreparedProfileAndSavesTheStoreOnSigterm) {
    if (!QFile::exists(SimulatedCard())) GTEST_SKIP() << "libTembrel.so not built";
    const std::string store = (data_.path() + "/Data.cfg").toStdString();
    {
        tembrel::ProfileList prepared;
        prepared.Append(tembrel::NewDefaultProfile());
        auto home = tembrel::NewEmptyProfile();
        tembrel::SetProfileName(*home, "Home");
        tembrel::SetProfileSsid(*home, "Home-WPA");
        home->networkType = 1;
        home->wirelessMode = 255;
        home->authMode = 2;    // WPA-PSK
        home->encryption = 2;  // TKIP
        tembrel::SetText(home->passphrase, "orvix-passphrase");
        home->passphraseLength = 16;
        home->keepAdapterSettings = 1;
        home->inPreferList = 1;
        prepared.Insert(0, home);
        ASSERT_TRUE(tembrel::SaveProfiles(store, prepared).ok());
    }
    QFile ini(data_.path() + "/Tembrel.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Advanced]\nAutoLink=0\n");
    ini.close();

    auto p = start(withData({"--driver", SimulatedCard()}));
    // The simulation reports the network the card is associated with.
    bool associated = false;
    for (int i = 0; i < 300 && !associated && p->state() == QProcess::Running; ++i) {
        QProcess ctl;
        ctl.setProcessEnvironment(env_);
        ctl.start(BinDir() + "/tembrelctl", {"status"});
        ctl.waitForFinished(5000);
        associated = ctl.readAllStandardOutput().contains("link: associated with \"Home-WPA\"");
        if (!associated) p->waitForFinished(100);
    }
    EXPECT_TRUE(associated) << p->readAllStandardError().toStdString();

    QFile::remove(QString::fromStdString(store));
    p->terminate();
    ASSERT_TRUE(p->waitForFinished(15000));
    EXPECT_EQ(p->exitCode(), 0);
    tembrel::ProfileList saved;
    ASSERT_TRUE(tembrel::ReadProfileFile(store, saved).ok()) << "the store was not written at the end";
    ASSERT_EQ(saved.Count(), 2u);
    EXPECT_EQ(tembrel::ProfileName(*saved.At(0)), "Home");
}

TEST_F(ProgramTest, MissingLibraryRunsWithoutCardAndSaysWhyOnce) {
    // Stays up as with no card, then ends on SIGTERM.
    const QString err = runThenTerminate("/nonexistent/libTembrel.so");
    int lines = 0;
    for (const QString& line : err.split('\n'))
        if (line.contains("/nonexistent/libTembrel.so")) ++lines;
    EXPECT_EQ(lines, 1) << err.toStdString();
}

TEST_F(ProgramTest, LibraryLackingAnOperationIsNamed) {
    EXPECT_TRUE(runThenTerminate(PARTIAL_LIBRARY_PATH).contains("lacks the operation Zarn9100"));
}

TEST_F(ProgramTest, SecondCopyRestoresTheFirstAndEnds) {
    auto first = start(withData({"--driver", "/nonexistent/libTembrel.so"}));
    ASSERT_FALSE(first->waitForFinished(1500));
    auto second = start(withData({"--driver", "/nonexistent/libTembrel.so"}));
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);
    first->terminate();
    ASSERT_TRUE(first->waitForFinished(15000));
    EXPECT_EQ(first->exitCode(), 0);
}

// Two copies with their own runtime folders (the single-instance guard cannot see each other) on
// one data folder: the second says so and ends, and the first keeps the store to itself.
TEST_F(ProgramTest, ASecondCopyOnTheSameStoreEndsThoughItsRuntimeFolderDiffers) {
    const auto readUntil = [](QProcess& p, const QByteArray& needle) {
        QByteArray err;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!err.contains(needle) && p.state() == QProcess::Running && std::chrono::steady_clock::now() < until) {
            p.waitForReadyRead(100);
            err += p.readAllStandardError();
        }
        return err + p.readAllStandardError();
    };
    auto first = start(withData({"--driver", "/nonexistent/libTembrel.so"}));
    ASSERT_TRUE(readUntil(*first, "running without a card").contains("running without a card"));

    QTemporaryDir otherRuntime;
    ASSERT_TRUE(otherRuntime.isValid());
    env_.insert("XDG_RUNTIME_DIR", otherRuntime.path());
    auto second = start(withData({"--driver", "/nonexistent/libTembrel.so"}));
    const QByteArray said = readUntil(*second, "another copy of the program uses the profiles");
    EXPECT_TRUE(said.contains("another copy of the program uses the profiles")) << said.toStdString();
    EXPECT_FALSE(said.contains("running without a card")) << "the second copy went on";
    second->terminate();  // its box, unseen here, closes with the session
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitCode(), 1);

    EXPECT_EQ(first->state(), QProcess::Running);
    first->terminate();
    ASSERT_TRUE(first->waitForFinished(15000));
    EXPECT_EQ(first->exitCode(), 0);
}

// A store that cannot be read whole (here: cut inside its third record) survives a start and a
// SIGTERM as Data.cfg.bak, and standard error says so; the new Data.cfg holds what could be read.
TEST_F(ProgramTest, DamagedStoreIsKeptAsBakWhenTheProgramSaves) {
    const std::string store = (data_.path() + "/Data.cfg").toStdString();
    {
        tembrel::ProfileList prepared;
        for (const char* name : {"One", "Two", "Three"}) {
            auto p = tembrel::NewEmptyProfile();
            tembrel::SetProfileName(*p, name);
            p->networkType = 1;
            prepared.Append(p);
        }
        ASSERT_TRUE(tembrel::SaveProfiles(store, prepared).ok());
    }
    QFile file(QString::fromStdString(store));
    ASSERT_TRUE(file.resize(2 * 796 + 100));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    auto p = start(withData({"--driver", "/nonexistent/libTembrel.so"}));
    // The window has loaded the store once it names the damage on standard error.
    QByteArray err;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!err.contains("ends inside the record") && p->state() == QProcess::Running &&
           std::chrono::steady_clock::now() < until) {
        p->waitForReadyRead(100);
        err += p->readAllStandardError();
    }
    ASSERT_TRUE(err.contains("ends inside the record")) << err.toStdString();
    p->terminate();
    ASSERT_TRUE(p->waitForFinished(15000));
    EXPECT_EQ(p->exitCode(), 0);
    err += p->readAllStandardError();
    EXPECT_TRUE(err.contains("the previous file is kept as")) << err.toStdString();

    QFile kept(data_.path() + "/Data.cfg.bak");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), before);
    tembrel::ProfileList saved;
    ASSERT_TRUE(tembrel::ReadProfileFile(store, saved).ok());
    EXPECT_EQ(saved.Count(), 3u);  // One, Two and the default
}

// SIGTERM ends the session and then exits: one save, not two (a second save would take the first
// one's output for the store's copy). A read-only store makes each save say so on standard error.
TEST_F(ProgramTest, SigtermSavesTheStoreOnce) {
    const std::string store = (data_.path() + "/Data.cfg").toStdString();
    {
        tembrel::ProfileList prepared;
        prepared.Append(tembrel::NewDefaultProfile());
        ASSERT_TRUE(tembrel::SaveProfiles(store, prepared).ok());
    }
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(store), QFileDevice::ReadOwner));
    const QString err = runThenTerminate("/nonexistent/libTembrel.so");
    EXPECT_EQ(err.count("cannot save"), 1) << err.toStdString();
}

// The program on a private X server (Xvfb), typed into as a user would (tools/x11_window sends
// the keys), so that each modal dialog can be opened in the real program.
class ProgramOnDisplayTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) GTEST_SKIP() << "Xvfb (package xvfb) not found";
        // -displayfd 1: the server picks a free display and writes its number to standard output.
        server_.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        QByteArray display;
        for (int i = 0; i < 100 && !display.contains('\n') && server_.state() != QProcess::NotRunning; ++i) {
            server_.waitForReadyRead(100);
            display += server_.readAllStandardOutput();
        }
        if (!display.contains('\n')) GTEST_SKIP() << "Xvfb did not start";
        env_.insert("DISPLAY", ":" + QString::fromLatin1(display.trimmed()));
        env_.insert("QT_QPA_PLATFORM", "xcb");
    }
    void TearDown() override {
        server_.terminate();
        server_.waitForFinished(5000);
    }

    QStringList x11Window(const QStringList& args) const {
        QProcess tool;
        tool.setProcessEnvironment(env_);
        tool.start(BinDir() + "/x11_window", args);
        tool.waitForFinished(10000);
        return QString(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
    // Until `count` viewable windows have this title.
    bool waitForWindows(const QString& title, int count, QProcess& program) {
        for (int i = 0; i < 200 && program.state() == QProcess::Running; ++i) {
            if (x11Window({"find", title}).size() >= count) return true;
            program.waitForFinished(100);
        }
        return false;
    }

    QProcess server_;
};

// SIGTERM with a modal dialog open: every modal loop ends, the profiles are saved and the
// program ends (how quickly: bench/exit_budget.sh).
TEST_F(ProgramOnDisplayTest, SigtermEndsTheProgramAndSavesWithAnyDialogOpen) {
    if (!QFile::exists(SimulatedCard())) GTEST_SKIP() << "libTembrel.so not built";
    const QString mainWindow = "Orvix LX-7700 Utility";
    const QStringList toAdmin{"ctrl+Tab", "ctrl+Tab", "ctrl+Tab", "ctrl+Tab", "ctrl+Tab"};
    const QStringList pin{"1", "2", "3", "4", "5", "6", "7", "8"};
    struct Typing {
        QString window;
        QStringList keys;
    };
    struct Row {
        const char* name;
        bool autoLinkInRange;  // an Auto Link access point alone in range: its dialog opens at start
        std::vector<Typing> typing;
        QString dialog;
        int windowsTitledSo;  // the dialog's title counted over all windows, the dialog included
    };
    const Row rows[] = {
        {"profile wizard", false, {{mainWindow, {"ctrl+Tab", "alt+c"}}}, "Create New Profile", 1},
        {"import file dialog", false, {{mainWindow, toAdmin + QStringList{"alt+i"}}}, "Open", 1},
        {"message box over the export file dialog", false,
         {{mainWindow, toAdmin + QStringList{"alt+e"}}, {"Save As", {"o", "l", "d", "Return"}}}, "Save As", 2},
        {"Auto Link dialog", true, {}, "Auto Link", 1},
        {"countdown box over the Auto Link dialog", true,
         {{"Auto Link", pin + QStringList{"Tab"} + pin + QStringList{"Return"}}}, " 4 seconds remaining...", 1},
    };
    const QString environment = runtime_.filePath("autolink.json");
    QFile json(environment);
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(R"({"networks": [{"ssid": "Setup", "bssid": "00:3A:7E:00:00:01", "channel": 2, "signal": -50,
                                 "autoLink": {"state": 0, "tag": 33, "pin": "12345678"}}]})");
    json.close();

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir data;
        ASSERT_TRUE(data.isValid());
        QFile existing(data.filePath("old.cfg"));  // for the export to ask whether to replace it
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.close();
        if (row.autoLinkInRange)
            env_.insert("TEMBREL_SIM_ENVIRONMENT", environment);
        else
            env_.remove("TEMBREL_SIM_ENVIRONMENT");
        QProcess p;
        p.setProcessEnvironment(env_);
        p.setWorkingDirectory(data.path());  // where the file dialogs open
        p.start(Program(), {"--driver", SimulatedCard(), "--config-dir", data.path()});
        ASSERT_TRUE(p.waitForStarted(10000));
        for (const Typing& typing : row.typing) {
            ASSERT_TRUE(waitForWindows(typing.window, 1, p)) << typing.window.toStdString();
            x11Window(QStringList{"keys", typing.window} + typing.keys);
        }
        const bool opened = waitForWindows(row.dialog, row.windowsTitledSo, p);
        EXPECT_TRUE(opened) << row.dialog.toStdString() << " did not open; " << p.readAllStandardError().toStdString();
        QFile::remove(data.filePath("Data.cfg"));
        p.terminate();
        ASSERT_TRUE(p.waitForFinished(10000)) << "the program did not end";
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
        if (!opened) continue;
        tembrel::ProfileList saved;
        EXPECT_TRUE(tembrel::ReadProfileFile(data.filePath("Data.cfg").toStdString(), saved).ok())
            << "Data.cfg was not written";
    }
}

}  // namespace
