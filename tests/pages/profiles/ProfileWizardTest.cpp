// The profile wizard walked as a user would, in its three modes, with the stored records
// compared field by field.
#include "pages/profiles/CAdvSettgPage.h"
#include "pages/profiles/CBasicSettgPage.h"
#include "pages/profiles/CCompleteWiz.h"
#include "pages/profiles/CEapTlsDlg.h"
#include "pages/profiles/CLeapDlg.h"
#include "pages/profiles/CProfileWizard.h"
#include "pages/profiles/CSecuritySettgPage.h"
#include "pages/profiles/CSelectCertDlg.h"
#include "pages/profiles/CWepKeyDlg.h"
#include "pages/profiles/CredentialIds.h"
#include "profiles/ProfileDefaults.h"
#include "tests/pages/profiles/WizardTestSupport.h"
#include "tests/support/CertificateMaker.h"
#include "tests/support/FakePageContext.h"
#include "tests/support/RecordingDriver.h"
#include "ui/ControlId.h"

#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableWidget>

namespace tembrel::testing {
namespace {

namespace ids = credentials::ids;
using W = CProfileWizard;

class ProfileWizardTest : public ::testing::Test {
protected:
    ProfileWizardTest() { context.profiles_.Append(NewDefaultProfile()); }

    // A create-mode wizard on screen, its network page filled in.
    std::unique_ptr<CProfileWizard> startCreate(const QString& name, const QString& ssid) {
        auto wizard = std::make_unique<CProfileWizard>(W::Mode::Create, context);
        wizard->show();
        Type(wizard.get(), CBasicSettgPage::kIdName, name);
        Type(wizard.get(), CBasicSettgPage::kIdSsid, ssid);
        return wizard;
    }
    void nextTo(CProfileWizard& wizard, int page) {
        while (wizard.currentPageIndex() < page) Click(&wizard, W::kIdNext);
    }
    ProfilePtr finish(CProfileWizard& wizard) {
        nextTo(wizard, 3);
        Click(&wizard, W::kIdFinish);
        return wizard.createdProfile();
    }
    // What create mode makes before the pages store: zeros, in the prefer list, adapter settings
    // kept with the default thresholds.
    static PROFILE_RECORD Made(const char* name, const char* ssid) {
        PROFILE_RECORD r = MakeEmptyProfile();
        SetProfileName(r, name);
        SetProfileSsid(r, ssid);
        r.networkType = 1;
        r.wirelessMode = 255;
        r.keepAdapterSettings = 1;
        r.fragThreshold = 2346;
        r.rtsThreshold = 2347;
        r.inPreferList = 1;
        return r;
    }

    RecordingDriver driver;
    FakePageContext context{driver};
};

TEST_F(ProfileWizardTest, CreateWpa2PskProfile) {
    auto wizard = std::make_unique<CProfileWizard>(W::Mode::Create, context);
    wizard->show();
    EXPECT_EQ(wizard->windowTitle(), "Create New Profile");
    Type(wizard.get(), CBasicSettgPage::kIdSsid, "Home-WPA2");
    EXPECT_FALSE(Control<QAbstractButton>(wizard.get(), W::kIdBack)->isEnabled());
    EXPECT_FALSE(Control<QAbstractButton>(wizard.get(), W::kIdNext)->isEnabled()) << "only the SSID is filled in";
    Type(wizard.get(), CBasicSettgPage::kIdName, "Home");
    EXPECT_TRUE(Control<QAbstractButton>(wizard.get(), W::kIdNext)->isEnabled());
    Click(wizard.get(), W::kIdNext);

    Choose(wizard.get(), CSecuritySettgPage::kIdAuthentication, 9);
    Choose(wizard.get(), CSecuritySettgPage::kIdEncryption, 3);
    Type(wizard.get(), CSecuritySettgPage::kIdPassphrase, "correct horse battery");
    Type(wizard.get(), CSecuritySettgPage::kIdConfirm, "correct horse battery");
    nextTo(*wizard, 3);
    EXPECT_TRUE(Control<QAbstractButton>(wizard.get(), W::kIdBack)->isEnabled());
    EXPECT_FALSE(Control<QAbstractButton>(wizard.get(), W::kIdNext)->isEnabled());
    EXPECT_TRUE(Control<QLabel>(wizard.get(), CCompleteWiz::kIdSummary)->text().contains("Authentication = WPA2-PSK"));
    const ProfilePtr made = finish(*wizard);
    ASSERT_TRUE(made);
    EXPECT_EQ(wizard->result(), QDialog::Accepted);

    PROFILE_RECORD expected = Made("Home", "Home-WPA2");
    expected.authMode = 9;
    expected.encryption = 3;
    WritePassphrase(expected, "correct horse battery");
    ExpectSameRecord(*made, expected);
    EXPECT_TRUE(context.dialogs_.shown().empty());
}

TEST_F(ProfileWizardTest, TheFocusGoesWithThePageSoThatItIsAnnounced) {
    auto wizard = startCreate("Home", "Home-WPA2");
    auto* stack = Control<QAbstractButton>(wizard.get(), W::kIdNext)->window()->findChild<QStackedWidget*>();
    ASSERT_NE(stack, nullptr);
    const struct {
        const char* step;
        int button;
        int page;
    } rows[] = {
        {"Next to Security", W::kIdNext, 1},
        {"Next to Protocol", W::kIdNext, 2},
        {"Next to Complete", W::kIdNext, 3},
        {"Back to Protocol", W::kIdBack, 2},
        {"Back to Security", W::kIdBack, 1},
        {"Back to Network Info", W::kIdBack, 0},
    };
    for (const auto& row : rows) {
        Click(wizard.get(), row.button);
        ASSERT_EQ(wizard->currentPageIndex(), row.page) << row.step;
        QWidget* focus = wizard->focusWidget();
        ASSERT_NE(focus, nullptr) << row.step;
        if (row.page == 3) {
            EXPECT_EQ(focus, Control<QWidget>(wizard.get(), W::kIdFinish)) << row.step;
        } else {
            EXPECT_TRUE(stack->currentWidget()->isAncestorOf(focus)) << row.step << ": " << focus->metaObject()->className();
            EXPECT_TRUE(focus->isEnabled() && focus->isVisible()) << row.step;
        }
    }
    // The first field of the first page is the profile name.
    EXPECT_EQ(wizard->focusWidget(), Control<QWidget>(wizard.get(), CBasicSettgPage::kIdName));
}

TEST_F(ProfileWizardTest, TextSetByAssistiveTechnologyCountsAsTyped) {
    auto wizard = std::make_unique<CProfileWizard>(W::Mode::Create, context);
    wizard->show();
    // Screen readers and voice control set the whole text; Qt reports it as textChanged only.
    auto setThroughTheBus = [&](int id, const QString& text) {
        QAccessibleInterface* edit = QAccessible::queryAccessibleInterface(Control<QLineEdit>(wizard.get(), id));
        ASSERT_NE(edit, nullptr);
        edit->editableTextInterface()->replaceText(0, edit->textInterface()->characterCount(), text);
    };
    setThroughTheBus(CBasicSettgPage::kIdName, "Voice");
    setThroughTheBus(CBasicSettgPage::kIdSsid, "Home-WPA2");
    ASSERT_TRUE(Control<QAbstractButton>(wizard.get(), W::kIdNext)->isEnabled());
    Click(wizard.get(), W::kIdNext);
    Choose(wizard.get(), CSecuritySettgPage::kIdAuthentication, 9);
    Choose(wizard.get(), CSecuritySettgPage::kIdEncryption, 3);
    setThroughTheBus(CSecuritySettgPage::kIdPassphrase, "correct horse battery");
    setThroughTheBus(CSecuritySettgPage::kIdConfirm, "correct horse battery");
    const ProfilePtr made = finish(*wizard);
    ASSERT_TRUE(made);
    PROFILE_RECORD expected = Made("Voice", "Home-WPA2");
    expected.authMode = 9;
    expected.encryption = 3;
    WritePassphrase(expected, "correct horse battery");
    ExpectSameRecord(*made, expected);
}

TEST_F(ProfileWizardTest, CreateWep104HexProfileThroughTheKeyDialog) {
    auto wizard = startCreate("Lab", "Lab-WEP128-Shared");
    Click(wizard.get(), W::kIdNext);
    Choose(wizard.get(), CSecuritySettgPage::kIdAuthentication, 1);
    EXPECT_EQ(Selected(wizard.get(), CSecuritySettgPage::kIdEncryption), 1) << "Shared Key offers only WEP";
    OnModal<CWepKeyDlg>([](CWepKeyDlg* dialog) {
        Choose(dialog, CWepKeyDlg::kIdFormat, 1);
        Choose(dialog, CWepKeyDlg::kIdSize, 1);
        Type(dialog, CWepKeyDlg::kIdKey1 + 2, "6f72766978776570");
        Type(dialog, CWepKeyDlg::kIdKey1 + 2, "6b65793133", false);
        EXPECT_EQ(Control<QLineEdit>(dialog, CWepKeyDlg::kIdKey1 + 2)->text(), "6F727669787765706B65793133");
        Click(dialog, CWepKeyDlg::kIdOk);
    });
    Click(wizard.get(), CSecuritySettgPage::kIdConfigureWep);
    auto* key3 = Control<QRadioButton>(wizard.get(), CSecuritySettgPage::kIdKey1 + 2);
    EXPECT_EQ(key3->text(), "Select Key 3 as Transmit key");
    EXPECT_TRUE(key3->isChecked());
    EXPECT_EQ(context.settings_.read(settings::kWepKeyFmt), 1) << "the format is remembered";
    const ProfilePtr made = finish(*wizard);
    ASSERT_TRUE(made);

    PROFILE_RECORD expected = Made("Lab", "Lab-WEP128-Shared");
    expected.authMode = 1;
    expected.encryption = 1;
    expected.wep.txKeyIndex = 3;
    expected.wep.keys[2].length = 13;
    std::memcpy(expected.wep.keys[2].material, "orvixwepkey13", 13);
    ExpectSameRecord(*made, expected);
}

TEST_F(ProfileWizardTest, CreateAdHocProfileWithRadioSettings) {
    context.settings_.set(settings::kLastChan, 13);
    auto wizard = startCreate("Peers", "PeerNet");
    Choose(wizard.get(), CBasicSettgPage::kIdNetworkType, 0);
    EXPECT_EQ(Selected(wizard.get(), CBasicSettgPage::kIdAdHocBand), 0) << "802.11g";
    EXPECT_EQ(Selected(wizard.get(), CBasicSettgPage::kIdChannel), 0) << "Auto Select";
    EXPECT_EQ(Control<QComboBox>(wizard.get(), CBasicSettgPage::kIdChannel)->count(), 14) << "Auto Select and 1..13";
    Choose(wizard.get(), CBasicSettgPage::kIdAdHocBand, 1);
    Choose(wizard.get(), CBasicSettgPage::kIdChannel, 10);
    Click(wizard.get(), W::kIdNext);
    EXPECT_EQ(Control<QComboBox>(wizard.get(), CSecuritySettgPage::kIdAuthentication)->count(), 3);
    Click(wizard.get(), W::kIdNext);
    Click(wizard.get(), CAdvSettgPage::kIdKeep);
    EXPECT_FALSE(Control<QComboBox>(wizard.get(), CAdvSettgPage::kIdPowerSave)->isEnabled()) << "ad hoc: continuous access";
    EXPECT_EQ(Control<QComboBox>(wizard.get(), CAdvSettgPage::kIdTxRate)->count(), 5) << "Auto and the 802.11b rates";
    Choose(wizard.get(), CAdvSettgPage::kIdPreamble, 2);
    Choose(wizard.get(), CAdvSettgPage::kIdTxRate, 22);
    Type(wizard.get(), CAdvSettgPage::kIdFrag, "1500");
    Type(wizard.get(), CAdvSettgPage::kIdRts, "0");
    const ProfilePtr made = finish(*wizard);
    ASSERT_TRUE(made);

    PROFILE_RECORD expected = Made("Peers", "PeerNet");
    expected.networkType = 0;
    expected.adHocWirelessMode = 1;
    expected.adHocChannel = 10;
    expected.keepAdapterSettings = 0;
    expected.powerSaveMode = 0;
    expected.preamble = 2;
    expected.txRate = 22;
    expected.fragThreshold = 1500;
    expected.rtsThreshold = 0;
    ExpectSameRecord(*made, expected);
}

TEST_F(ProfileWizardTest, CreateLeapProfileThroughTheCredentialDialog) {
    auto wizard = startCreate("Corp", "Corp-WPA-1X");
    Click(wizard.get(), W::kIdNext);
    Choose(wizard.get(), CSecuritySettgPage::kIdAuthentication, 100);
    Choose(wizard.get(), CSecuritySettgPage::kIdProtocol, 3);
    EXPECT_EQ(Control<QComboBox>(wizard.get(), CSecuritySettgPage::kIdEncryption)->count(), 1) << "WPA LEAP: TKIP only";
    OnModal<CLeapDlg>([](CLeapDlg* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "WPA LEAP Radius Configuration");
        Type(dialog, ids::kLoginName, "alice");
        Type(dialog, ids::kPassword, "wonderland");
        Click(dialog, ids::kOk);
    });
    Click(wizard.get(), CSecuritySettgPage::kIdCredentials);
    const ProfilePtr made = finish(*wizard);
    ASSERT_TRUE(made);
    PROFILE_RECORD expected = Made("Corp", "Corp-WPA-1X");
    expected.authMode = 3;
    expected.encryption = 2;
    SetText(expected.loginName, "alice");
    SetText(expected.password, "wonderland");
    ExpectSameRecord(*made, expected);
}

TEST_F(ProfileWizardTest, CreateEapTlsProfileWithACertificate) {
    test::CertificateSpec spec;
    spec.issuer = {{"O", "Orvix"}, {"CN", "Orvix Test CA"}};
    spec.subject = {{"CN", "alice"}};
    const std::vector<Certificate> certificates = ParseCertificateFile(test::MakeCertificatePem(spec));
    ASSERT_EQ(certificates.size(), 1u);
    context.certificates_.set(certificates);

    auto wizard = startCreate("Corp2", "Corp-WPA2-1X");
    Click(wizard.get(), W::kIdNext);
    Choose(wizard.get(), CSecuritySettgPage::kIdAuthentication, 101);
    EXPECT_EQ(Selected(wizard.get(), CSecuritySettgPage::kIdProtocol), 10);
    Choose(wizard.get(), CSecuritySettgPage::kIdEncryption, 3);
    OnModal<CEapTlsDlg>([](CEapTlsDlg* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "WPA2 EAP/TLS Radius Configuration");
        Type(dialog, ids::kLoginName, "alice");
        OnModal<CSelectCertDlg>([](CSelectCertDlg* list) {
            Control<QTableWidget>(list, ids::kCertificateList)->selectRow(0);
            Click(list, ids::kOk);
        });
        Click(dialog, ids::kBrowse);
        Click(dialog, ids::kOk);
    });
    Click(wizard.get(), CSecuritySettgPage::kIdCredentials);
    const ProfilePtr made = finish(*wizard);
    ASSERT_TRUE(made);
    PROFILE_RECORD expected = Made("Corp2", "Corp-WPA2-1X");
    expected.authMode = 10;
    expected.encryption = 3;
    SetText(expected.loginName, "alice");
    SetText(expected.certificateName, "Orvix Test CA");
    std::memcpy(expected.certificateHash, certificates.front().sha1.data(), 20);
    ExpectSameRecord(*made, expected);
}

TEST_F(ProfileWizardTest, OnlyATakenNameTakesAFailedFinishBackToTheNetworkPage) {
    auto wizard = startCreate("<Default>", "x");
    nextTo(*wizard, 2);
    Click(wizard.get(), CAdvSettgPage::kIdKeep);
    Type(wizard.get(), CAdvSettgPage::kIdFrag, "100");
    nextTo(*wizard, 3);
    const auto expectBackAndFinish = [&] {
        EXPECT_FALSE(wizard->createdProfile());
        EXPECT_TRUE(Control<QAbstractButton>(wizard.get(), W::kIdBack)->isEnabled());
        EXPECT_TRUE(Control<QAbstractButton>(wizard.get(), W::kIdFinish)->isEnabled());
    };
    Click(wizard.get(), W::kIdFinish);
    EXPECT_EQ(context.dialogs_.texts().value(0), "Profile name already exists! Please enter a new one!");
    EXPECT_EQ(wizard->currentPageIndex(), 0);
    expectBackAndFinish();

    Type(wizard.get(), CBasicSettgPage::kIdName, "Other");
    nextTo(*wizard, 3);
    Click(wizard.get(), W::kIdFinish);
    EXPECT_EQ(context.dialogs_.texts().value(1), "The minimum value of fragmentation threshold is 256");
    EXPECT_EQ(wizard->currentPageIndex(), 3) << "any other failure stays on Complete";
    expectBackAndFinish();

    Click(wizard.get(), W::kIdBack);
    Type(wizard.get(), CAdvSettgPage::kIdFrag, "2000");
    const ProfilePtr made = finish(*wizard);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->fragThreshold, 2000u);
}

TEST_F(ProfileWizardTest, NameIsLimitedInBytes) {
    auto wizard = startCreate(QString(25, QChar(0x00E9)), "x");
    EXPECT_EQ(Control<QLineEdit>(wizard.get(), CBasicSettgPage::kIdName)->text(), QString(19, QChar(0x00E9)));
    const ProfilePtr made = finish(*wizard);
    ASSERT_TRUE(made);
    EXPECT_EQ(ProfileName(*made).size(), 38u);
}

TEST_F(ProfileWizardTest, CreateSeededFromAScannedNetwork) {
    PROFILE_RECORD seed = MakeEmptyProfile();
    SetProfileName(seed, "Home-WPA");
    SetProfileSsid(seed, "Home-WPA");
    seed.networkType = 1;
    seed.wirelessMode = 0;  // 802.11g: the list has no entry for it
    seed.authMode = 2;
    seed.encryption = 2;
    seed.preamble = 1;
    seed.txRate = 255;
    seed.keepAdapterSettings = 1;
    seed.fragThreshold = 2346;
    seed.rtsThreshold = 2347;
    CProfileWizard wizard(W::Mode::Create, context);
    wizard.LoadProfileIntoPages(NewProfileCopy(seed));
    wizard.show();
    EXPECT_TRUE(Control<QAbstractButton>(&wizard, W::kIdNext)->isEnabled());
    Click(&wizard, W::kIdNext);
    Type(&wizard, CSecuritySettgPage::kIdPassphrase, "orvix-passphrase");
    Type(&wizard, CSecuritySettgPage::kIdConfirm, "orvix-passphrase");
    const ProfilePtr made = finish(wizard);
    ASSERT_TRUE(made) << context.dialogs_.texts().join("|").toStdString();
    EXPECT_EQ(made->wirelessMode, 0u) << "kept: the user did not change the wireless mode";
    EXPECT_EQ(made->authMode, 2u);
    EXPECT_EQ(made->preamble, 1u);
    EXPECT_EQ(ReadPassphrase(*made), "orvix-passphrase");
}

TEST_F(ProfileWizardTest, ConfigureModeStoresTheSecurityPageOnOk) {
    PROFILE_RECORD r = MakeDefaultProfile();
    SetProfileName(r, "Office");
    SetProfileSsid(r, "Office");
    r.authMode = 101;  // WPA2 with 802.1x, method not chosen yet (site survey)
    r.encryption = 3;
    r.wirelessMode = 0;
    const ProfilePtr record = NewProfileCopy(r);
    context.profiles_.Append(record);

    CProfileWizard wizard(W::Mode::Configure, context);
    wizard.LoadProfileIntoPages(record);
    wizard.show();
    EXPECT_EQ(wizard.windowTitle(), "Configure Network");
    EXPECT_EQ(Control<QComboBox>(&wizard, CBasicSettgPage::kIdName), nullptr);
    EXPECT_EQ(Selected(&wizard, CSecuritySettgPage::kIdProtocol), 10);
    Click(&wizard, W::kIdOk);
    EXPECT_EQ(context.dialogs_.texts(), QStringList{"Illegal login name or certificate for WPA authentication!"});
    EXPECT_TRUE(wizard.isVisible()) << "the OK is swallowed";
    EXPECT_EQ(record->authMode, 101u);

    Choose(&wizard, CSecuritySettgPage::kIdProtocol, 11);
    OnModal<QDialog>([](QDialog* dialog) {
        Type(dialog, ids::kLoginName, "carol");
        Type(dialog, ids::kPassword, "secret");
        Click(dialog, ids::kOk);
    });
    Click(&wizard, CSecuritySettgPage::kIdCredentials);
    Click(&wizard, W::kIdOk);
    EXPECT_EQ(wizard.result(), QDialog::Accepted);
    PROFILE_RECORD expected = r;
    expected.authMode = 11;
    SetText(expected.loginName, "carol");
    SetText(expected.password, "secret");
    ExpectSameRecord(*record, expected);
}

TEST_F(ProfileWizardTest, PaneKeepsWhatTheListsCannotShowAndSavesByIdentity) {
    PROFILE_RECORD r = MakeDefaultProfile();
    SetProfileName(r, "Survey");
    SetProfileSsid(r, "Corp-WPA-1X");
    r.wirelessMode = 0;  // 802.11g
    r.authMode = 7;      // WPA tunnelled TLS: the protocol list has no entry for it
    r.encryption = 2;
    SetText(r.loginName, "alice");
    SetText(r.password, "wonderland");
    SetText(r.anonymousName, "Anonymous");
    const ProfilePtr record = NewProfileCopy(r);
    context.profiles_.Append(record);

    QWidget host;
    CProfileWizard pane(W::Mode::Pane, context, &host);
    QSignalSpy modified(&pane, &CProfileWizard::modified);
    pane.LoadProfileIntoPages(record);
    host.show();
    for (int tab = 0; tab < 3; ++tab) pane.showPage(tab);
    EXPECT_FALSE(pane.isModified()) << "loading and showing tabs are not changes";
    EXPECT_EQ(modified.count(), 0);
    EXPECT_EQ(Selected(&pane, CSecuritySettgPage::kIdProtocol), -1);

    Choose(&pane, CSecuritySettgPage::kIdAuthentication, 100);
    EXPECT_EQ(pane.editor().security().credentials().loginName, "alice") << "the same entry again changes nothing";
    EXPECT_FALSE(pane.isModified());
    pane.ShowFirstPage();
    Type(&pane, CBasicSettgPage::kIdSsid, "Corp-WPA-1X-b");
    EXPECT_TRUE(pane.isModified());
    EXPECT_GT(modified.count(), 0);
    // The supervisor moves the record meanwhile.
    context.profiles_.Insert(0, NewProfileCopy(MakeEmptyProfile()));
    ASSERT_TRUE(pane.CollectProfile());
    EXPECT_FALSE(pane.isModified());
    PROFILE_RECORD expected = r;
    SetProfileSsid(expected, "Corp-WPA-1X-b");
    ExpectSameRecord(*record, expected);

    context.profiles_.Remove(record.get());
    EXPECT_FALSE(pane.CollectProfile()) << "a record no longer in the list is not saved";
}

TEST_F(ProfileWizardTest, PaneRefusesANonIntegerThresholdAndADuplicateName) {
    PROFILE_RECORD r = MakeDefaultProfile();
    SetProfileName(r, "Mine");
    r.keepAdapterSettings = 0;
    const ProfilePtr record = NewProfileCopy(r);
    context.profiles_.Append(record);
    QWidget host;
    CProfileWizard pane(W::Mode::Pane, context, &host);
    pane.LoadProfileIntoPages(record);
    host.show();
    pane.showPage(2);
    Type(&pane, CAdvSettgPage::kIdFrag, "12x");
    EXPECT_FALSE(pane.CollectProfile());
    EXPECT_EQ(context.dialogs_.texts(), QStringList{"Please enter a positive integer."});
    Type(&pane, CAdvSettgPage::kIdFrag, "2000");
    pane.ShowFirstPage();
    Type(&pane, CBasicSettgPage::kIdName, "Mine");
    ASSERT_TRUE(pane.CollectProfile()) << "its own name passes";
    EXPECT_EQ(record->fragThreshold, 2000u);
    Type(&pane, CBasicSettgPage::kIdName, "<Default>");
    EXPECT_FALSE(pane.CollectProfile());
    EXPECT_EQ(context.dialogs_.texts().back(), "Profile name already exists! Please enter a new one!");
    EXPECT_EQ(ProfileName(*record), "Mine");
}

TEST_F(ProfileWizardTest, WepDialogShowsMasksInBothFormatsAndKeepsKeysOnNo) {
    WEP_KEY_SET keys{};
    keys.txKeyIndex = 1;
    keys.keys[0].length = 13;
    std::memcpy(keys.keys[0].material, "orvixwepkey13", 13);
    const WEP_KEY_SET stored = keys;
    context.settings_.set(settings::kWepKeyFmt, 1);
    CWepKeyDlg dialog(keys, context.settings_, context.dialogs_);
    dialog.show();
    EXPECT_EQ(Control<QLineEdit>(&dialog, CWepKeyDlg::kIdKey1)->text(), QString(26, '*'));
    EXPECT_EQ(Control<QComboBox>(&dialog, CWepKeyDlg::kIdSize)->currentText(), "104-Bit (26 digits)");
    Choose(&dialog, CWepKeyDlg::kIdFormat, 0);
    EXPECT_EQ(Control<QLineEdit>(&dialog, CWepKeyDlg::kIdKey1)->text(), QString(13, '*'));
    context.dialogs_.answerYesNo(false);
    Choose(&dialog, CWepKeyDlg::kIdSize, 0);
    EXPECT_EQ(context.dialogs_.texts(), QStringList{CWepKeyDlg::kSizeQuestion});
    EXPECT_EQ(Selected(&dialog, CWepKeyDlg::kIdSize), 1) << "No restores the size";
    Type(&dialog, CWepKeyDlg::kIdKey1 + 1, "ab\u00e9cd");
    EXPECT_EQ(Control<QLineEdit>(&dialog, CWepKeyDlg::kIdKey1 + 1)->text(), "abcd") << "ASCII keys are printable ASCII";
    Type(&dialog, CWepKeyDlg::kIdKey1 + 1, "");
    Click(&dialog, CWepKeyDlg::kIdOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(std::memcmp(&keys, &stored, sizeof keys), 0) << "the untouched key keeps its bytes";
}

TEST_F(ProfileWizardTest, CreateProfileRunsModallyAndReturnsTheRecordOrNothing) {
    OnModal<CProfileWizard>([](CProfileWizard* wizard) { Click(wizard, W::kIdCancel); });
    EXPECT_EQ(CProfileWizard::CreateProfile(context, nullptr), nullptr);

    PROFILE_RECORD seed = MakeDefaultProfile();
    SetProfileName(seed, "Lobby");
    SetProfileSsid(seed, "Lobby-11b");
    OnModal<CProfileWizard>([](CProfileWizard* wizard) {
        while (wizard->currentPageIndex() < 3) Click(wizard, W::kIdNext);
        Click(wizard, W::kIdFinish);
    });
    const ProfilePtr made = CProfileWizard::CreateProfile(context, nullptr, &seed);
    ASSERT_TRUE(made);
    PROFILE_RECORD expected = seed;  // the seed's fields, stored back by the pages
    ExpectSameRecord(*made, expected);
    EXPECT_EQ(context.profiles_.Count(), 1u) << "the caller adds the record";
}

TEST_F(ProfileWizardTest, ConfigureProfileCancelLeavesTheRecordAndOkWritesOneOutsideTheList) {
    PROFILE_RECORD r = MakeDefaultProfile();
    SetProfileName(r, "Lab-WEP64");
    r.authMode = 0;
    r.encryption = 1;
    const ProfilePtr record = NewProfileCopy(r);  // a new record of the site survey, not listed yet
    OnModal<CProfileWizard>([](CProfileWizard* wizard) {
        Choose(wizard, CSecuritySettgPage::kIdAuthentication, 4);
        Click(wizard, W::kIdCancel);
    });
    EXPECT_FALSE(CProfileWizard::ConfigureProfile(context, nullptr, record));
    EXPECT_EQ(std::memcmp(record.get(), &r, sizeof r), 0);

    OnModal<CProfileWizard>([](CProfileWizard* wizard) {
        OnModal<CWepKeyDlg>([](CWepKeyDlg* dialog) {
            Type(dialog, CWepKeyDlg::kIdKey1, "abcde");
            Click(dialog, CWepKeyDlg::kIdOk);
        });
        Click(wizard, CSecuritySettgPage::kIdConfigureWep);
        Click(wizard, W::kIdOk);
    });
    EXPECT_TRUE(CProfileWizard::ConfigureProfile(context, nullptr, record));
    EXPECT_EQ(record->wep.txKeyIndex, 1u);
    EXPECT_EQ(record->wep.keys[0].length, 5u);
    EXPECT_EQ(std::memcmp(record->wep.keys[0].material, "abcde", 5), 0);
}

// "Configure Network" names the network and opens where the user types: the passphrase, the
// WEP keys' button or the credentials button, never the tab header.
TEST_F(ProfileWizardTest, ConfigureNetworkOpensOnTheFieldToFill) {
    const struct {
        const char* ssid;
        uint32_t authMode;
        int encryption;
        int focused;
    } rows[] = {
        {"Home-WPA2", 9, 3, CSecuritySettgPage::kIdPassphrase},
        {"Lab-WEP64", 0, 1, CSecuritySettgPage::kIdConfigureWep},
        {"Corp-WPA2-1X", 101, 3, CSecuritySettgPage::kIdCredentials},
    };
    for (const auto& row : rows) {
        PROFILE_RECORD r = MakeDefaultProfile();
        SetProfileName(r, row.ssid);
        SetProfileSsid(r, row.ssid);
        r.authMode = row.authMode;
        r.encryption = row.encryption;
        QString title;
        int focused = 0;
        OnModal<CProfileWizard>([&](CProfileWizard* wizard) {
            title = wizard->windowTitle();
            if (QWidget* w = wizard->focusWidget()) focused = ui::ControlIdOf(*w);
            Click(wizard, W::kIdCancel);
        });
        CProfileWizard::ConfigureProfile(context, nullptr, NewProfileCopy(r));
        EXPECT_EQ(title.toStdString(), std::string("Configure Network - ") + row.ssid);
        EXPECT_EQ(focused, row.focused) << row.ssid;
    }
}

TEST_F(ProfileWizardTest, ClickingIntoAFilledPassphraseEmptiesIt) {
    PROFILE_RECORD r = MakeDefaultProfile();
    SetProfileName(r, "Home");
    r.authMode = 9;
    r.encryption = 3;
    WritePassphrase(r, "correct horse battery");
    const ProfilePtr record = NewProfileCopy(r);
    context.profiles_.Append(record);
    QWidget host;
    CProfileWizard pane(W::Mode::Pane, context, &host);
    pane.LoadProfileIntoPages(record);
    host.show();
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    pane.showPage(1);
    auto* passphrase = Control<QLineEdit>(&pane, CSecuritySettgPage::kIdPassphrase);
    EXPECT_EQ(passphrase->text(), "correct horse battery");
    EXPECT_FALSE(pane.isModified());
    QTest::mouseClick(passphrase, Qt::LeftButton);
    EXPECT_EQ(passphrase->text(), "");
    EXPECT_FALSE(Control<QLineEdit>(&pane, CSecuritySettgPage::kIdConfirm)->isEnabled());
    EXPECT_TRUE(pane.isModified());
}

TEST_F(ProfileWizardTest, PaneLocksTheChannelOfTheAdHocNetworkInUseAndFollowsEnablePages) {
    PROFILE_RECORD r = MakeDefaultProfile();
    SetProfileName(r, "Peers");
    r.networkType = 0;
    r.adHocChannel = 3;
    const ProfilePtr record = NewProfileCopy(r);
    context.profiles_.Append(record);
    context.connector().SetProfileInUse(record);
    ConnectionSnapshot linked;
    linked.connected = 1;
    context.snapshot_.write(linked);
    QWidget host;
    CProfileWizard pane(W::Mode::Pane, context, &host);
    pane.LoadProfileIntoPages(record);
    host.show();
    auto* channel = Control<QComboBox>(&pane, CBasicSettgPage::kIdChannel);
    EXPECT_TRUE(channel->isVisible());
    EXPECT_EQ(Selected(&pane, CBasicSettgPage::kIdChannel), 3);
    EXPECT_FALSE(channel->isEnabled()) << "the channel of the network in use";
    EXPECT_TRUE(Control<QComboBox>(&pane, CBasicSettgPage::kIdAdHocBand)->isEnabled());

    pane.EnablePages(false);
    EXPECT_EQ(pane.securityPage(), nullptr) << "a tab not shown yet has no page";
    pane.showPage(1);  // built now, disabled as the pages around it
    pane.showPage(2);
    for (int id : {CBasicSettgPage::kIdName, CBasicSettgPage::kIdSsid, CBasicSettgPage::kIdNetworkType,
                   CBasicSettgPage::kIdAdHocBand, CSecuritySettgPage::kIdAuthentication, CSecuritySettgPage::kIdEncryption,
                   CAdvSettgPage::kIdKeep, CAdvSettgPage::kIdReset})
        EXPECT_FALSE(Control<QWidget>(&pane, id)->isEnabled()) << id;
    pane.EnablePages(true);
    EXPECT_TRUE(Control<QWidget>(&pane, CBasicSettgPage::kIdName)->isEnabled());
}

TEST_F(ProfileWizardTest, EscapeInThePaneIsLeftToTheHost) {
    QWidget host;
    CProfileWizard pane(W::Mode::Pane, context, &host);
    pane.LoadProfileIntoPages(context.profiles_.At(0));
    host.show();
    QTest::keyClick(Control<QLineEdit>(&pane, CBasicSettgPage::kIdName), Qt::Key_Escape);
    QTest::keyClick(Control<QLineEdit>(&pane, CBasicSettgPage::kIdName), Qt::Key_Return);
    EXPECT_TRUE(pane.isVisible());
    EXPECT_TRUE(context.dialogs_.shown().empty());
}

}  // namespace
}  // namespace tembrel::testing
