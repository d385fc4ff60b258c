#include "adapter/DriverLoader.h"
#include "connection/EventCodes.h"
#include "pages/survey/CSiteSurvey.h"
#include "pages/survey/logic/SurveyListing.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileStore.h"
#include "profiles/ProfileText.h"
#include "tests/app/SheetFixture.h"
#include "tests/support/ScanBufferBuilder.h"
#include "tests/support/WaitUntil.h"
#include "ui/Notice.h"

#include <map>

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>

namespace tembrel::testing {
namespace {

class SiteSurveyPageTest : public SheetTest {
protected:
    CSiteSurvey& openSurvey(const std::vector<TestScanEntry>& networks) {
        driver.setOutU32("QueryRadioControl", 1);
        driver.setOutBytes("QueryScanList", BuildScanBuffer(networks));
        openSheet();
        CSiteSurvey* page = nullptr;
        for (auto* p : sheet->pageTabs().pages())
            if (p->dialogId() == CSiteSurvey::kDialogId) page = static_cast<CSiteSurvey*>(p);
        EXPECT_NE(page, nullptr);
        sheet->pageTabs().selectPage(page);
        driver.clearCalls();
        return *page;
    }
    QTableWidget* list() const { return control<QTableWidget>(CSiteSurvey::kIdList); }
    QPushButton* button(int id) const { return control<QPushButton>(id); }
    std::vector<std::string> callsNamed(std::initializer_list<const char*> names) const {
        std::vector<std::string> out;
        for (const auto& call : driver.calls())
            if (std::find(names.begin(), names.end(), call.name) != names.end()) out.push_back(call.text());
        return out;
    }
    std::vector<std::string> profileNames() const {
        std::vector<std::string> out;
        for (const auto& p : sheet->pageContext().profiles().Snapshot()) out.emplace_back(ProfileName(*p));
        return out;
    }
};

TestScanEntry Network(std::string ssid, uint8_t lastMacByte, uint32_t privacy = 0) {
    TestScanEntry e;
    e.ssid = std::move(ssid);
    e.mac[5] = lastMacByte;
    e.privacy = privacy;
    return e;
}

TEST_F(SiteSurveyPageTest, RefreshScansAndListsEveryNetwork) {
    CSiteSurvey& page = openSurvey({Network("Lobby", 1), Network("", 2), Network("Office", 3, 1)});
    button(CSiteSurvey::kIdRefresh)->click();
    EXPECT_EQ(callsNamed({"QueryNetworkMode", "SetNetworkMode", "Scan", "BssidScan", "SsidScan", "QueryScanList"}),
              (std::vector<std::string>{"QueryNetworkMode(h, out)", "SetNetworkMode(h, 0)", "Scan(h)",
                                        "QueryScanList(h, out, 24576)"}));
    ASSERT_EQ(list()->rowCount(), 3);
    EXPECT_EQ(list()->item(1, 0)->text(), "<00-11-22-33-44-02>");
    EXPECT_EQ(list()->item(2, 2)->text(), "Enable");
    EXPECT_EQ(page.rows().size(), 3u);
    EXPECT_FALSE(sheet->adapter().stopping.set());
}

// Refresh on a card that refuses the scan (a wired port) or will not hand over its list says
// so under the list; a card that scans and hears nothing shows an empty list and no line. Rows
// run in order on one page: each Refresh replaces what the one before said.
TEST_F(SiteSurveyPageTest, RefreshSaysWhenTheCardCannotScan) {
    struct Row {
        const char* name;
        int scanResult;
        int listResult;
        std::vector<TestScanEntry> networks;
        const char* noticeHas;  // "" for no line
    };
    const Row rows[] = {
        {"a wired port refuses the scan", ZARN9100_RESULT_NOT_AVAILABLE, 0, {}, "cannot scan"},
        {"a card that scans and hears nothing", 0, 0, {}, ""},
        {"the list is refused", 0, ZARN9100_RESULT_BAD_HANDLE, {Network("Lobby", 1)}, "did not hand over"},
        {"a card that scans again", 0, 0, {Network("Lobby", 1)}, ""},
        {"a refusal with networks heard before", ZARN9100_RESULT_NOT_AVAILABLE, 0, {Network("Lobby", 1)}, "cannot scan"},
    };
    CSiteSurvey& page = openSurvey({});
    auto* notice = control<QLabel>(CSiteSurvey::kIdNotice);
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isHidden()) << "before any Refresh";
    EXPECT_TRUE(ui::isExposedAsNotice(*notice)) << "a screen reader must speak the line as it comes up";
    for (const Row& row : rows) {
        driver.setResult("Scan", row.scanResult);
        driver.setResult("QueryScanList", row.listResult);
        driver.setOutBytes("QueryScanList", BuildScanBuffer(row.networks));
        button(CSiteSurvey::kIdRefresh)->click();
        const bool listed = row.listResult == 0;
        EXPECT_EQ(page.rows().size(), listed ? row.networks.size() : 0u) << row.name;
        EXPECT_EQ(notice->isHidden(), *row.noticeHas == '\0') << row.name;
        EXPECT_TRUE(notice->text().contains(row.noticeHas)) << row.name << ": " << notice->text().toStdString();
        // Shown again, the page still says why it is empty.
        page.OnSetActive();
        EXPECT_EQ(notice->isHidden(), *row.noticeHas == '\0') << row.name << " after the page is shown again";
    }
}

TEST_F(SiteSurveyPageTest, KeyboardSelectionJoinsAnOpenNetworkWithANewProfile) {
    recordUserJoins();
    openSurvey({Network("Lobby", 1), Network("", 2)});
    list()->setCurrentCell(1, 0);  // the hidden network: nothing to join by name
    EXPECT_FALSE(button(CSiteSurvey::kIdAssociate)->isEnabled());
    emit list()->cellDoubleClicked(1, 0);
    EXPECT_EQ(driver.count("SetSsid"), 0u) << "a double click must obey the same rule";

    list()->setCurrentCell(0, 0);
    ASSERT_TRUE(button(CSiteSurvey::kIdAssociate)->isEnabled());
    button(CSiteSurvey::kIdAssociate)->click();
    EXPECT_EQ(driver.count("SetSsid"), 1u);
    ASSERT_FALSE(profileNames().empty());
    EXPECT_EQ(profileNames().front(), "Lobby");
    ASSERT_NE(sheet->pageContext().connector().profileInUse(), nullptr);
    EXPECT_EQ(ProfileName(*sheet->pageContext().connector().profileInUse()), "Lobby");
    ASSERT_NE(userJoins, nullptr);
    EXPECT_EQ(userJoins->pages(), (std::vector<std::string>{"Site Survey: Lobby"}));
}

TEST_F(SiteSurveyPageTest, EveryClickInTheListDecidesTheAssociateButton) {
    openSurvey({Network("Lobby", 1)});
    sheet->show();
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    QWidget* rows = list()->viewport();
    const QPoint onRow = list()->visualRect(list()->model()->index(0, 0)).center();
    QTest::mouseClick(rows, Qt::LeftButton, {}, onRow);
    ASSERT_TRUE(button(CSiteSurvey::kIdAssociate)->isEnabled());
    button(CSiteSurvey::kIdRefresh)->setFocus();
    EXPECT_TRUE(button(CSiteSurvey::kIdAssociate)->isEnabled()) << "the row stays chosen when the list loses the focus";
    QTest::mouseClick(rows, Qt::LeftButton, {}, onRow);
    EXPECT_TRUE(button(CSiteSurvey::kIdAssociate)->isEnabled()) << "the row that was already current";
    const QPoint belowRows(onRow.x(), rows->height() - 2);
    ASSERT_FALSE(list()->indexAt(belowRows).isValid());
    QTest::mouseClick(rows, Qt::LeftButton, {}, belowRows);
    EXPECT_FALSE(button(CSiteSurvey::kIdAssociate)->isEnabled());
}

TEST_F(SiteSurveyPageTest, ARowChosenByAnyMeansKeepsAssociateEnabledAndNextInTabOrder) {
    openSurvey({Network("Lobby", 1), Network("Cafe", 2)});
    EXPECT_FALSE(button(CSiteSurvey::kIdAssociate)->isEnabled());
    // Assistive technology selects the row without moving the current cell.
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list());
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    table->tableInterface()->selectRow(1);
    ASSERT_TRUE(button(CSiteSurvey::kIdAssociate)->isEnabled());
    QWidget* next = list()->nextInFocusChain();
    while (next != list() && !(next->isEnabled() && (next->focusPolicy() & Qt::TabFocus))) next = next->nextInFocusChain();
    EXPECT_EQ(next, button(CSiteSurvey::kIdAssociate)) << "Tab from the list";
    button(CSiteSurvey::kIdAssociate)->click();
    ASSERT_NE(sheet->pageContext().connector().profileInUse(), nullptr);
    EXPECT_EQ(ProfileName(*sheet->pageContext().connector().profileInUse()), "Cafe");
}

// Return or Enter on the highlighted row joins as "&Associate" does; a row that is only
// current (the focus entering the list makes the first row current, unhighlighted) is no choice.
TEST_F(SiteSurveyPageTest, ReturnOnTheHighlightedRowAssociates) {
    openSurvey({Network("Lobby", 1), Network("Annex", 3)});
    auto press = [&](Qt::Key key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(list(), &event);
    };
    list()->selectionModel()->setCurrentIndex(list()->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    EXPECT_FALSE(button(CSiteSurvey::kIdAssociate)->isEnabled()) << "no row is highlighted";
    press(Qt::Key_Return);
    EXPECT_EQ(driver.count("SetSsid"), 0u);
    std::size_t joins = 0;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        list()->clearSelection();
        list()->setCurrentCell(1, 0);
        EXPECT_TRUE(button(CSiteSurvey::kIdAssociate)->isEnabled());
        press(key);
        EXPECT_EQ(driver.count("SetSsid"), ++joins) << key;
    }
    EXPECT_EQ(profileNames().front(), "Annex");
}

TEST_F(SiteSurveyPageTest, AnOpenLookAlikeNeverRewritesAnEncryptedProfile) {
    auto stored = NewEmptyProfile();
    SetProfileName(*stored, "Home");
    SetProfileSsid(*stored, "Home");
    stored->networkType = 1;
    stored->wirelessMode = 255;
    stored->authMode = 9;
    stored->encryption = 3;
    CSiteSurvey& page = openSurvey({Network("Home", 1)});
    sheet->pageContext().profiles().Insert(0, stored);
    page.RebuildList();
    list()->setCurrentCell(0, 0);
    button(CSiteSurvey::kIdAssociate)->click();
    EXPECT_EQ(stored->encryption, 3);
    EXPECT_EQ(stored->authMode, 9u);
    const auto names = profileNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "Home2"), names.end());
}

TEST_F(SiteSurveyPageTest, AFailedJoinLeavesNoNewProfileInUse) {
    openSurvey({Network("Lobby", 1)});
    driver.setResult("SetSsid", 1);
    const auto before = profileNames();
    list()->setCurrentCell(0, 0);
    button(CSiteSurvey::kIdAssociate)->click();
    EXPECT_EQ(profileNames(), before);
    const auto inUse = sheet->pageContext().connector().profileInUse();
    EXPECT_TRUE(!inUse || sheet->pageContext().profiles().IndexOf(inUse.get())) << "profileInUse points at a record outside the list";
}

// A full list: joining a network that needs a new profile is refused with the Profile Manager's
// message, before any join; nothing is in use that the list does not hold.
TEST_F(SiteSurveyPageTest, AFullListRefusesAJoinThatNeedsANewProfile) {
    openSurvey({Network("Lobby", 1)});
    ProfileSequence full(kMaxProfiles - sheet->pageContext().profiles().Count(), NewDefaultProfile());
    for (const auto& p : sheet->pageContext().profiles().Snapshot()) full.push_back(p);
    sheet->pageContext().profiles().Assign(full);
    list()->setCurrentCell(0, 0);
    button(CSiteSurvey::kIdAssociate)->click();
    EXPECT_EQ(driver.count("SetSsid"), 0u);
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_EQ(dialogs.texts()[0].toStdString(), ProfileListFullText());
    EXPECT_EQ(sheet->pageContext().profiles().Count(), kMaxProfiles);
    const auto inUse = sheet->pageContext().connector().profileInUse();
    EXPECT_TRUE(!inUse || sheet->pageContext().profiles().IndexOf(inUse.get()));
}

// Exit saves while a join runs; the profile the join then inserts still reaches Data.cfg.
TEST_F(SiteSurveyPageTest, AJoinEndingAfterExitStillReachesTheStore) {
    openSurvey({Network("Lobby", 1)});
    std::atomic<bool> inSetSsid{false};
    std::atomic<bool> exitTaken{false};
    driver.setHook("SetSsid", [&](const RecordedCall&) {
        inSetSsid = true;
        PollUntil([&] { return exitTaken.load(); }, std::chrono::seconds(20));
    });
    // Exit comes while SetSsid runs on the join worker (not before the worker reaches it).
    QTimer exitWhenJoining;
    QObject::connect(&exitWhenJoining, &QTimer::timeout, sheet.get(), [&] {
        if (!inSetSsid || exitTaken) return;
        exitTaken = true;
        sheet->Exit();
    });
    exitWhenJoining.start(1);
    list()->setCurrentCell(0, 0);
    button(CSiteSurvey::kIdAssociate)->click();
    ASSERT_TRUE(exitTaken);
    ASSERT_EQ(profileNames().front(), "Lobby");
    sheet.reset();
    ProfileList saved;
    ASSERT_TRUE(ReadProfileFile(storePath(), saved).ok());
    ASSERT_GE(saved.Count(), 1u);
    EXPECT_EQ(ProfileName(*saved.At(0)), "Lobby") << "the join's new profile is not in Data.cfg";
}

// The connected mark follows the link, also when the link moved while the window was minimised
// and its events were not forwarded.
TEST_F(SiteSurveyPageTest, TheConnectedMarkFollowsTheLink) {
    CSiteSurvey& page = openSurvey({Network("Home", 1), Network("Cafe", 2)});
    const auto marked = [&] {
        std::string out;
        for (const auto& row : page.rows())
            if (row.current) out += row.ssid;
        return out;
    };
    const auto linkTo = [&](const char* ssid, uint8_t lastMacByte) {
        driver.setResult("GetConnectStatus", 1);
        driver.setOutU32("QueryNetworkMode", 1);
        driver.setOutU32("QueryChannel", 6);
        driver.setOutBytes("QueryBssid", {0x00, 0x11, 0x22, 0x33, 0x44, lastMacByte});
        driver.setOutText("QuerySsid", ssid);
    };
    sheet->show();
    linkTo("Home", 1);
    sheet->OnLibraryEvent(ZARN9100_EVENT_LINK_UP, 0, {});
    EXPECT_EQ(marked(), "Home");
    // Minimised, the page hears nothing; back, it shows the link of now.
    sheet->showMinimized();
    linkTo("Cafe", 2);
    sheet->OnLibraryEvent(ZARN9100_EVENT_LINK_UP, 0, {});
    sheet->showNormal();
    EXPECT_EQ(marked(), "Cafe");
}

// The default radio environment of the simulated card, as the page lists it, then a join.
TEST(SiteSurveyOnSimulatedCard, ListsTheEnvironmentAndJoinsAnOpenNetwork) {
    const QString bin = qEnvironmentVariable("TEMBREL_BIN_DIR");
    DriverLoadResult loaded = LoadDriverLibrary((bin + "/libTembrel.so").toStdString());
    ASSERT_TRUE(loaded.loaded) << loaded.error;
    QTemporaryDir dir;
    MemorySettings settings;
    settings.set(settings::kAutoLink, 0);
    settings.set(settings::kAutoConfiguration, 0);
    ScriptedDialogService dialogs;
    CZarn9100Sheet sheet(SheetContext{*loaded.library, settings, dialogs, 1, (dir.path() + "/Data.cfg").toStdString()});
    sheet.OnInitDialog();
    CSiteSurvey* page = nullptr;
    for (auto* p : sheet.pageTabs().pages())
        if (p->dialogId() == CSiteSurvey::kDialogId) page = static_cast<CSiteSurvey*>(p);
    ASSERT_NE(page, nullptr);

    struct Expected {
        uint32_t channel;
        const char* security;
        int icon;
    };
    const std::map<std::string, Expected> expected{
        {"Orvix-Open-G", {6, "Disable", survey::kIconAccessPointGA}},
        {"Lobby-11b", {1, "Disable", survey::kIconAccessPointB}},
        {"Lab-WEP64", {11, "Enable", survey::kIconAccessPointGA}},
        {"Home-WPA2", {4, "Enable", survey::kIconAccessPointGA}},
        {"PeerNet", {10, "Disable", survey::kIconAdHoc}},
    };
    ASSERT_TRUE(testing_support::WaitUntil([&] {
        page->RebuildList();
        size_t found = 0;
        for (const auto& row : page->rows()) found += expected.count(row.ssid);
        return found == expected.size();
    })) << page->rows().size() << " rows";
    for (const auto& row : page->rows()) {
        const auto it = expected.find(row.ssid);
        if (it == expected.end()) continue;
        EXPECT_EQ(row.channel, it->second.channel) << row.ssid;
        EXPECT_EQ(row.security, it->second.security) << row.ssid;
        EXPECT_EQ(row.icon, it->second.icon) << row.ssid;
    }

    auto* list = page->findChild<QTableWidget*>();
    ASSERT_NE(list, nullptr);
    for (int r = 0; r < list->rowCount(); ++r)
        if (list->item(r, 0)->text() == "Orvix-Open-G") list->setCurrentCell(r, 0);
    page->OnAssociate();
    EXPECT_TRUE(testing_support::WaitUntil([&] {
        const auto s = sheet.pageContext().snapshot();
        return s.connected != 0 && s.ssid() == "Orvix-Open-G";
    }));
    ASSERT_NE(sheet.pageContext().connector().profileInUse(), nullptr);
    EXPECT_EQ(ProfileName(*sheet.pageContext().profiles().At(0)), "Orvix-Open-G");
    sheet.Exit();
}

}  // namespace
}  // namespace tembrel::testing
