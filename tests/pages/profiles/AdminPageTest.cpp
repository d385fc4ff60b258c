// The Admin page inside a main window on the recording driver, with scripted file dialogs.
#include "pages/profiles/CAdminTool.h"
#include "ui/ControlId.h"

#include "profiles/ProfileStore.h"
#include "tests/profiles/ProfileTestSupport.h"
#include "tests/app/SheetFixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <filesystem>

namespace tembrel::testing {
namespace {

using test::Bytes;
using test::Named;
using test::Names;
using Kind = ScriptedDialogService::Kind;

class AdminPageTest : public SheetTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        dataCfg = path("Data.cfg");
        sheet = std::make_unique<CZarn9100Sheet>(
            SheetContext{driver, settings, dialogs, 1, dataCfg});
        for (CZarn9100Page* page : sheet->pageTabs().pages())
            if (auto* admin = qobject_cast<CAdminTool*>(page)) this->admin = admin;
        ASSERT_NE(admin, nullptr);
        // Loading a missing Data.cfg leaves the default profile alone.
        ASSERT_EQ(Names(list()), std::vector<std::string>{"<Default>"});
    }

    std::string path(const QString& name) const { return QFile::encodeName(folder.filePath(name)).toStdString(); }
    ProfileList& list() { return sheet->pageContext().profiles(); }

    QPushButton* button(int id) const {
        return ui::ControlById<QPushButton>(*admin, id);
    }
    void press(int id) {
        QPushButton* b = button(id);
        ASSERT_NE(b, nullptr) << id;
        b->click();
    }

    // The message boxes shown so far.
    std::vector<ScriptedDialogService::Shown> messages() const {
        std::vector<ScriptedDialogService::Shown> out;
        for (const auto& s : dialogs.shown())
            if (s.kind == Kind::Message) out.push_back(s);
        return out;
    }

    void expectCfgDialog(Kind kind) const {
        ASSERT_FALSE(dialogs.shown().empty());
        const auto& shown = dialogs.shown().front();
        EXPECT_EQ(shown.kind, kind);
        EXPECT_EQ(shown.file.defaultSuffix, "cfg");
        EXPECT_EQ(QtNameFilter(shown.file.filter), "cfg Files (*.cfg)");
    }

    QTemporaryDir folder;
    std::string dataCfg;
    CAdminTool* admin = nullptr;
};

TEST_F(AdminPageTest, PageCarriesItsCaptionButtonsAndTexts) {
    EXPECT_EQ(admin->caption(), "Admin");
    EXPECT_EQ(admin->dialogId(), 107);
    ASSERT_NE(button(1081), nullptr);
    ASSERT_NE(button(1082), nullptr);
    EXPECT_EQ(button(1081)->text(), "&Import Profiles");
    EXPECT_EQ(button(1082)->text(), "&Export Profiles");
    QStringList texts;
    for (auto* label : admin->findChildren<QLabel*>()) texts << label->text();
    EXPECT_EQ(texts, (QStringList{
                         "Click <Import Profiles> button and select the file from which you want to import the profile.",
                         "Click <Export Profiles> button and select the file where you want to save the profiles.",
                         "All profiles shown in <Profile Manager> page will be saved to the selected source."}));
}

TEST_F(AdminPageTest, ExportLeavesTheBuiltInProfilesOut) {
    list().Append(Named("Home"));
    list().Append(Named("Office"));
    list().Append(Named(kSiteSurveyProfileName));
    // A name outside ASCII reaches the file system as the dialog gave it.
    const QString target = folder.filePath(QStringLiteral("Sicherung-\u00fc.cfg"));
    dialogs.answerFile(target);
    press(CAdminTool::kIdExport);

    expectCfgDialog(Kind::SaveFile);
    EXPECT_TRUE(messages().empty());
    const std::filesystem::path written(QFile::encodeName(target).toStdString());
    EXPECT_EQ(std::filesystem::file_size(written), 2u * 796u);
    ProfileList back;
    ASSERT_TRUE(ReadProfileFile(written, back).ok());
    EXPECT_EQ(Names(back), (std::vector<std::string>{"Home", "Office"}));
    EXPECT_EQ(list().Count(), 4u);
}

TEST_F(AdminPageTest, ExportToDataCfgItselfKeepsTheBuiltInProfiles) {
    list().Append(Named("Home"));
    dialogs.answerFile(QString::fromStdString(dataCfg));
    press(CAdminTool::kIdExport);
    ProfileList back;
    ASSERT_TRUE(ReadProfileFile(dataCfg, back).ok());
    EXPECT_EQ(Names(back), (std::vector<std::string>{"<Default>", "Home"}));
}

TEST_F(AdminPageTest, CancelledDialogsDoNothing) {
    list().Append(Named("Home"));
    const ProfileSequence before = list().Snapshot();
    QSignalSpy imported(admin, &CAdminTool::profilesImported);
    dialogs.answerFile("");
    press(CAdminTool::kIdExport);
    dialogs.answerFile("");
    press(CAdminTool::kIdImport);

    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].kind, Kind::SaveFile);
    EXPECT_EQ(dialogs.shown()[1].kind, Kind::OpenFile);
    EXPECT_EQ(list().Snapshot(), before);
    EXPECT_EQ(imported.count(), 0);
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST_F(AdminPageTest, ExportThatCannotBeWrittenTellsTheUser) {
    list().Append(Named("Home"));
    const ProfileSequence before = list().Snapshot();
    // A path below a regular file: no permission setting lets anyone create it.
    test::WriteAll(path("plain"), Bytes{1, 2, 3});
    const QString target = folder.filePath("plain/backup.cfg");
    dialogs.answerFile(target);
    press(CAdminTool::kIdExport);

    const auto shown = messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, target + "\nThe file could not be written.");
    EXPECT_EQ(shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(list().Snapshot(), before);
    EXPECT_EQ(test::ReadAll(path("plain")), (Bytes{1, 2, 3}));
}

TEST_F(AdminPageTest, ImportAppendsSortsAndRenames) {
    list().Append(Named("Home"));
    list().Append(Named("Beach", ZARN9100_NETWORK_ADHOC));
    ProfileList file;
    file.Assign({Named("Park", ZARN9100_NETWORK_ADHOC), Named("Home"), NewDefaultProfile(), Named("Home")});
    const std::string source = path("import.cfg");
    ASSERT_TRUE(WriteProfileFile(source, file, source).ok());  // built-ins kept: the file holds its own default

    QSignalSpy imported(admin, &CAdminTool::profilesImported);
    dialogs.answerFile(QString::fromStdString(source));
    press(CAdminTool::kIdImport);

    expectCfgDialog(Kind::OpenFile);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(imported.count(), 1);
    EXPECT_EQ(Names(list()), (std::vector<std::string>{"<Default>", "Home", "Home2", "Home3", "Beach", "Park"}));
}

TEST_F(AdminPageTest, ExportThenImportGivesTwins) {
    list().Append(Named("Office"));
    list().Append(Named("Net1"));
    const QString backup = folder.filePath("backup.cfg");
    dialogs.answerFile(backup);
    press(CAdminTool::kIdExport);
    dialogs.answerFile(backup);
    press(CAdminTool::kIdImport);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(Names(list()), (std::vector<std::string>{"<Default>", "Office", "Net1", "Office2", "Net2"}));
}

TEST_F(AdminPageTest, FileThatCannotBeReadChangesNothingAndTellsTheUser) {
    list().Append(Named("Home"));
    test::WriteAll(path("garbage.cfg"), Bytes{'g', 'a', 'r', 'b', 'a', 'g', 'e', '!', '\n'});
    std::filesystem::create_directory(path("folder.cfg"));
    const ProfileSequence before = list().Snapshot();
    QSignalSpy imported(admin, &CAdminTool::profilesImported);

    const std::pair<const char*, const char*> rows[] = {
        {"missing.cfg", "The file could not be read."},
        {"folder.cfg", "The file could not be read."},
        {"garbage.cfg", "The file is damaged; no profile was imported."},
    };
    for (const auto& [name, line] : rows) {
        SCOPED_TRACE(name);
        dialogs.clear();
        const QString source = folder.filePath(name);
        dialogs.answerFile(source);
        press(CAdminTool::kIdImport);

        const auto shown = messages();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, source + "\n" + line);
        EXPECT_EQ(shown[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(list().Snapshot(), before);
        EXPECT_EQ(Names(list()), (std::vector<std::string>{"<Default>", "Home"}));
    }
    EXPECT_EQ(imported.count(), 0);
}

// A backup with stray bytes at its end, or cut inside a record: the profiles before the damage
// arrive, and the box says the file was damaged and how many came in.
TEST_F(AdminPageTest, DamagedFileKeepsTheProfilesBeforeTheDamageAndSaysHowMany) {
    list().Append(Named("Home"));
    const Bytes office = test::Entry(*Named("Office"));
    const Bytes park = test::Entry(*Named("Park", ZARN9100_NETWORK_ADHOC));
    test::WriteAll(path("stray.cfg"), test::Concat({office, park, Bytes{0x0d, 0x0a, 0x1a}}));
    test::WriteAll(path("cut.cfg"), test::Concat({office, Bytes(office.begin(), office.end() - 1)}));
    QSignalSpy imported(admin, &CAdminTool::profilesImported);

    dialogs.answerFile(folder.filePath("stray.cfg"));
    press(CAdminTool::kIdImport);
    dialogs.answerFile(folder.filePath("cut.cfg"));
    press(CAdminTool::kIdImport);

    const auto shown = messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, folder.filePath("stray.cfg") + "\nThe file is damaged; 2 profiles were imported.");
    EXPECT_EQ(shown[1].text, folder.filePath("cut.cfg") + "\nThe file is damaged; 1 profile was imported.");
    EXPECT_EQ(shown[1].icon, MessageIcon::Exclamation);
    EXPECT_EQ(imported.count(), 2);
    EXPECT_EQ(Names(list()), (std::vector<std::string>{"<Default>", "Home", "Office", "Office2", "Park"}));
}

}  // namespace
}  // namespace tembrel::testing
