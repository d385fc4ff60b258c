#include "CredentialDialogs.h"

#include "app/CZarn9100Sheet.h"
#include "pages/profiles/CEapTlsDlg.h"
#include "pages/profiles/CLeapDlg.h"
#include "pages/profiles/CPeapDlg.h"
#include "pages/profiles/CSelectCertDlg.h"
#include "pages/profiles/CTtlsDlg.h"
#include "pages/profiles/CViewCertDlg.h"
#include "pages/profiles/logic/CertificateChoice.h"
#include "platform/CertificateStore.h"
#include "tests/support/CertificateMaker.h"

#include <fstream>

namespace tembrel::gallery {

namespace {

// Two certificates in one PEM file, as a user would copy them there: the second one's issuer is
// longer than a profile keeps.
bool PutCertificates(CZarn9100Sheet& sheet, QString& missing) {
    const std::filesystem::path folder = sheet.pageContext().dataFolder() / "certificates";
    const std::filesystem::path file = folder / "gallery.pem";
    std::error_code error;
    if (std::filesystem::exists(file, error)) return true;
    test::CertificateSpec first;
    first.issuer = {{"O", "Orvix"}, {"CN", "Orvix Radius CA"}};
    first.subject = {{"CN", "alice"}, {"emailAddress", "alice@orvix.example"}};
    first.serial = {0x4F, 0x1A, 0x00, 0x2C};
    first.notBefore = "20060105000000Z";
    first.notAfter = "20080105120000Z";
    test::CertificateSpec second;
    second.issuer = {{"CN", "Orvix Wireless Certification Authority for Radius Clients"}};
    second.subject = {{"CN", "alice@orvix.example"}};
    second.notBefore = "20250101000000Z";
    second.notAfter = "20300101000000Z";
    const std::string pem = test::MakeCertificatePem(first) + test::MakeCertificatePem(second);
    std::filesystem::create_directories(folder, error);
    std::ofstream out(file, std::ios::binary);
    if (pem.empty() || !(out << pem) || !(out.flush())) {
        missing = QString::fromStdString("cannot make the certificates in " + folder.string());
        return false;
    }
    return true;
}

// Opens a dialog made by `run` once the certificates are in place.
template <typename Run>
DialogPreparer WithCertificates(Run run) {
    return [run](CZarn9100Sheet& sheet, QString& missing) -> DialogOpener {
        if (!PutCertificates(sheet, missing)) return {};
        return [&sheet, run] { run(sheet); };
    };
}

Credentials Filled(uint32_t protocol) {
    Credentials values;
    values.protocol = protocol;
    values.loginName = "alice";
    values.password = "correct horse";
    values.domain = "ORVIX";
    return values;
}

}  // namespace

std::vector<DialogEntry> CredentialDialogEntries() {
    return {
        {"dialog-leap", "Security: CCX LEAP credentials", WithCertificates([](CZarn9100Sheet& sheet) {
             Credentials values = Filled(8);
             CLeapDlg(values, sheet.pageContext().dialogs(), &sheet).exec();
         })},
        {"dialog-peap", "Security: WPA2 PEAP credentials", WithCertificates([](CZarn9100Sheet& sheet) {
             Credentials values = Filled(11);
             CPeapDlg(values, sheet.pageContext().dialogs(), &sheet).exec();
         })},
        {"dialog-ttls", "Security: WPA EAP/TTLS credentials (no anonymous name yet)",
         WithCertificates([](CZarn9100Sheet& sheet) {
             Credentials values = Filled(7);
             CTtlsDlg(values, sheet.pageContext().dialogs(), &sheet).exec();
         })},
        {"dialog-eap-tls", "Security: WPA2 EAP/TLS credentials with a certificate",
         WithCertificates([](CZarn9100Sheet& sheet) {
             Credentials values = Filled(10);
             const auto certificates = sheet.pageContext().certificateStore().certificates();
             if (!certificates.empty()) {
                 values.certificateName = CertificateNameOf(certificates.front().issuerName);
                 values.certificateHash = certificates.front().sha1;
             }
             CEapTlsDlg(values, sheet.pageContext().certificateStore(), sheet.pageContext().dialogs(), &sheet).exec();
         })},
        {"dialog-select-certificate", "Security: EAP/TLS, Select Certificate", WithCertificates([](CZarn9100Sheet& sheet) {
             std::string name;
             CertificateHash hash{};
             CSelectCertDlg(sheet.pageContext().certificateStore(), name, hash, &sheet).exec();
         })},
        {"dialog-view-certificate", "Security: EAP/TLS, View Certificate", WithCertificates([](CZarn9100Sheet& sheet) {
             const auto certificates = sheet.pageContext().certificateStore().certificates();
             if (certificates.empty()) return;
             CViewCertDlg(certificates.front(), &sheet).exec();
         })},
    };
}

}  // namespace tembrel::gallery
