// The gallery as a process: one picture per page of both page sets, the tray menu, and only
// valid, non-blank images, all listed in its index.

#include "app/CZarn9100Sheet.h"
#include "tests/support/MemorySettings.h"
#include "tests/support/ScriptedDialogService.h"
#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <map>

namespace tembrel::testing {
namespace {

QString BinDir() { return qEnvironmentVariable("TEMBREL_BIN_DIR"); }

struct GalleryRun {
    int exitCode = -1;
    QString output;  // standard output
    QString errors;  // standard error
    std::string all() const { return (output + errors).toStdString(); }
};

// Under the sanitizers the gallery takes a while; the bound only guards against a hang.
GalleryRun RunGallery(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TEMBREL_SIM_SOCKET", "none");
    env.remove("TEMBREL_SIM_ENVIRONMENT");
    process.setProcessEnvironment(env);
    process.start(QDir(BinDir()).filePath("tembrel_gallery"), arguments);
    if (!process.waitForFinished(240000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    GalleryRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// The captions the main window shows, normal and in monitor mode, with the settings keys that
// add every optional page (the gallery draws them all).
struct PageSets {
    QStringList normal;
    QStringList monitor;
};

PageSets ExpectedPageSets() {
    RecordingDriver driver;
    MemorySettings settings;
    for (const SettingKey& key : {settings::kDebugWin, settings::kTestPage, settings::kRegionPage}) settings.set(key, 1);
    ScriptedDialogService dialogs;
    CZarn9100Sheet sheet(SheetContext{driver, settings, dialogs, 1, "/nonexistent/Data.cfg"});
    PageSets sets;
    for (auto* page : sheet.pageTabs().pages()) sets.normal << page->caption();
    sheet.RebuildPages(true);
    for (auto* page : sheet.pageTabs().pages()) sets.monitor << page->caption();
    return sets;
}

struct IndexLine {
    QString kind;
    QString file;
    QString title;
};

std::vector<IndexLine> ReadIndex(const QDir& folder) {
    QFile file(folder.filePath("index.txt"));
    std::vector<IndexLine> lines;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split('\t');
        if (parts.size() == 3) lines.push_back({parts[0], parts[1], parts[2]});
    }
    return lines;
}

std::string Joined(const QStringList& list) { return list.join(" | ").toStdString(); }

// A picture of a window has more than one colour; a blank or black grab has one.
bool HasContent(const QImage& image) {
    if (image.isNull() || image.width() < 16 || image.height() < 16) return false;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first) return true;
    return false;
}

TEST(GalleryTest, WritesOneValidPictureForEveryPageOfBothPageSets) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QDir folder(temp.filePath("pictures"));  // created by the gallery
    const GalleryRun run = RunGallery({folder.path(), "--settle-ms", "20", "--warm-up-ms", "0", "--wait-ms", "60000"});
    ASSERT_EQ(run.exitCode, 0) << run.all();

    const auto index = ReadIndex(folder);
    std::map<QString, QStringList> titles;
    QSet<QString> listed;
    for (const IndexLine& line : index) {
        if (line.kind == "mnemonic-clash") {
            ADD_FAILURE() << "two controls share a mnemonic: " << line.title.toStdString();
        }
        if (line.kind == "skipped" || line.kind == "mnemonic-clash") continue;
        // "Network Status - window \"Orvix ...\"": what the picture shows, then its window's title.
        titles[line.kind] << line.title.section(" - window \"", 0, 0);
        if (line.kind != "tray-menu" && line.kind != "tray-icons" && line.kind != "menu" && line.kind != "readme" &&
            line.kind != "page-layout") {
            EXPECT_TRUE(line.title.contains(" - window \"")) << "no window title: " << line.title.toStdString();
        }
        EXPECT_FALSE(listed.contains(line.file)) << "written twice: " << line.file.toStdString();
        listed << line.file;
        const QImage image(folder.filePath(line.file));
        EXPECT_TRUE(HasContent(image)) << line.file.toStdString();
    }

    const PageSets expected = ExpectedPageSets();
    ASSERT_GE(expected.normal.size(), 7);
    EXPECT_EQ(Joined(titles["page"]), Joined(expected.normal));
    EXPECT_EQ(Joined(titles["monitor-page"]), Joined(expected.monitor));
    EXPECT_TRUE(expected.monitor.contains("Readme"));
    EXPECT_EQ(Joined(titles["page-layout"]), "Statistics (detailed layout)");
    EXPECT_EQ(titles["tray-menu"].size(), 1);
    EXPECT_FALSE(titles["dialog"].isEmpty());
    // A box the program raised by itself would be listed as "message": none is expected.
    EXPECT_TRUE(titles["message"].isEmpty()) << Joined(titles["message"]);
    EXPECT_EQ(Joined(titles["state"]), "Join refused | Join refused, another page | Radio off | Card unplugged");
    EXPECT_EQ(titles["menu"].size(), 1) << "the Profile Manager's context menu";

    // Every picture in the folder is in the index.
    const QStringList pngs = folder.entryList({"*.png"}, QDir::Files);
    EXPECT_EQ(QSet<QString>(pngs.begin(), pngs.end()), listed);
}

TEST(GalleryTest, ListsThePagesOfTheWindow) {
    const GalleryRun run = RunGallery({"--list-pages"});
    ASSERT_EQ(run.exitCode, 0) << run.all();
    const QStringList captions = run.output.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(Joined(captions), Joined(ExpectedPageSets().normal));
}

TEST(GalleryTest, FailsWhenTheFolderCannotBeMade) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    QFile blocker(temp.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const GalleryRun run = RunGallery({temp.filePath("file/pictures"), "--settle-ms", "0"});
    EXPECT_EQ(run.exitCode, 1) << run.all();
    EXPECT_TRUE(run.errors.contains("cannot create")) << run.all();
}

}  // namespace
}  // namespace tembrel::testing

