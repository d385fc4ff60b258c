#include "pages/profiles/CBasicSettgPage.h"
#include "pages/profiles/CProfileManager.h"
#include "pages/profiles/CProfileWizard.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "tests/app/SheetFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QSignalSpy>
#include <QTimer>

#include <atomic>

namespace tembrel::testing {
namespace {

ProfilePtr Named(std::string_view name, uint32_t type = 1) {
    auto p = NewEmptyProfile();
    SetProfileName(*p, name);
    SetProfileSsid(*p, name);
    p->networkType = type;
    p->wirelessMode = 255;
    p->inPreferList = 1;
    return p;
}

class ProfileManagerPageTest : public SheetTest {
protected:
    CProfileManager& openManager(const ProfileSequence& records) {
        driver.setOutU32("QueryRadioControl", 1);
        openSheet();
        sheet->pageContext().profiles().Assign(records);
        CProfileManager* page = nullptr;
        for (auto* p : sheet->pageTabs().pages())
            if (p->dialogId() == CProfileManager::kDialogId) page = static_cast<CProfileManager*>(p);
        EXPECT_NE(page, nullptr);
        sheet->pageTabs().selectPage(page);
        page->OnSetActive();
        return *page;
    }
    QListWidget* list() const { return control<QListWidget>(CProfileManager::kIdList); }
    QPushButton* button(int id) const { return control<QPushButton>(id); }
    void selectName(const char* name) {
        for (int i = 0; i < list()->count(); ++i)
            if (list()->item(i)->text() == name) list()->setCurrentRow(i);
    }
    std::vector<std::string> order() const {
        std::vector<std::string> out;
        for (const auto& p : sheet->pageContext().profiles().Snapshot()) out.emplace_back(ProfileName(*p));
        return out;
    }
};

TEST_F(ProfileManagerPageTest, EveryCheckStateChangeReachesTheRecord) {
    const auto a = Named("A");
    openManager({a, NewDefaultProfile()});
    list()->item(0)->setCheckState(Qt::Unchecked);  // as the space bar does
    EXPECT_EQ(a->inPreferList, 0u);
    list()->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(a->inPreferList, 1u);
    list()->setCurrentRow(0);
    CProfileManager& page = *static_cast<CProfileManager*>(sheet->pageTabs().activePage());
    page.OnMenuCommand(CProfileManager::kCmdEmptyPrefer);
    EXPECT_EQ(a->inPreferList, 0u);
    EXPECT_EQ(list()->item(1)->checkState(), Qt::Unchecked);
}

TEST_F(ProfileManagerPageTest, ItemsSayTheirBoxInTheirDescription) {
    const auto a = Named("A");
    openManager({a, NewDefaultProfile()});
    QAccessibleInterface* item = QAccessible::queryAccessibleInterface(list())->child(0);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->state().checkable);
    const QString inList = item->text(QAccessible::Description);
    EXPECT_FALSE(inList.isEmpty());
    list()->item(0)->setCheckState(Qt::Unchecked);  // as the space bar does
    EXPECT_EQ(a->inPreferList, 0u);
    EXPECT_NE(item->text(QAccessible::Description), inList) << "the description follows the box";
}

TEST_F(ProfileManagerPageTest, AVisitLeavesTheFocusWhereItIsAndThePagesActionsTakeItToTheList) {
    const auto a = Named("A"), b = Named("B");
    CProfileManager& page = openManager({a, b});
    sheet->show();
    QTabBar* tabs = sheet->pageTabs().widget().tabBar();
    tabs->setFocus();
    page.OnSetActive();  // as each visit does
    EXPECT_EQ(sheet->focusWidget(), tabs) << "the page's name is said from the tab";
    selectName("B");
    page.OnMove(-1);
    EXPECT_EQ(sheet->focusWidget(), list()) << "after Move Up the user works on in the list";
}

TEST_F(ProfileManagerPageTest, MovesFollowTheRecordWhenTheListWasReordered) {
    const auto a = Named("A"), b = Named("B"), c = Named("C");
    CProfileManager& page = openManager({a, b, c});
    selectName("B");
    sheet->pageContext().profiles().Move(1, 0);  // the supervisor moved B to the head meanwhile: B A C
    page.OnMove(+1);
    EXPECT_EQ(order(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(list()->currentItem()->text(), "B");
}

// The supervisor connects C and moves it to the head: the page shows that order at the next
// event, the same item selected, what was typed into the pane kept, the move buttons right.
TEST_F(ProfileManagerPageTest, TheListFollowsTheSupervisorsReorder) {
    const auto a = Named("A"), b = Named("B"), c = Named("C");
    CProfileManager& page = openManager({a, b, c});
    selectName("C");
    emit page.pane().modified();  // unsaved edits
    ASSERT_FALSE(button(CProfileManager::kIdMoveDown)->isEnabled());
    sheet->pageContext().profiles().Move(2, 0);
    page.OnLibraryEvent(ZARN9100_EVENT_LINK_UP, 0, {});
    QStringList shown;
    for (int i = 0; i < list()->count(); ++i) shown << list()->item(i)->text();
    EXPECT_EQ(shown, (QStringList{"C", "A", "B"}));
    EXPECT_EQ(list()->currentItem()->text(), "C");
    EXPECT_TRUE(button(CProfileManager::kIdSave)->isEnabled());
    EXPECT_TRUE(button(CProfileManager::kIdMoveDown)->isEnabled());
    EXPECT_FALSE(button(CProfileManager::kIdMoveUp)->isEnabled());
}

TEST_F(ProfileManagerPageTest, DeletingTheProfileInUseWithoutALinkLetsGoOfIt) {
    const auto a = Named("A"), b = Named("B");
    CProfileManager& page = openManager({a, b, NewDefaultProfile()});
    sheet->pageContext().connector().SetProfileInUse(b);  // B moves to the head
    page.OnSetActive();
    selectName("B");
    ASSERT_TRUE(button(CProfileManager::kIdDelete)->isEnabled());
    button(CProfileManager::kIdDelete)->click();
    EXPECT_EQ(sheet->pageContext().connector().profileInUse(), nullptr);
    EXPECT_EQ(order(), (std::vector<std::string>{"A", "<Default>"}));
    EXPECT_EQ(list()->currentItem()->text(), "A");  // the item now at B's index
    selectName("<Default>");
    page.OnDelete();  // refused in the handler too, not only by the disabled button
    EXPECT_EQ(order().size(), 2u);
}

TEST_F(ProfileManagerPageTest, ApplyWithoutACardSaysWhyAndSendsNothing) {
    const auto a = Named("A");
    CProfileManager& page = openManager({a, NewDefaultProfile()});
    selectName("A");
    sheet->OnDeviceRemoveComplete("\\\\?\\PCI#VEN_7E3C&DEV_4C01&SUBSYS_0#x");
    ASSERT_FALSE(sheet->adapter().handle().held());
    driver.clearCalls();
    page.OnApplyProfile();
    EXPECT_EQ(dialogs.texts(), QStringList{"No card is present: the profile cannot be applied."});
    EXPECT_EQ(driver.count("SetSsid"), 0u);
}

TEST_F(ProfileManagerPageTest, LinkEventsKeepUnsavedEdits) {
    const auto a = Named("A"), b = Named("B");
    CProfileManager& page = openManager({a, b});
    sheet->pageContext().connector().SetProfileInUse(a);
    selectName("B");
    emit page.pane().modified();  // the user changed something in the pane
    ASSERT_TRUE(button(CProfileManager::kIdSave)->isEnabled());
    page.OnLibraryEvent(1, 0, {});
    EXPECT_EQ(list()->currentItem()->text(), "B");
    EXPECT_TRUE(button(CProfileManager::kIdSave)->isEnabled());
}

TEST_F(ProfileManagerPageTest, ARefusedSaveKeepsSaveEnabledSoThePageIsNotLeft) {
    const auto a = Named("A"), b = Named("B");
    CProfileManager& page = openManager({a, b});
    selectName("A");
    auto* name = ui::ControlById<QLineEdit>(page, CBasicSettgPage::kIdName);
    ASSERT_NE(name, nullptr);
    name->setText("B");
    emit name->textEdited("B");  // as the user types it
    button(CProfileManager::kIdSave)->click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Profile name already exists! Please enter a new one!"});
    EXPECT_TRUE(button(CProfileManager::kIdSave)->isEnabled());
    EXPECT_FALSE(page.OnKillActive());
    EXPECT_EQ(ProfileName(*a), "A");
}

// SetSsid may wait for a whole 802.1x exchange: meanwhile the window handles its events while
// the page stays busy, and Exit taken then ends without waiting for the card (its bound here 0):
// the card is closed by the join itself once SetSsid returned, and Apply goes on after it.
TEST_F(ProfileManagerPageTest, TheWindowAnswersWhileTheCardAssociates) {
    closeWaitMs = 0;
    recordUserJoins();
    auto a = Named("A");
    a->fragThreshold = 2346;
    a->rtsThreshold = 2347;
    CProfileManager& page = openManager({a});
    selectName("A");
    std::atomic<bool> inSetSsid{false}, windowDone{false};
    bool pageBusy = false, waitCursor = false, exitEndedDuringSetSsid = false;
    QSignalSpy exited(sheet.get(), &CZarn9100Sheet::exited);
    driver.setHook("SetSsid", [&](const RecordedCall&) {
        inSetSsid = true;
        // The window's turn while the card associates: it must answer before SetSsid returns.
        QMetaObject::invokeMethod(
            sheet.get(),
            [&] {
                pageBusy = !page.isEnabled();
                waitCursor = QApplication::overrideCursor() != nullptr &&
                             QApplication::overrideCursor()->shape() == Qt::WaitCursor;
                sheet->Exit();
                exitEndedDuringSetSsid = inSetSsid;
                windowDone = true;
            },
            Qt::QueuedConnection);
        PollUntil([&] { return windowDone.load(); });
        inSetSsid = false;
    });
    ASSERT_TRUE(sheet->adapter().handle().held());
    ASSERT_NE(list()->currentItem(), nullptr);
    page.OnApplyProfile();
    EXPECT_TRUE(windowDone) << "the window did not answer during SetSsid";
    EXPECT_TRUE(exitEndedDuringSetSsid) << "Exit waited for SetSsid";
    EXPECT_TRUE(pageBusy);
    EXPECT_TRUE(waitCursor);
    EXPECT_EQ(exited.count(), 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const auto names = driver.callNames();
    const auto setSsid = std::find(names.begin(), names.end(), "SetSsid");
    ASSERT_NE(setSsid, names.end());
    EXPECT_NE(std::find(setSsid, names.end(), "CloseAdapter"), names.end()) << "Exit closed the card after SetSsid";
    EXPECT_EQ(std::count(names.begin(), names.end(), "CloseAdapter"), 1);
    ASSERT_NE(userJoins, nullptr);
    EXPECT_EQ(userJoins->pages(), (std::vector<std::string>{"Profile Manager: A"}));
}

}  // namespace
}  // namespace tembrel::testing
