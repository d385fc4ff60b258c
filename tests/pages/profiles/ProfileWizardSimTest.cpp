// End to end: profiles made in the wizard, as a user fills it in, applied to the simulated card.
#include "pages/profiles/CAdvSettgPage.h"
#include "pages/profiles/CBasicSettgPage.h"
#include "pages/profiles/CEapTlsDlg.h"
#include "pages/profiles/CLeapDlg.h"
#include "pages/profiles/CPeapDlg.h"
#include "pages/profiles/CSelectCertDlg.h"
#include "pages/profiles/CProfileWizard.h"
#include "pages/profiles/CSecuritySettgPage.h"
#include "pages/profiles/CWepKeyDlg.h"
#include "pages/profiles/CredentialIds.h"
#include "profiles/ProfileDefaults.h"
#include "tests/pages/profiles/WizardTestSupport.h"
#include "tests/support/CertificateMaker.h"
#include "tests/support/FakePageContext.h"
#include "tests/support/SimulatedCardLibrary.h"

#include <QTableWidget>

namespace tembrel::testing {
namespace {

using W = CProfileWizard;

class WizardOnSimulatedCard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SimulatedCardLibrary().loaded) << SimulatedCardLibrary().error;
        ASSERT_TRUE(ResetSimulatedCard());
        context = std::make_unique<FakePageContext>(*SimulatedCardLibrary().library);
        ASSERT_TRUE(context->openAdapter());
    }
    void TearDown() override {
        if (context) context->closeAdapter();
    }

    // Fills the network page and moves to the security page.
    std::unique_ptr<CProfileWizard> start(const QString& ssid) {
        auto wizard = std::make_unique<CProfileWizard>(W::Mode::Create, *context);
        wizard->show();
        Type(wizard.get(), CBasicSettgPage::kIdName, ssid + " profile");
        Type(wizard.get(), CBasicSettgPage::kIdSsid, ssid);
        Click(wizard.get(), W::kIdNext);
        return wizard;
    }
    // Finishes the wizard, adds the record to the list and applies it: 0 = associated.
    int finishAndConnect(CProfileWizard& wizard) {
        while (wizard.currentPageIndex() < 3) Click(&wizard, W::kIdNext);
        Click(&wizard, W::kIdFinish);
        const ProfilePtr made = wizard.createdProfile();
        EXPECT_TRUE(made) << context->dialogs_.texts().join("|").toStdString();
        if (!made) return -1;
        context->profiles().Append(made);
        return context->connector().ConnectProfile(made);
    }
    std::string currentSsid() {
        char ssid[33] = {};
        const auto lease = context->handle().lease();
        context->library().QuerySsid(lease.get(), ssid, 32);
        return std::string(ssid, strnlen(ssid, 32));
    }

    std::unique_ptr<FakePageContext> context;
};

TEST_F(WizardOnSimulatedCard, Wpa2PskProfileAssociates) {
    auto wizard = start("Home-WPA2");
    Choose(wizard.get(), CSecuritySettgPage::kIdAuthentication, 9);
    Choose(wizard.get(), CSecuritySettgPage::kIdEncryption, 3);
    Type(wizard.get(), CSecuritySettgPage::kIdPassphrase, "correct horse battery");
    Type(wizard.get(), CSecuritySettgPage::kIdConfirm, "correct horse battery");
    EXPECT_EQ(finishAndConnect(*wizard), 0);
    EXPECT_EQ(currentSsid(), "Home-WPA2");
}

TEST_F(WizardOnSimulatedCard, WrongPassphraseDoesNotAssociate) {
    auto wizard = start("Home-WPA2");
    Choose(wizard.get(), CSecuritySettgPage::kIdAuthentication, 9);
    Choose(wizard.get(), CSecuritySettgPage::kIdEncryption, 3);
    Type(wizard.get(), CSecuritySettgPage::kIdPassphrase, "incorrect horse battery");
    Type(wizard.get(), CSecuritySettgPage::kIdConfirm, "incorrect horse battery");
    EXPECT_NE(finishAndConnect(*wizard), 0);
}

TEST_F(WizardOnSimulatedCard, SharedKeyWep104ProfileAssociates) {
    auto wizard = start("Lab-WEP128-Shared");
    Choose(wizard.get(), CSecuritySettgPage::kIdAuthentication, 1);
    OnModal<CWepKeyDlg>([](CWepKeyDlg* dialog) {
        Choose(dialog, CWepKeyDlg::kIdFormat, 0);
        Choose(dialog, CWepKeyDlg::kIdSize, 1);
        Type(dialog, CWepKeyDlg::kIdKey1 + 2, "orvixwepkey13");
        Click(dialog, CWepKeyDlg::kIdOk);
    });
    Click(wizard.get(), CSecuritySettgPage::kIdConfigureWep);
    EXPECT_EQ(finishAndConnect(*wizard), 0);
    EXPECT_EQ(currentSsid(), "Lab-WEP128-Shared");
}

TEST_F(WizardOnSimulatedCard, CcxLeapProfileAssociates) {
    auto wizard = start("Cisco-LEAP");
    Choose(wizard.get(), CSecuritySettgPage::kIdAuthentication, 102);
    Choose(wizard.get(), CSecuritySettgPage::kIdEncryption, 1);  // CCX LEAP with dynamic WEP
    OnModal<CLeapDlg>([](CLeapDlg* dialog) {
        Type(dialog, credentials::ids::kLoginName, "bob");
        Type(dialog, credentials::ids::kPassword, "builder");
        Click(dialog, credentials::ids::kOk);
    });
    Click(wizard.get(), CSecuritySettgPage::kIdCredentials);
    EXPECT_EQ(finishAndConnect(*wizard), 0);
    EXPECT_EQ(currentSsid(), "Cisco-LEAP");
}

TEST_F(WizardOnSimulatedCard, AdHocProfileJoinsTheStation) {
    auto wizard = std::make_unique<CProfileWizard>(W::Mode::Create, *context);
    wizard->show();
    Type(wizard.get(), CBasicSettgPage::kIdName, "Peers");
    Type(wizard.get(), CBasicSettgPage::kIdSsid, "PeerNet");
    Choose(wizard.get(), CBasicSettgPage::kIdNetworkType, 0);
    Choose(wizard.get(), CBasicSettgPage::kIdChannel, 10);
    EXPECT_EQ(finishAndConnect(*wizard), 0);
    EXPECT_EQ(currentSsid(), "PeerNet");
}

TEST_F(WizardOnSimulatedCard, OpenNetworksOfBothBandsAssociate) {
    for (const QString ssid : {"Orvix-Open-G", "Studio-5G"}) {
        auto wizard = start(ssid);
        EXPECT_EQ(finishAndConnect(*wizard), 0) << ssid.toStdString();
        EXPECT_EQ(currentSsid(), ssid.toStdString());
    }
}

TEST_F(WizardOnSimulatedCard, OpenSystemWep40HexProfileAssociates) {
    auto wizard = start("Lab-WEP64");
    Choose(wizard.get(), CSecuritySettgPage::kIdEncryption, 1);
    OnModal<CWepKeyDlg>([](CWepKeyDlg* dialog) {
        Choose(dialog, CWepKeyDlg::kIdFormat, 1);
        Type(dialog, CWepKeyDlg::kIdKey1, "1234567890");
        Click(dialog, CWepKeyDlg::kIdOk);
    });
    Click(wizard.get(), CSecuritySettgPage::kIdConfigureWep);
    EXPECT_EQ(finishAndConnect(*wizard), 0);
}

TEST_F(WizardOnSimulatedCard, WpaPskProfilesAssociateAlsoWithAHiddenNetwork) {
    const std::pair<QString, QString> networks[] = {{"Home-WPA", "orvix-passphrase"}, {"Secret-Hidden", "hidden-passphrase"}};
    for (const auto& [ssid, passphrase] : networks) {
        auto wizard = start(ssid);
        Choose(wizard.get(), CSecuritySettgPage::kIdAuthentication, ssid == "Home-WPA" ? 2 : 9);
        Choose(wizard.get(), CSecuritySettgPage::kIdEncryption, ssid == "Home-WPA" ? 2 : 3);
        Type(wizard.get(), CSecuritySettgPage::kIdPassphrase, passphrase);
        Type(wizard.get(), CSecuritySettgPage::kIdConfirm, passphrase);
        EXPECT_EQ(finishAndConnect(*wizard), 0) << ssid.toStdString();
        EXPECT_EQ(currentSsid(), ssid.toStdString());
    }
}

TEST_F(WizardOnSimulatedCard, WpaPeapProfileAssociates) {
    auto wizard = start("Corp-WPA-1X");
    Choose(wizard.get(), CSecuritySettgPage::kIdAuthentication, 100);
    Choose(wizard.get(), CSecuritySettgPage::kIdProtocol, 6);
    OnModal<CPeapDlg>([](CPeapDlg* dialog) {
        Type(dialog, credentials::ids::kLoginName, "alice");
        Type(dialog, credentials::ids::kPassword, "wonderland");
        Click(dialog, credentials::ids::kOk);
    });
    Click(wizard.get(), CSecuritySettgPage::kIdCredentials);
    EXPECT_EQ(finishAndConnect(*wizard), 0);
}

TEST_F(WizardOnSimulatedCard, Wpa2EapTlsProfileWithACertificateAssociates) {
    test::CertificateSpec spec;
    spec.issuer = {{"CN", "Orvix Radius CA"}};
    spec.subject = {{"CN", "alice"}};
    context->certificates_.set(ParseCertificateFile(test::MakeCertificatePem(spec)));
    auto wizard = start("Corp-WPA2-1X");
    Choose(wizard.get(), CSecuritySettgPage::kIdAuthentication, 101);
    Choose(wizard.get(), CSecuritySettgPage::kIdEncryption, 3);
    OnModal<CEapTlsDlg>([](CEapTlsDlg* dialog) {
        Type(dialog, credentials::ids::kLoginName, "alice");
        OnModal<CSelectCertDlg>([](CSelectCertDlg* list) {
            Control<QTableWidget>(list, credentials::ids::kCertificateList)->selectRow(0);
            Click(list, credentials::ids::kOk);
        });
        Click(dialog, credentials::ids::kBrowse);
        Click(dialog, credentials::ids::kOk);
    });
    Click(wizard.get(), CSecuritySettgPage::kIdCredentials);
    EXPECT_EQ(finishAndConnect(*wizard), 0);
    EXPECT_EQ(currentSsid(), "Corp-WPA2-1X");
}

}  // namespace
}  // namespace tembrel::testing
