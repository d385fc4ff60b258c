#include "SheetFixture.h"

#include <algorithm>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QAction>
#include <QTabBar>

#include "app/CTrayMenu.h"
#include "app/CZarn9100App.h"
#include "pages/monitoring/CMainPage.h"
#include "pages/monitoring/MainPageIds.h"
#include "pages/profiles/CProfileManager.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileStore.h"
#include "profiles/ProfileText.h"
#include "tests/support/FakeDeviceMonitor.h"
#include "tests/support/ScanBufferBuilder.h"
#include "tests/support/ScriptedDialogService.h"
#include "tests/support/WaitUntil.h"

#include <QCloseEvent>
#include <QTemporaryDir>

#include <csignal>

namespace tembrel::testing {
namespace {

const QStringList kNormalPages{"Network Status", "Profile Manager", "Site Survey", "Statistics",
                               "Advanced",       "Admin",           "About"};

TEST_F(SheetTest, NormalPageSetFollowsTheDebugOptions) {
    makeSheet();
    EXPECT_EQ(captions(), kNormalPages);
    EXPECT_EQ(sheet->pageTabs().pages()[3]->dialogId(), 104);

    settings.set(settings::kDebugWin, 1);
    settings.set(settings::kTestPage, 0);
    settings.set(settings::kStatistics, 1);
    makeSheet();
    EXPECT_EQ(captions(), (QStringList{"Network Status", "Profile Manager", "Site Survey", "Statistics", "Advanced",
                                       "Admin", "Debug", "About"}));
    EXPECT_EQ(sheet->pageTabs().pages()[3]->dialogId(), 124);  // the detailed statistics layout

    settings.set(settings::kTestPage, 1);
    makeSheet();
    EXPECT_EQ(captions().size(), 9);
    EXPECT_EQ(captions()[7], "Test");
}

TEST_F(SheetTest, ControlsBelowThePagesCarryTheirIds) {
    makeSheet();
    auto* radio = control<QCheckBox>(CZarn9100Sheet::kIdRadioCheck);
    ASSERT_NE(radio, nullptr);
    EXPECT_EQ(radio->text(), "Radio Off  ( Alt+F2 )");
    EXPECT_NE(control<QWidget>(CZarn9100Sheet::kIdOk), nullptr);
    EXPECT_NE(control<QWidget>(CZarn9100Sheet::kIdCancel), nullptr);
}

TEST_F(SheetTest, InitialisationRegistersForEventsAndOpensTheCard) {
    driver.setOutBytes("GetMacAddress", {0x00, 0x0C, 0x41, 0x12, 0xAB, 0xEF});
    driver.setOutU32("QueryRegionCode", 0x30);
    driver.setOutU32("QueryRadioControl", 1);
    openSheet();
    const auto names = driver.callNames();
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], "Initialize");
    EXPECT_EQ(names[1], "OpenAdapter");
    EXPECT_NE(driver.lastSink(), nullptr);
    const auto texts = driver.callTexts();
    const auto boost = std::find(texts.begin(), texts.end(), "SetBoostMode(h, 1)");  // the end of OpenAdapter
    ASSERT_NE(boost, texts.end());
    EXPECT_NE(std::find(boost, texts.end(), "SetGUIMonitorMode(h, 0)"), texts.end());
    EXPECT_EQ(sheet->adapter().macAddress(), (std::array<uint8_t, 6>{0x00, 0x0C, 0x41, 0x12, 0xAB, 0xEF}));
    EXPECT_EQ(sheet->adapter().regionCode(), 0x30u);
    EXPECT_EQ(settings.read(settings::kFirstChan), 1);
    EXPECT_EQ(settings.read(settings::kLastChan), 13);
}

TEST_F(SheetTest, ArrivalAndRemovalFollowTheCard) {
    driver.setAdapterHandle(nullptr);
    openSheet();
    EXPECT_FALSE(sheet->adapter().handle().held());

    int card = 0;
    driver.setAdapterHandle(&card);
    sheet->OnDeviceArrival("\\\\?\\PCI#VEN_8086&DEV_1234#x");  // someone else's card
    EXPECT_FALSE(sheet->adapter().handle().held());
    sheet->OnDeviceArrival("\\\\?\\PCI#VEN_7E3C&DEV_4C01&SUBSYS_0#x");
    EXPECT_TRUE(sheet->adapter().handle().held());
    sheet->OnDeviceRemoveComplete("\\\\?\\PCI#VEN_7E3C&DEV_4C01&SUBSYS_0#x");
    EXPECT_FALSE(sheet->adapter().handle().held());
    EXPECT_EQ(driver.count("CloseAdapter"), 1u);
}

TEST_F(SheetTest, RadioToggleByCheckBoxAndHotKey) {
    driver.setOutU32("QueryRadioControl", 1);
    openSheet();
    auto* radio = control<QCheckBox>(CZarn9100Sheet::kIdRadioCheck);
    ASSERT_TRUE(radio->isEnabled());

    radio->click();
    EXPECT_EQ(driver.callTexts().back(), "SetRadioControl(h, 0)");
    EXPECT_EQ(driver.count("SetRadioControl"), 1u);
    EXPECT_TRUE(radio->isChecked());
    EXPECT_EQ(sheet->adapter().radioState, ZARN9100_RADIO_OFF);

    sheet->OnHotKey();
    EXPECT_EQ(driver.count("SetRadioControl"), 2u);
    EXPECT_EQ(driver.callTexts().back(), "GetConnectStatus(h)");  // radio on: the tray follows the link
    EXPECT_FALSE(radio->isChecked());
    EXPECT_EQ(sheet->adapter().radioState, ZARN9100_RADIO_ON);

    // The hardware switch (event 9) disables the box, and the hot key is then ignored.
    sheet->OnLibraryEvent(9, 0, {});
    EXPECT_FALSE(radio->isEnabled());
    EXPECT_TRUE(radio->isChecked());
    sheet->OnHotKey();
    EXPECT_EQ(driver.count("SetRadioControl"), 2u);
    sheet->OnLibraryEvent(8, 0, {});
    EXPECT_TRUE(radio->isEnabled());
    EXPECT_FALSE(radio->isChecked());
}

TEST_F(SheetTest, AdapterPagesAreDisabledAndTheCurrentTabMovesOff) {
    driver.setOutU32("QueryRadioControl", 1);
    openSheet();
    QTabWidget* tabs = &sheet->pageTabs().widget();
    tabs->setCurrentIndex(3);  // Statistics
    sheet->EnableAdapterPages(0);
    const QStringList needCard{"Site Survey", "Statistics", "Advanced"};
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_EQ(tabs->isTabEnabled(i), !needCard.contains(tabs->tabText(i))) << tabs->tabText(i).toStdString();
    EXPECT_TRUE(tabs->isTabEnabled(tabs->currentIndex()));
    sheet->EnableAdapterPages(1);
    for (int i = 0; i < tabs->count(); ++i) EXPECT_TRUE(tabs->isTabEnabled(i)) << i;
}

TEST_F(SheetTest, MonitorModeSwitchesThePageSetAndBack) {
    driver.setOutU32("QueryRadioControl", 1);
    openSheet(0);
    // The first check at initialisation found the service inactive.
    EXPECT_EQ(captions(), kNormalPages);

    driver.setOutBytes("QueryWZCStatusCheck", {1, 0, 0, 0});
    sheet->CheckMonitorMode();
    EXPECT_TRUE(sheet->isMonitorMode());
    EXPECT_EQ(captions(), (QStringList{"Network Status", "Statistics", "About", "Readme"}));
    EXPECT_FALSE(control<QCheckBox>(CZarn9100Sheet::kIdRadioCheck)->isEnabled());
    // The system controls the card: no profile can be pushed to it from Network Status.
    const auto* profileCombo = control<QComboBox>(monitoring::ids::kProfileCombo);
    EXPECT_FALSE(profileCombo->isEnabled());
    EXPECT_EQ(profileCombo->count(), 0);
    // The About page, selected while the set is rebuilt, reads the card after the switch.
    const auto calls = driver.callTexts();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "SetGUIMonitorMode(h, 1)"), calls.end());

    // Monitor mode keeps its page set across removal and insertion of the card.
    sheet->OnDeviceRemoveComplete("PCI\\VEN_7E3C&DEV_4C01");
    sheet->OnDeviceArrival("PCI\\VEN_7E3C&DEV_4C01");
    EXPECT_EQ(captions().size(), 4);

    // A failed check changes nothing.
    driver.setResult("QueryWZCStatusCheck", 1);
    driver.setOutBytes("QueryWZCStatusCheck", {0, 0, 0, 0});
    sheet->CheckMonitorMode();
    EXPECT_TRUE(sheet->isMonitorMode());

    // Left while the card is out: the pages that need it come back disabled.
    sheet->OnDeviceRemoveComplete("PCI\\VEN_7E3C&DEV_4C01");
    ASSERT_FALSE(sheet->adapter().handle().held());
    driver.setResult("QueryWZCStatusCheck", 0);
    sheet->CheckMonitorMode();
    EXPECT_FALSE(sheet->isMonitorMode());
    EXPECT_EQ(captions(), kNormalPages);
    EXPECT_TRUE(control<QCheckBox>(CZarn9100Sheet::kIdRadioCheck)->isEnabled());
    const QStringList needCard{"Site Survey", "Statistics", "Advanced"};
    QTabWidget* tabs = &sheet->pageTabs().widget();
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_EQ(tabs->isTabEnabled(i), !needCard.contains(tabs->tabText(i))) << tabs->tabText(i).toStdString();
    EXPECT_TRUE(profileCombo->isEnabled());
}

TEST_F(SheetTest, ReadmePageShowsTheSevenTextsWordedForTheLoadedLibrary) {
    struct Row {
        const char* library;
        const char* description;  // the card's, as the library reports it
        const char* first;
        const char* step;         // the first step
    };
    const Row rows[] = {
        {"/usr/lib/tembrel/libTembrel.so", "Orvix LX-7700 Wireless LAN Card",
         "Orvix LX-7700 Utility can not provide fully support because Windows XP Zero Configuration is enabled!",
         "1. Double click at tray icon of Wireless Network Connection Status"},
        {"/usr/lib/tembrel/libTembrelWpa.so", "Wireless interface wlp3s0",
         "Orvix LX-7700 Utility can not provide fully support because NetworkManager controls the interface wlp3s0!",
         "1. Run: nmcli device set wlp3s0 managed no"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.library);
        libraryPath = row.library;
        driver.setOutText("QueryDeviceDesc", row.description);
        // A window of its own for each row, counting only its own calls.
        sheet.reset();
        driver.clearCalls();
        openSheet(0);
        driver.setOutBytes("QueryWZCStatusCheck", {1, 0, 0, 0});
        sheet->CheckMonitorMode();
        CZarn9100Page* readme = sheet->pageTabs().pages().back();
        EXPECT_EQ(readme->caption(), "Readme");
        // Shown, the page reads the card's interface.
        sheet->findChild<QTabWidget*>("sheetTabs")->setCurrentWidget(readme->parentWidget());
        const auto labels = readme->findChildren<QLabel*>();
        ASSERT_EQ(labels.size(), 7);
        EXPECT_EQ(labels[0]->text().toStdString(), row.first);
        EXPECT_EQ(labels[2]->text().toStdString(), row.step);
    }
    EXPECT_EQ(sheet->pageTabs().pages().back()->findChildren<QLabel*>()[6]->text(), "5. Start Orvix LX-7700 Utility again");
}

TEST_F(SheetTest, CloseAndMinimiseOnlyHideBehindTheIcon) {
    openSheet();
    QCoreApplication::processEvents();  // the first tray state adds the icon
    ASSERT_TRUE(sheet->trayIconShown());
    bool exited = false;
    QObject::connect(sheet.get(), &CZarn9100Sheet::exited, [&] { exited = true; });
    sheet->show();
    EXPECT_FALSE(sheet->close());
    EXPECT_FALSE(sheet->isVisible());
    for (int id : {CZarn9100Sheet::kIdOk, CZarn9100Sheet::kIdCancel}) {
        sheet->show();
        control<QPushButton>(id)->click();
        EXPECT_FALSE(sheet->isVisible()) << id;
    }
    EXPECT_TRUE(control<QPushButton>(CZarn9100Sheet::kCmdExit)->isHidden()) << "the icon's menu offers Exit";
    EXPECT_FALSE(exited);
}

TEST_F(SheetTest, WithoutNotificationAreaCloseEndsTheProgramAndSaves) {
    driver.setOutU32("QueryRadioControl", 1);
    makeSheet();
    tray->results.assign(100, false);  // the desktop has no notification area
    settings.set(settings::kAutoLink, 0);
    sheet->OnInitDialog();
    QCoreApplication::processEvents();
    ASSERT_FALSE(sheet->trayIconShown());
    bool exited = false;
    QObject::connect(sheet.get(), &CZarn9100Sheet::exited, [&] { exited = true; });
    sheet->show();
    sheet->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(sheet->isVisible());  // minimised stays in the task bar
    // OK and Cancel minimise too, instead of leaving an invisible program.
    for (int id : {CZarn9100Sheet::kIdOk, CZarn9100Sheet::kIdCancel}) {
        sheet->showNormal();
        control<QPushButton>(id)->click();
        QCoreApplication::processEvents();
        EXPECT_TRUE(sheet->isVisible()) << id;
        EXPECT_TRUE(sheet->isMinimized()) << id;
    }
    // Back from the task bar, the page OK left polls the card again.
    sheet->showNormal();
    EXPECT_TRUE(sheet->pageTabs().mainPage().content().timerActive()) << "Network Status stays stopped";
    // No icon offers Exit: the window does.
    EXPECT_TRUE(control<QPushButton>(CZarn9100Sheet::kCmdExit)->isVisible());
    EXPECT_FALSE(exited);
    sheet->close();
    EXPECT_TRUE(exited);
    ProfileList saved;
    EXPECT_TRUE(ReadProfileFile(storePath(), saved).ok());
}

// A refused join is said where the user looks: Network Status shows the status text itself,
// other pages a status line, and a hidden window a balloon (once per text until a link-up).
TEST_F(SheetTest, StatusTextReachesThePageShownOrTheIcon) {
    openSheet();
    QCoreApplication::processEvents();
    ASSERT_TRUE(sheet->trayIconShown());
    sheet->show();
    auto* line = control<QLabel>(CZarn9100Sheet::kIdStatusLine);
    ASSERT_NE(line, nullptr);
    const QString refused = "Authentication failed: \"Home-WPA2\": passphrase does not match the network";
    QStringList announced;
    QObject::connect(sheet.get(), &CZarn9100Sheet::statusTextShown, [&](const QString& text) { announced << text; });
    sheet->pageTabs().widget().setCurrentIndex(1);  // Profile Manager
    QCoreApplication::processEvents();
    const QSize size = sheet->size();
    sheet->OnLibraryEvent(1012, 0, refused);
    QCoreApplication::processEvents();
    EXPECT_EQ(sheet->size(), size) << "the window grew for the line";
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text(), refused);
    QAccessibleInterface* notice = QAccessible::queryAccessibleInterface(line);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->role(), QAccessible::Notification) << "a screen reader speaks a notification as it comes up";
    EXPECT_EQ(notice->text(QAccessible::Name), refused);
    EXPECT_EQ(announced, QStringList{refused});
    // The page the user turns to next does not take the text away.
    sheet->pageTabs().widget().setCurrentIndex(captions().indexOf("About"));
    EXPECT_EQ(line->text(), refused);
    EXPECT_TRUE(line->isVisible());
    sheet->pageTabs().widget().setCurrentIndex(0);
    EXPECT_FALSE(line->isVisible()) << "Network Status shows it in its own status field";

    sheet->hide();
    auto balloons = [&] {
        return std::count_if(tray->calls.begin(), tray->calls.end(),
                             [&](const TrayCall& call) { return call.balloonText == refused; });
    };
    sheet->OnLibraryEvent(1012, 0, refused);
    EXPECT_EQ(balloons(), 1);
    sheet->OnLibraryEvent(1012, 0, refused);  // the supervisor tries again every few seconds
    EXPECT_EQ(balloons(), 1);
    sheet->OnLibraryEvent(1, 0, {});
    EXPECT_TRUE(line->text().isEmpty()) << "a link-up ends the story";
    sheet->OnLibraryEvent(1012, 0, refused);
    EXPECT_EQ(balloons(), 2);
}

TEST_F(SheetTest, ExitClosesTheCardInTheDocumentedOrder) {
    openSheet();
    bool exited = false;
    QObject::connect(sheet.get(), &CZarn9100Sheet::exited, [&] { exited = true; });
    driver.clearCalls();
    sheet->Exit();
    EXPECT_TRUE(exited);
    const auto calls = driver.callTexts();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "SetBoostMode(h, 1)");
    EXPECT_EQ(calls[1], "CloseAdapter(&h)");
    EXPECT_EQ(driver.callNames().back(), "Initialize");  // events stopped last
}

}  // namespace
}  // namespace tembrel::testing

namespace tembrel::testing {
namespace {

TEST_F(SheetTest, TrayIconFollowsTheConnectionAndGoesAtExit) {
    driver.setOutU32("QueryRadioControl", 1);
    openSheet();
    QCoreApplication::processEvents();
    ASSERT_FALSE(tray->calls.empty());
    EXPECT_EQ(tray->calls.front().operation, TrayShell::Operation::Add);
    EXPECT_EQ(tray->calls.back().iconResource, 132);
    EXPECT_EQ(tray->calls.back().tooltip, "No Connection");
    EXPECT_EQ(sheet->trayState(), 2);

    // The library reports the link; the refresh sees a BSSID and publishes "Connected".
    driver.setOutBytes("QueryBssid", {0x00, 0x11, 0x22, 0x33, 0x44, 0x55});
    driver.setOutU32("QueryChannel", 6);
    sheet->OnLibraryEvent(1, 0, {});
    QCoreApplication::processEvents();
    EXPECT_EQ(sheet->trayState(), 1);
    EXPECT_EQ(tray->calls.back().operation, TrayShell::Operation::Modify);
    EXPECT_EQ(tray->calls.back().iconResource, 130);
    EXPECT_EQ(tray->calls.back().tooltip, "Connected");
    EXPECT_EQ(sheet->pageContext().snapshot().frequencyMHz, 2437u);

    // The card goes: "Card Unplugged".
    sheet->OnLibraryEvent(2, 0, {});
    QCoreApplication::processEvents();
    EXPECT_EQ(sheet->trayState(), 0);
    EXPECT_EQ(tray->calls.back().iconResource, 146);
    EXPECT_EQ(tray->calls.back().tooltip, "Card Unplugged");

    sheet->Exit();
    EXPECT_EQ(tray->calls.back().operation, TrayShell::Operation::Delete);
}

TEST_F(SheetTest, RadioMenuItemFollowsTheRadio) {
    driver.setOutU32("QueryRadioControl", 1);
    openSheet();
    QAction* item = sheet->trayMenu().item(CZarn9100Sheet::kCmdToggleRadio);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), "Turn Radio Off");
    sheet->OnCommand(CZarn9100Sheet::kCmdToggleRadio);
    EXPECT_EQ(item->text(), "Turn Radio On");
    EXPECT_EQ(driver.count("SetRadioControl"), 1u);
    sheet->OnCommand(CZarn9100Sheet::kCmdToggleRadio);
    EXPECT_EQ(item->text(), "Turn Radio Off");
}

TEST_F(SheetTest, ExitWithoutCardSkipsTheLibraryButSavesTheProfiles) {
    driver.setAdapterHandle(nullptr);
    openSheet();
    driver.clearCalls();
    sheet->OnCommand(CZarn9100Sheet::kCmdExit);
    EXPECT_EQ(driver.count("SetBoostMode"), 0u);
    EXPECT_EQ(driver.count("CloseAdapter"), 0u);
    ProfileList saved;
    ASSERT_TRUE(ReadProfileFile(storePath(), saved).ok());
    ASSERT_EQ(saved.Count(), 1u);
    EXPECT_TRUE(IsDefaultProfile(*saved.At(0)));
}

TEST_F(SheetTest, ExitFromTheMenuTellsWhenTheProfilesCannotBeSaved) {
    openSheet();
    // A folder where Data.cfg should be: the save fails and the folder stays.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(storePath())));
    sheet->OnCommand(CZarn9100Sheet::kCmdExit);
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].endsWith("The profiles could not be saved.")) << dialogs.texts()[0].toStdString();
    EXPECT_TRUE(QFileInfo(QString::fromStdString(storePath())).isDir());
}

// A store damaged in place: the window says once how many profiles came back, how many the
// damage took and where the file as it was is kept; the copy is there before anything is saved.
TEST_F(SheetTest, ADamagedStoreIsToldOnceWithWhatCameBackAndWhereTheFileIsKept) {
    {
        ProfileList prepared;
        for (const char* name : {"One", "Two", "Three"}) {
            auto p = NewEmptyProfile();
            SetProfileName(*p, name);
            p->networkType = 1;
            prepared.Append(p);
        }
        ASSERT_TRUE(SaveProfiles(storePath(), prepared).ok());
    }
    QFile file(QString::fromStdString(storePath()));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(900));
    ASSERT_EQ(file.write(QByteArray(512, '\0')), 512);  // a zeroed sector inside "Two"
    file.close();

    openSheet();
    ASSERT_TRUE(testing_support::WaitUntil([&] { return !dialogs.texts().isEmpty(); }));
    const QString text = dialogs.texts()[0];
    EXPECT_TRUE(text.contains("2 profiles were recovered")) << text.toStdString();
    EXPECT_TRUE(text.contains("1 profile damaged")) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString(storePath()) + ".bak")) << text.toStdString();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(storePath()) + ".bak"));
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.texts().size(), 1);
}

struct StickyPage : CZarn9100Page {
    using CZarn9100Page::CZarn9100Page;
    bool mayLeave = false;
    int activations = 0;
    void OnSetActive() override { ++activations; }
    bool OnKillActive() override { return mayLeave; }
};

TEST_F(SheetTest, TheFirstPageIsToldWhenItIsLeftAndAPageMayRefuse) {
    driver.setOutU32("QueryRadioControl", 1);
    StickyPage* sticky = nullptr;
    addPage<StickyPage>("Sticky", &sticky);
    openSheet();
    QTabWidget* tabs = &sheet->pageTabs().widget();
    ASSERT_EQ(sheet->pageTabs().activePage(), &sheet->pageTabs().mainPage());
    ASSERT_TRUE(sheet->pageTabs().mainPage().content().timerActive());
    tabs->setCurrentIndex(tabs->count() - 1);  // the first change after start-up
    EXPECT_FALSE(sheet->pageTabs().mainPage().content().timerActive()) << "the status page still polls the card";

    ASSERT_NE(sticky, nullptr);
    tabs->setCurrentIndex(0);
    EXPECT_EQ(sheet->pageTabs().activePage(), sticky);
    EXPECT_EQ(sticky->activations, 1);
    ASSERT_FALSE(sheet->pageTabs().pageSet().built(1));
    tabs->setCurrentIndex(1);  // a page never shown is built only once the page left agreed
    EXPECT_EQ(sheet->pageTabs().activePage(), sticky);
    EXPECT_FALSE(sheet->pageTabs().pageSet().built(1));
    EXPECT_FALSE(sheet->pageTabs().mainPage().content().timerActive());
    sticky->mayLeave = true;
    tabs->setCurrentIndex(0);
    EXPECT_EQ(sheet->pageTabs().activePage(), &sheet->pageTabs().mainPage());
    EXPECT_TRUE(sheet->pageTabs().mainPage().content().timerActive());
}

// A page is built when first needed and then shows what it would have shown had it been built at
// start and followed every change since: the profile list, the profile in use with the link
// (the Profile Manager's in-use icon and buttons) and the radio (each page's adapter state).
TEST_F(SheetTest, APageBuiltLateShowsWhatAPageBuiltAtStartShows) {
    driver.setOutU32("QueryRadioControl", 1);
    const auto view = [&](bool buildEveryPageFirst) {
        openSheet();
        EXPECT_EQ(sheet->pageTabs().pageSet().builtCount(), 1) << "only the page shown exists";
        if (buildEveryPageFirst) sheet->pageTabs().pages();
        PageContext& pc = sheet->pageContext();
        const ProfilePtr any = NewDefaultProfile();
        pc.profiles().Assign({NewDefaultProfile(), any});
        pc.profilesChanged(nullptr);
        driver.setOutBytes("QueryBssid", {0x00, 0x11, 0x22, 0x33, 0x44, 0x55});
        sheet->OnLibraryEvent(ZARN9100_EVENT_LINK_UP, 0, {});
        pc.connector().SetProfileInUse(any);
        sheet->ToggleRadio();
        sheet->pageTabs().widget().setCurrentIndex(captions().indexOf(CProfileManager::kCaption));
        QStringList out;
        for (auto* page : sheet->pageTabs().pages()) out << page->caption() + (page->adapterUnusable() ? " unusable" : " usable");
        const auto* list = control<QListWidget>(CProfileManager::kIdList);
        for (int i = 0; list && i < list->count(); ++i)
            out << list->item(i)->text() + ": " + list->item(i)->data(Qt::AccessibleDescriptionRole).toString();
        for (int id : {CProfileManager::kIdApply, CProfileManager::kIdDelete})
            out << QString::number(id) + (control<QPushButton>(id)->isEnabled() ? " enabled" : " disabled");
        return out;
    };
    const QStringList early = view(true);
    ASSERT_TRUE(early.join(' ').contains("in use")) << early.join('\n').toStdString();
    EXPECT_EQ(view(false), early);
}

struct ProbePage : CZarn9100Page {
    using CZarn9100Page::CZarn9100Page;
    std::vector<quintptr> codes;
    void OnLibraryEvent(quintptr code, qintptr, const QString&) override { codes.push_back(code); }
};

TEST_F(SheetTest, EventsReachTheActivePageUnlessDropped) {
    driver.setOutU32("QueryRadioControl", 1);
    ProbePage* probe = nullptr;
    addPage<ProbePage>("Probe", &probe);
    openSheet();
    sheet->pageTabs().widget().setCurrentIndex(captions().indexOf("Probe"));
    ASSERT_NE(probe, nullptr);

    driver.setResult("GetConnectStatus", 1);
    sheet->OnLibraryEvent(5, 0, {});     // connected: event 5 is dropped
    sheet->OnLibraryEvent(6, 0, {});     // nothing to do, but forwarded
    sheet->OnLibraryEvent(1002, 0, {});  // a second copy: not forwarded
    EXPECT_EQ(probe->codes, (std::vector<quintptr>{6}));
}

struct HearingPage : CZarn9100Page {
    using CZarn9100Page::CZarn9100Page;
    std::vector<int> adapterStates;
    int profileChanges = 0;
    void OnAdapterState(int usable) override { adapterStates.push_back(usable); }
    void OnProfilesChanged() override { ++profileChanges; }
};

// A page built while its set was shown still hears the adapter state and profile changes while
// the other set is: it shows the card and the list as they are when its set comes back.
TEST_F(SheetTest, EveryBuiltPageHearsTheWindowWhicheverSetIsShown) {
    driver.setOutU32("QueryRadioControl", 1);
    HearingPage* normalOnly = nullptr;
    HearingPage* monitorOnly = nullptr;
    addPage<HearingPage>("Normal probe", &normalOnly);
    addPage<HearingPage>("Monitor probe", &monitorOnly, true);
    openSheet();
    PageTabs& tabs = sheet->pageTabs();
    tabs.widget().setCurrentIndex(captions().indexOf("Normal probe"));
    sheet->RebuildPages(true);
    tabs.widget().setCurrentIndex(captions().indexOf("Monitor probe"));
    ASSERT_NE(normalOnly, nullptr);
    ASSERT_NE(monitorOnly, nullptr);

    tabs.setAdapterUsable(0);
    EXPECT_EQ(normalOnly->adapterStates, (std::vector<int>{1, 0}));  // when built, then now
    sheet->RebuildPages(false);
    sheet->pageContext().profilesChanged(nullptr);
    EXPECT_EQ(monitorOnly->profileChanges, 1);
}

// The end of the session can arrive while the Auto Link dialog is open (its event loop runs the
// signal watcher): the flow then hands the library's events back to the window after Exit took
// them away, and the window must still take them away before it goes.
TEST_F(SheetTest, LibraryEventsStopWhenTheWindowGoesAfterExitDuringAutoLink) {
    openSheet();
    TestScanEntry ap;
    ap.ssid = "Lobby";
    ap.elements = {0xDD, 7, 0x00, 0x3A, 0x7E, 0x00, 0x00, 0x11, 0x01};
    driver.setOutBytes("QueryScanList", BuildScanBuffer({ap}));
    bool exitedDuringDialog = false;
    QTimer::singleShot(0, sheet.get(), [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "the Auto Link dialog is not open";
        sheet->Exit();
        exitedDuringDialog = true;
        dialog->reject();
    });
    sheet->OnLibraryEvent(1007, 0, {});
    ASSERT_TRUE(exitedDuringDialog);

    sheet.reset();
    const ZARN9100_EVENT_SINK* sink = driver.lastSink();
    ASSERT_NE(sink, nullptr);
    EXPECT_EQ(sink->notify, nullptr) << "the library still calls the destroyed window";
    EXPECT_EQ(sink->context, nullptr);
}

// A window that refuses to be closed, as a box that only its own time may end does.
class StubbornDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

// SIGTERM ends the program after the save even while a modal window refuses to close: no
// window may keep a program whose session is over running.
TEST(ApplicationTest, SigtermEndsTheEventLoopThoughADialogRefusesToClose) {
    QTemporaryDir runtime;
    QTemporaryDir data;
    ASSERT_TRUE(runtime.isValid() && data.isValid());
    const QByteArray previousRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));  // the single-instance socket
    CommandLine options;
    options.driverPath = "/nonexistent/libTembrel.so";
    options.configDir = data.path().toStdString();
    CZarn9100App::Services services;
    services.dialogs = std::make_unique<ScriptedDialogService>();
    services.deviceMonitor = std::make_unique<FakeDeviceMonitor>();
    CZarn9100App app(options, std::move(services));
    ASSERT_EQ(app.Start(), CZarn9100App::StartResult::Run);

    bool dialogReturned = false;
    QTimer::singleShot(0, app.sheet(), [&] {
        StubbornDialog dialog;  // a window of its own, which the main window does not take along
        QTimer::singleShot(0, &dialog, [] { std::raise(SIGTERM); });
        dialog.exec();
        dialogReturned = true;
    });
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    bound.start(10000);
    EXPECT_EQ(QCoreApplication::exec(), 0) << "the event loop ran on after the end of the session";
    EXPECT_TRUE(dialogReturned);
    EXPECT_TRUE(QFile::exists(data.filePath("Data.cfg")));
    qputenv("XDG_RUNTIME_DIR", previousRuntime);
}

// A message box that waits as a modal one does, and asks for the end of the session while it is
// open (the desktop logging out under it).
class BoxOpenAtLogout final : public DialogService {
public:
    QStringList texts;

private:
    void doShowMessage(QWidget*, const QString& text, MessageIcon, const QString&) override {
        texts << text;
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [] { std::raise(SIGTERM); });
        loop.exec();
    }
    bool doAskYesNo(QWidget*, const QString&, MessageIcon, const QString&) override { return false; }
    QString doOpenFile(QWidget*, const FileDialogOptions&) override { return {}; }
    QString doSaveFile(QWidget*, const FileDialogOptions&) override { return {}; }
};

// SIGTERM while Exit tells that the profiles could not be saved ends the program, as it does
// with any other dialog open.
TEST(ApplicationTest, SigtermEndsTheProgramWhileExitSaysTheProfilesCouldNotBeSaved) {
    QTemporaryDir runtime;
    QTemporaryDir data;
    ASSERT_TRUE(runtime.isValid() && data.isValid());
    ASSERT_TRUE(QDir(data.path()).mkdir("Data.cfg"));  // a folder in its place: the save fails
    const QByteArray previousRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    CommandLine options;
    options.driverPath = "/nonexistent/libTembrel.so";
    options.configDir = data.path().toStdString();
    CZarn9100App::Services services;
    auto boxes = std::make_unique<BoxOpenAtLogout>();
    BoxOpenAtLogout& shown = *boxes;
    services.dialogs = std::move(boxes);
    services.deviceMonitor = std::make_unique<FakeDeviceMonitor>();
    CZarn9100App app(options, std::move(services));
    ASSERT_EQ(app.Start(), CZarn9100App::StartResult::Run);

    QTimer::singleShot(0, app.sheet(), [&] { app.sheet()->OnCommand(CZarn9100Sheet::kCmdExit); });
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    bound.start(10000);
    EXPECT_EQ(QCoreApplication::exec(), 0) << "SIGTERM was ignored while the box was open";
    ASSERT_EQ(shown.texts.size(), 1);
    EXPECT_TRUE(shown.texts[0].endsWith("The profiles could not be saved."));
    qputenv("XDG_RUNTIME_DIR", previousRuntime);
}

}  // namespace
}  // namespace tembrel::testing
