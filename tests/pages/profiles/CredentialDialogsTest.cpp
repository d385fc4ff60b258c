// The credential dialogs, the certificate list and the viewer under the offscreen platform,
// addressed by control id, on certificates made with OpenSSL.
#include "pages/profiles/CEapTlsDlg.h"
#include "pages/profiles/CLeapDlg.h"
#include "pages/profiles/CPeapDlg.h"
#include "pages/profiles/CSelectCertDlg.h"
#include "pages/profiles/CTtlsDlg.h"
#include "pages/profiles/CViewCertDlg.h"
#include "pages/profiles/CredentialIds.h"

#include "ModalScript.h"
#include "tests/support/CertificateMaker.h"
#include "tests/support/FakeCertificateStore.h"
#include "tests/support/ScriptedDialogService.h"
#include "ui/ControlId.h"

#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

namespace tembrel {
namespace {

namespace ids = credentials::ids;
using test::Control;
using test::ModalScript;

const std::string kLongIssuer = "Orvix Wireless Certification Authority for Radius Clients";  // 58 bytes

Certificate Made(const std::string& issuer, const std::string& subject, const char* notAfter = "20080105120000Z") {
    test::CertificateSpec spec;
    spec.issuer = {{"CN", issuer}};
    spec.subject = {{"CN", subject}};
    spec.notAfter = notAfter;
    auto parsed = ParseCertificateFile(test::MakeCertificatePem(spec));
    EXPECT_EQ(parsed.size(), 1u);
    return parsed.empty() ? Certificate{} : parsed.front();
}

QString Text(const QWidget& dialog, int id) {
    auto* edit = Control<QLineEdit>(dialog, id);
    return edit ? edit->text() : QStringLiteral("<no edit %1>").arg(id);
}

void Type(const QWidget& dialog, int id, const QString& text) {
    auto* edit = Control<QLineEdit>(dialog, id);
    ASSERT_NE(edit, nullptr) << id;
    edit->clear();
    // Key by key as typed; QTest::keyClicks knows only ASCII.
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &release);
    }
}

void Press(const QWidget& dialog, int id) {
    auto* button = Control<QPushButton>(dialog, id);
    ASSERT_NE(button, nullptr) << id;
    ASSERT_TRUE(button->isEnabled()) << id;
    button->click();
}

QStringList Labels(const QWidget& dialog) {
    QStringList texts;
    for (auto* label : dialog.findChildren<QLabel*>()) texts << label->text();
    return texts;
}

class CredentialDialogsTest : public ::testing::Test {
protected:
    std::vector<QString> messages() const {
        std::vector<QString> texts;
        for (const auto& shown : dialogs.shown()) {
            EXPECT_EQ(shown.icon, MessageIcon::Exclamation);
            texts.push_back(shown.text);
        }
        return texts;
    }

    ScriptedDialogService dialogs;
};

TEST_F(CredentialDialogsTest, LeapTitlesLabelsAndOk) {
    Credentials values;
    values.protocol = 8;
    values.loginName = "alice";
    values.domain = "ORVIX";
    values.anonymousName = "kept";
    CLeapDlg ccx(values, dialogs);
    EXPECT_EQ(ccx.windowTitle(), "CCX LEAP Radius Configuration");
    EXPECT_EQ(Labels(ccx), (QStringList{"Login Name:", "Password:", "Domain:"}));
    EXPECT_EQ(Text(ccx, ids::kLoginName), "alice");
    EXPECT_EQ(Text(ccx, ids::kDomain), "ORVIX");
    EXPECT_EQ(Control<QLineEdit>(ccx, ids::kPassword)->echoMode(), QLineEdit::Normal);  // shown as typed

    Press(ccx, ids::kOk);
    EXPECT_EQ(messages(), std::vector<QString>{kCcxPasswordMessage});
    EXPECT_NE(ccx.result(), QDialog::Accepted);
    EXPECT_TRUE(values.password.empty());

    Type(ccx, ids::kPassword, "secret");
    Type(ccx, ids::kDomain, "");
    Press(ccx, ids::kOk);
    EXPECT_EQ(ccx.result(), QDialog::Accepted);
    EXPECT_EQ(values.loginName, "alice");
    EXPECT_EQ(values.password, "secret");
    EXPECT_EQ(values.domain, "");  // never required
    EXPECT_EQ(values.anonymousName, "kept");
}

TEST_F(CredentialDialogsTest, PasswordsAreSecretsOnTheAccessibilityBusButTakeTextFromIt) {
    Credentials leap, peap, ttls;
    peap.protocol = ttls.protocol = 6;
    CLeapDlg leapDialog(leap, dialogs);
    CPeapDlg peapDialog(peap, dialogs);
    CTtlsDlg ttlsDialog(ttls, dialogs);
    for (auto [dialog, values] : {std::pair<QDialog*, Credentials*>{&leapDialog, &leap}, {&peapDialog, &peap},
                                  {&ttlsDialog, &ttls}}) {
        auto* edit = Control<QLineEdit>(*dialog, ids::kPassword);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(edit);
        ASSERT_NE(accessible, nullptr);
        EXPECT_TRUE(accessible->state().passwordEdit) << dialog->windowTitle().toStdString();
        ASSERT_NE(accessible->editableTextInterface(), nullptr);
        // A screen reader or voice control fills it in; what it reads back is masked.
        accessible->editableTextInterface()->replaceText(0, 0, "s3cret");
        EXPECT_EQ(edit->text(), "s3cret");
        EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);  // still shown in clear on screen
        const QString read = accessible->textInterface()->text(0, accessible->textInterface()->characterCount());
        EXPECT_EQ(read.size(), 6);
        EXPECT_FALSE(read.contains("s3cret"));
        EXPECT_FALSE(accessible->text(QAccessible::Value).contains("s3cret"));
        EXPECT_FALSE(accessible->text(QAccessible::Name).contains("s3cret"));
        Type(*dialog, ids::kLoginName, "alice");
        Press(*dialog, ids::kOk);
        EXPECT_EQ(values->password, "s3cret");
    }
}

TEST_F(CredentialDialogsTest, CancelWritesNothing) {
    Credentials values;
    values.protocol = 6;
    values.loginName = "alice";
    const Credentials before = values;
    CPeapDlg dialog(values, dialogs);
    Type(dialog, ids::kLoginName, "mallory");
    Type(dialog, ids::kPassword, "secret");
    Press(dialog, ids::kCancel);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(values.loginName, before.loginName);
    EXPECT_EQ(values.password, before.password);
}

TEST_F(CredentialDialogsTest, PeapHasTheFixedInnerProtocolAndTheCcxMessageFor13) {
    Credentials values;
    values.protocol = 13;
    CPeapDlg dialog(values, dialogs);
    EXPECT_EQ(dialog.windowTitle(), "CCX PEAP Radius Configuration");
    auto* inner = Control<QComboBox>(dialog, ids::kInnerProtocol);
    ASSERT_NE(inner, nullptr);
    EXPECT_FALSE(inner->isEnabled());
    EXPECT_EQ(inner->count(), 1);
    EXPECT_EQ(inner->currentText(), "EAP/MS-CHAP V2");
    EXPECT_TRUE(Labels(dialog).contains("Inner EAP Protocol:"));
    Type(dialog, ids::kLoginName, "alice");
    Press(dialog, ids::kOk);
    EXPECT_EQ(messages(), std::vector<QString>{kCcxPasswordMessage});
}

TEST_F(CredentialDialogsTest, TtlsShowsAndStoresAnonymousWhenTheProfileHasNone) {
    Credentials values;
    values.protocol = 12;
    values.loginName = "alice";
    values.password = "secret";
    CTtlsDlg dialog(values, dialogs);
    EXPECT_EQ(dialog.windowTitle(), "WPA2 EAP/TTLS Radius Configuration");
    EXPECT_EQ(Text(dialog, ids::kAnonymousName), "Anonymous");
    EXPECT_EQ(Labels(dialog),
              (QStringList{"Inner Authentication Protocol:", "Anonymous Name:", "Login Name:", "Password:", "Domain:"}));
    Press(dialog, ids::kOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(values.anonymousName, "Anonymous");

    CTtlsDlg again(values, dialogs);
    Type(again, ids::kAnonymousName, "");
    Press(again, ids::kOk);
    EXPECT_EQ(messages(), std::vector<QString>{kTtlsMessage});
    EXPECT_EQ(values.anonymousName, "Anonymous");
}

TEST_F(CredentialDialogsTest, EditsTakeAt39BytesNotCharacters) {
    Credentials values;
    values.protocol = 3;
    CLeapDlg dialog(values, dialogs);
    Type(dialog, ids::kLoginName, QString(25, QChar(0x00FC)));  // two bytes each
    EXPECT_EQ(Text(dialog, ids::kLoginName), QString(19, QChar(0x00FC)));
    Type(dialog, ids::kPassword, QString(45, QChar('p')));
    EXPECT_EQ(Text(dialog, ids::kPassword), QString(39, QChar('p')));
    Press(dialog, ids::kOk);
    EXPECT_EQ(values.loginName.size(), 38u);
    EXPECT_EQ(values.password.size(), 39u);
}

// Control ids in Tab order: the enabled controls that take focus with Tab, in the focus chain.
std::vector<int> TabOrder(const QWidget& dialog) {
    std::vector<int> order;
    for (QWidget* w = dialog.nextInFocusChain(); w && w != &dialog; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && ui::HasControlId(*w))
            order.push_back(ui::ControlIdOf(*w));
    return order;
}

TEST_F(CredentialDialogsTest, TabGoesDownTheRowsThenToOkAndCancel) {
    Credentials values;
    values.protocol = 7;
    CTtlsDlg ttls(values, dialogs);
    EXPECT_EQ(TabOrder(ttls), (std::vector<int>{ids::kAnonymousName, ids::kLoginName, ids::kPassword, ids::kDomain,
                                                ids::kOk, ids::kCancel}));
    FakeCertificateStore store;
    values.protocol = 5;
    values.certificateName = "Radius CA";
    CEapTlsDlg tls(values, store, dialogs);
    EXPECT_EQ(TabOrder(tls), (std::vector<int>{ids::kLoginName, ids::kCertificate, ids::kViewCertificate, ids::kBrowse,
                                               ids::kOk, ids::kCancel}));
    std::string name;
    CertificateHash hash{};
    CSelectCertDlg list(store, name, hash);
    EXPECT_EQ(TabOrder(list), (std::vector<int>{ids::kCertificateList, ids::kOk, ids::kCancel}));  // "&View" disabled
}

class EapTlsDialogTest : public CredentialDialogsTest {
protected:
    EapTlsDialogTest() {
        store.set({Made("Radius CA", "alice"), Made(kLongIssuer, "bob", "20300101000000Z")});
        values.protocol = 10;
        values.loginName = "alice";
    }

    // "&Browse...", then the script's steps in the certificate list.
    void browse(CEapTlsDlg& dialog, ModalScript::Step inList) {
        ModalScript script;
        script.then(std::move(inList));
        Press(dialog, ids::kBrowse);
        EXPECT_EQ(script.seen(), std::vector<QString>{"tembrel::CSelectCertDlg"});
    }

    static void selectRow(QDialog& list, int row) {
        auto* table = Control<QTableWidget>(list, ids::kCertificateList);
        ASSERT_NE(table, nullptr);
        table->selectRow(row);
    }

    FakeCertificateStore store;
    Credentials values;
};

TEST_F(EapTlsDialogTest, BrowseSelectAndOkStoreTheIssuerCutTo39BytesAndTheHash) {
    CEapTlsDlg dialog(values, store, dialogs);
    EXPECT_EQ(dialog.windowTitle(), "WPA2 EAP/TLS Radius Configuration");
    EXPECT_TRUE(Control<QLineEdit>(dialog, ids::kCertificate)->isReadOnly());
    EXPECT_FALSE(Control<QPushButton>(dialog, ids::kViewCertificate)->isEnabled());
    EXPECT_EQ(Control<QPushButton>(dialog, ids::kBrowse)->text(), "&Browse...");

    Press(dialog, ids::kOk);
    EXPECT_EQ(messages(), std::vector<QString>{kCertificateMessage});

    browse(dialog, [](QDialog& list) {
        selectRow(list, 1);
        Press(list, ids::kOk);
    });
    const std::string cut = kLongIssuer.substr(0, 39);
    EXPECT_EQ(Text(dialog, ids::kCertificate), QString::fromStdString(cut));
    EXPECT_TRUE(Control<QPushButton>(dialog, ids::kViewCertificate)->isEnabled());
    EXPECT_TRUE(values.certificateName.empty());  // not before OK

    Press(dialog, ids::kOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(values.certificateName, cut);
    EXPECT_EQ(values.certificateHash, store.certificates()[1].sha1);
    EXPECT_EQ(values.loginName, "alice");

    // The cut name still finds its certificate for "View".
    CEapTlsDlg reopened(values, store, dialogs);
    ModalScript script;
    script.then([](QDialog& viewer) {
        auto* table = Control<QTableWidget>(viewer, ids::kFieldList);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->item(3, 1)->text().toStdString(), kLongIssuer);
        EXPECT_EQ(table->item(6, 1)->text(), "bob");
        // The public key, cut in its cell, shows whole and selectable below the list.
        const int key = 7;
        ASSERT_EQ(table->item(key, 0)->text(), "Subject Public Key");
        table->setCurrentCell(key, 0);
        auto* whole = Control<QPlainTextEdit>(viewer, ids::kFieldValue);
        ASSERT_NE(whole, nullptr);
        EXPECT_EQ(whole->toPlainText(), table->item(key, 1)->text());
        EXPECT_GT(whole->toPlainText().size(), 100);
        EXPECT_TRUE(whole->isReadOnly());
        viewer.accept();
    });
    Press(reopened, ids::kViewCertificate);
    EXPECT_EQ(script.seen(), std::vector<QString>{"tembrel::CViewCertDlg"});
}

TEST_F(EapTlsDialogTest, SelectWithoutASelectionAndCancelKeepThePreviousCertificate) {
    values.certificateName = "Radius CA";
    values.certificateHash = store.certificates()[0].sha1;
    CEapTlsDlg dialog(values, store, dialogs);
    EXPECT_TRUE(Control<QPushButton>(dialog, ids::kViewCertificate)->isEnabled());

    browse(dialog, [](QDialog& list) { Press(list, ids::kOk); });
    EXPECT_EQ(Text(dialog, ids::kCertificate), "Radius CA");
    browse(dialog, [](QDialog& list) {
        selectRow(list, 1);
        Press(list, ids::kCancel);
    });
    EXPECT_EQ(Text(dialog, ids::kCertificate), "Radius CA");
    Press(dialog, ids::kOk);
    EXPECT_EQ(values.certificateName, "Radius CA");
    EXPECT_EQ(values.certificateHash, store.certificates()[0].sha1);
}

TEST_F(EapTlsDialogTest, AStaleCertificateNameShowsNothing) {
    values.certificateName = "Renamed CA";  // the issuer of the certificate with this hash is "Radius CA"
    values.certificateHash = store.certificates()[0].sha1;
    CEapTlsDlg dialog(values, store, dialogs);
    ModalScript script;
    Press(dialog, ids::kViewCertificate);
    EXPECT_TRUE(script.seen().empty());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(EapTlsDialogTest, TheListShowsTheStoreAndViewFollowsTheSelection) {
    std::string name = "unchanged";
    CertificateHash hash{};
    CSelectCertDlg list(store, name, hash);
    EXPECT_EQ(list.windowTitle(), "Select Certificate");
    EXPECT_EQ(Control<QGroupBox>(list, ids::kCertificateGroup)->title(), "Personal Certificates");
    auto* table = Control<QTableWidget>(list, ids::kCertificateList);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->columnCount(), 3);
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "Issuer");
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Subject");
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "Valid Before");
    EXPECT_TRUE(table->showGrid());
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 0)->text(), "Radius CA");
    EXPECT_EQ(table->item(0, 1)->text(), "alice");
    EXPECT_EQ(table->item(0, 2)->text(), "Jan 5, 2008");
    EXPECT_EQ(table->item(1, 0)->text().toStdString(), kLongIssuer);  // the list shows the whole name
    list.show();
    QApplication::processEvents();
    // All three columns in sight; the long issuer is cut, and read whole in its tooltip.
    EXPECT_LE(table->columnViewportPosition(2) + table->columnWidth(2), table->viewport()->width());
    for (int column = 0; column < 3; ++column) EXPECT_GT(table->columnWidth(column), 0) << column;
    EXPECT_EQ(table->item(1, 0)->toolTip().toStdString(), kLongIssuer);
    EXPECT_EQ(table->item(1, 2)->text(), "Jan 1, 2030");

    auto* view = Control<QPushButton>(list, ids::kView);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->text(), "&View");
    EXPECT_EQ(Control<QPushButton>(list, ids::kOk)->text(), "&Select");
    EXPECT_EQ(Control<QPushButton>(list, ids::kCancel)->text(), "&Cancel");
    EXPECT_FALSE(view->isEnabled());
    table->selectRow(1);
    EXPECT_TRUE(view->isEnabled());

    // "&View" from the list finds the row's certificate by its whole issuer name.
    ModalScript script;
    script.then([](QDialog& viewer) { viewer.reject(); });
    view->click();
    EXPECT_EQ(script.seen(), std::vector<QString>{"tembrel::CViewCertDlg"});

    table->clearSelection();
    EXPECT_FALSE(view->isEnabled());
    EXPECT_EQ(name, "unchanged");
}

TEST_F(EapTlsDialogTest, AnEmptyStoreListsNothing) {
    FakeCertificateStore empty;
    std::string name;
    CertificateHash hash{};
    CSelectCertDlg list(empty, name, hash);
    EXPECT_EQ(Control<QTableWidget>(list, ids::kCertificateList)->rowCount(), 0);
    Press(list, ids::kOk);
    EXPECT_EQ(list.result(), QDialog::Accepted);
    EXPECT_TRUE(name.empty());
}

TEST(CertificateViewerTest, NineRowsWithoutHeaders) {
    test::CertificateSpec spec;
    spec.issuer = {{"CN", "Radius CA"}};
    spec.subject = {{"CN", "alice"}};
    spec.version = 0;
    spec.serial = {0x12, 0x34};
    const auto parsed = ParseCertificateFile(test::MakeCertificatePem(spec));
    ASSERT_EQ(parsed.size(), 1u);
    CViewCertDlg viewer(parsed.front());
    EXPECT_EQ(viewer.windowTitle(), "View Certificate");
    auto* table = Control<QTableWidget>(viewer, ids::kFieldList);
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->horizontalHeader()->isHidden());
    EXPECT_TRUE(table->showGrid());
    ASSERT_EQ(table->rowCount(), 9);
    const QStringList labels = {"Version",    "Serial Number", "Signature Algorithm", "Issuer",
                                "Not Before", "Not After",     "Subject",             "Subject Public Key",
                                "PublicKey Algorithm"};
    for (int row = 0; row < 9; ++row) EXPECT_EQ(table->item(row, 0)->text(), labels[row]);
    EXPECT_EQ(table->item(0, 1)->text(), "V0");
    EXPECT_EQ(table->item(1, 1)->text(), "34 12 ");
    EXPECT_EQ(table->item(2, 1)->text(), "1.2.840.10045.4.3.2");
    EXPECT_EQ(table->item(5, 1)->text(), "Jan 5, 2008");
    EXPECT_TRUE(table->item(7, 1)->text().startsWith("04 "));
}

}  // namespace
}  // namespace tembrel
