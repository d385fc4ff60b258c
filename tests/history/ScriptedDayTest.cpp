// A day on the simulated card with the program as a process: a refused join (wrong passphrase),
// a join, a drop as the signal fades, a rejoin, a card pulled out and put back; then
// `Tembrel --report` writes the page. The day runs once; the tests read its journal and parse
// its page, and a real browser draws it.

#include "history/JournalReader.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileStore.h"
#include "profiles/ProfileText.h"
#include "tests/history/XmlPage.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

namespace tembrel {
namespace {

using testing::ParseXmlPage;

QString BinDir() { return QString::fromLocal8Bit(qgetenv("TEMBREL_BIN_DIR")); }
QString Program() { return BinDir() + "/Tembrel"; }
QString SimulatedCard() { return BinDir() + "/libTembrel.so"; }

constexpr char kWrongPassphrase[] = "not the home passphrase";
constexpr char kRightPassphrase[] = "orvix-passphrase";

ProfilePtr PskProfile(const char* name, const char* ssid, uint32_t authMode, uint32_t cipher, const char* passphrase) {
    auto p = NewEmptyProfile();
    SetProfileName(*p, name);
    SetProfileSsid(*p, ssid);
    p->networkType = 1;
    p->wirelessMode = 255;
    p->authMode = authMode;
    p->encryption = cipher;
    SetText(p->passphrase, passphrase);
    p->passphraseLength = static_cast<uint32_t>(std::strlen(passphrase));
    p->keepAdapterSettings = 1;
    p->inPreferList = 1;
    return p;
}

bool Kind(const nlohmann::json& e, const char* k) { return e["k"] == k; }

// The day, run once for all tests of this file.
class Day {
public:
    Day() { run(); }

    QString page() const { return data_.path() + "/day.html"; }
    const std::string& history() const { return history_; }
    QString folder() const { return data_.path(); }
    std::string failure;     // why the day did not run to its end; "" when it did
    std::string skipReason;  // why it could not run here
    QByteArray reportOutput;

    std::size_t count(const std::function<bool(const nlohmann::json&)>& match) const {
        std::size_t n = 0;
        for (const auto& e : ReadJournal(history_).entries) n += match(e) ? 1 : 0;
        return n;
    }

private:
    int control(const QStringList& args) {
        QProcess ctl;
        ctl.setProcessEnvironment(env_);
        ctl.start(BinDir() + "/tembrelctl", args);
        if (!ctl.waitForFinished(10000)) return -1;
        return ctl.exitCode();
    }

    // Polls the journal (and drains the program's standard error) until `condition` holds.
    bool waitFor(QProcess& program, const std::function<bool()>& condition) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > until || program.state() != QProcess::Running) return condition();
            program.waitForFinished(100);
            stderr_ += program.readAllStandardError();
        }
        return true;
    }

    bool step(bool ok, const char* what) {
        if (!ok && failure.empty()) failure = std::string(what) + "\n" + stderr_.toStdString();
        return ok;
    }

    void run();

    QTemporaryDir runtime_;
    QTemporaryDir data_;
    QProcessEnvironment env_;
    std::string history_;
    QByteArray stderr_;
};

void Day::run() {
    if (!QFile::exists(Program()) || !QFile::exists(SimulatedCard())) {
        skipReason = "the program or libTembrel.so is not built";
        return;
    }
    if (!step(runtime_.isValid() && data_.isValid(), "no temporary folders")) return;
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("XDG_RUNTIME_DIR", runtime_.path());
    env_.insert("TEMBREL_SIM_SOCKET", runtime_.path() + "/sim.sock");
    env_.insert("QT_QPA_PLATFORM", "offscreen");
    env_.remove("TEMBREL_LIBRARY");
    history_ = (data_.path() + "/history").toStdString();
    {
        ProfileList profiles;
        profiles.Append(NewDefaultProfile());
        profiles.Insert(0, PskProfile("Home", "Home-WPA", 2, 2, kRightPassphrase));
        profiles.Insert(0, PskProfile("Home 2", "Home-WPA2", 9, 3, kWrongPassphrase));
        if (!step(SaveProfiles((data_.path() + "/Data.cfg").toStdString(), profiles).ok(), "cannot write Data.cfg")) return;
        QFile ini(data_.path() + "/Tembrel.ini");
        if (!step(ini.open(QIODevice::WriteOnly), "cannot write Tembrel.ini")) return;
        ini.write("[Advanced]\nAutoLink=0\n[History]\nSampleSeconds=1\n");
    }
    QProcess program;
    program.setProcessEnvironment(env_);
    program.start(Program(), {"--driver", SimulatedCard(), "--config-dir", data_.path()});
    if (!step(program.waitForStarted(10000), "the program did not start")) return;
    const auto linkUps = [&] { return count([](const auto& e) { return Kind(e, "up"); }); };
    const auto has = [&](const std::function<bool(const nlohmann::json&)>& match) { return [&, match] { return count(match) > 0; }; };

    // The supervisor tries "Home 2" first (refused: wrong passphrase), then joins "Home".
    if (!step(waitFor(program, [&] { return linkUps() >= 1; }), "no first link")) return;
    // The signal fades below -80 dBm, is sampled there, then the network is gone.
    if (!step(control({"signal", "Home-WPA", "-86"}) == 0, "tembrelctl signal")) return;
    if (!step(waitFor(program, has([](const auto& e) { return Kind(e, "sample") && e["dbm"] <= -82; })), "no weak sample")) return;
    if (!step(control({"signal", "Home-WPA", "-110"}) == 0, "tembrelctl signal")) return;
    if (!step(waitFor(program, has([](const auto& e) { return Kind(e, "lost") && e["event"] == "lost"; })), "no drop")) return;
    // Back in range: the supervisor joins again.
    if (!step(control({"signal", "Home-WPA", "-55"}) == 0, "tembrelctl signal")) return;
    if (!step(waitFor(program, [&] { return linkUps() >= 2; }), "no second link")) return;
    // The card is pulled out while connected and put back: a third link.
    if (!step(control({"card", "out"}) == 0, "tembrelctl card out")) return;
    if (!step(waitFor(program, has([](const auto& e) { return Kind(e, "card") && e["present"] == false; })), "no card out")) return;
    if (!step(control({"card", "in"}) == 0, "tembrelctl card in")) return;
    if (!step(waitFor(program, [&] { return linkUps() >= 3; }), "no third link")) return;

    program.terminate();
    if (!step(program.waitForFinished(15000) && program.exitCode() == 0, "the program did not end cleanly")) return;

    // The report, as the desktop action writes it (without --open).
    QProcess report;
    report.setProcessEnvironment(env_);
    report.start(Program(), {"--report", page(), "--since", "1d", "--config-dir", data_.path()});
    if (!step(report.waitForFinished(30000) && report.exitCode() == 0, "--report failed")) return;
    reportOutput = report.readAllStandardOutput().trimmed();
}

class ScriptedDay : public ::testing::Test {
protected:
    static void SetUpTestSuite() { day_ = new Day; }
    static void TearDownTestSuite() {
        delete day_;
        day_ = nullptr;
    }
    void SetUp() override {
        if (!day_->skipReason.empty()) GTEST_SKIP() << day_->skipReason;
        ASSERT_EQ(day_->failure, "");
    }
    static Day* day_;
};
Day* ScriptedDay::day_ = nullptr;

TEST_F(ScriptedDay, TheJournalHoldsNoSecretAndIsTheUsersAlone) {
    EXPECT_GE(day_->count([](const auto& e) { return Kind(e, "result") && e["code"] == 2 && e["ssid"] == "Home-WPA2"; }), 1u);
    EXPECT_EQ(day_->count([](const auto& e) { return Kind(e, "end"); }), 1u);
    for (const auto& file : std::filesystem::directory_iterator(day_->history())) {
        std::ifstream in(file.path());
        std::stringstream text;
        text << in.rdbuf();
        for (const char* secret : {kWrongPassphrase, kRightPassphrase})
            EXPECT_EQ(text.str().find(secret), std::string::npos) << secret << " in " << file.path();
        struct stat st {};
        ASSERT_EQ(::stat(file.path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << file.path();
    }
}

TEST_F(ScriptedDay, TheReportSaysWhatHappened) {
    EXPECT_EQ(day_->reportOutput, QDir(day_->page()).absolutePath().toUtf8());
    QFile file(day_->page());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto parsed = ParseXmlPage(file.readAll().toStdString());
    ASSERT_EQ(parsed.error, "");
    const std::string summary = parsed.byId("summary")->text;
    EXPECT_NE(summary.find("; 1 drop, 1 of them after the signal fell below -80 dBm;"), std::string::npos) << summary;
    EXPECT_NE(summary.find("passphrase does not match the network for Home-WPA2"), std::string::npos) << summary;
    std::map<std::string, int> marks;
    for (const auto* g : parsed.all("g", "mark", "timeline"))
        marks[g->attributes.at("data-kind")] += std::stoi(g->attributes.at("data-count"));
    EXPECT_EQ(marks["drop"], 1);
    EXPECT_GE(marks["refusal"], 1);
    EXPECT_EQ(marks["join"], static_cast<int>(day_->count([](const auto& e) { return Kind(e, "result") && e["code"] == 0; })));
    EXPECT_EQ(marks["card"], 3);  // in at the start, out, in
    // Three sessions, newest first: ended by the program's end, by the card, by the drop.
    std::vector<std::string> ends;
    for (const auto* tr : parsed.all("tr", "", "sessions"))
        if (tr->hasClass("drop") || tr->hasClass("session")) ends.push_back(tr->text);
    ASSERT_EQ(ends.size(), 3u);
    EXPECT_NE(ends[0].find("program ended"), std::string::npos) << ends[0];
    EXPECT_NE(ends[1].find("card pulled out"), std::string::npos) << ends[1];
    EXPECT_NE(ends[2].find("signal lost"), std::string::npos) << ends[2];
    EXPECT_NE(parsed.byId("decisions")->text.find("joined Home because Home 2 refused the security settings"), std::string::npos)
        << parsed.byId("decisions")->text;
    EXPECT_FALSE(parsed.all("g", "network", "channels-24").empty());
}

// The desktop entry's "Wi-Fi Report" action, as the desktop runs it (with this day's data
// folder): the page is written to the history folder and handed to xdg-open, here a stand-in in
// the test's folder that notes what it was given.
TEST_F(ScriptedDay, TheDesktopActionWritesAndOpensTheReport) {
    QFile entry(TEMBREL_DESKTOP_ENTRY);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    const qsizetype action = text.indexOf("[Desktop Action wifi-report]");
    ASSERT_GE(action, 0);
    const QString exec = text.mid(action).section("\nExec=", 1, 1).section('\n', 0, 0);
    QStringList args = exec.split(' ', Qt::SkipEmptyParts);
    ASSERT_EQ(args.value(0), "Tembrel") << exec.toStdString();
    args.removeFirst();
    args << "--config-dir" << day_->folder();

    const QString bin = day_->folder() + "/bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    QFile opener(bin + "/xdg-open");
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/opened\"\n");
    opener.close();
    opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", bin + ":" + env.value("PATH"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(Program(), args);
    ASSERT_TRUE(program.waitForFinished(30000));
    ASSERT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    const QString written = day_->folder() + "/history/wifi-report.html";
    EXPECT_EQ(program.readAllStandardOutput().trimmed(), written.toUtf8());
    QFile opened(bin + "/opened");
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly)) << "xdg-open was not run";
    EXPECT_EQ(opened.readAll(), written.toUtf8());
    QFile page(written);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_EQ(ParseXmlPage(page.readAll().toStdString()).error, "");
    EXPECT_EQ(page.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
}

// Debian's chromium draws the page headless; the picture must hold more than a blank page.
// TEMBREL_REPORT_PICTURE_DIR (a folder of the caller's) receives the page and the picture.
TEST_F(ScriptedDay, ARealBrowserDrawsThePage) {
    const QString chromium = QStandardPaths::findExecutable("chromium");
    if (chromium.isEmpty()) GTEST_SKIP() << "chromium is not installed (scripts/install-deps installs it)";
    const QString picture = day_->folder() + "/day.png";
    QProcess browser;
    browser.start(chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                             "--disable-extensions", "--disable-sync", "--no-first-run", "--hide-scrollbars",
                             "--user-data-dir=" + day_->folder() + "/chromium", "--window-size=1100,1800",
                             "--screenshot=" + picture, "file://" + day_->page()});
    ASSERT_TRUE(browser.waitForFinished(120000)) << "chromium did not finish";
    ASSERT_TRUE(QFile::exists(picture)) << browser.readAllStandardError().toStdString();
    // A blank 1100 x 1800 page compresses to a few kilobytes; the report's text and charts do not.
    EXPECT_GT(QFileInfo(picture).size(), 60000) << "the picture looks empty";
    const QString out = QString::fromLocal8Bit(qgetenv("TEMBREL_REPORT_PICTURE_DIR"));
    if (!out.isEmpty()) {
        QFile::remove(out + "/wifi-report.png");
        QFile::remove(out + "/wifi-report.html");
        QFile::copy(picture, out + "/wifi-report.png");
        QFile::copy(day_->page(), out + "/wifi-report.html");
    }
}

}  // namespace
}  // namespace tembrel
