#pragma once
// "EAP/TLS Radius Configuration": login name and client certificate of an EAP/TLS profile
// (protocol 5, 10 or 15). The certificate is chosen from the personal store in the certificate
// list ("&Browse...") and shown in the viewer ("View"). Title prefix "WPA2 " for 10, else "WPA ".

#include "pages/profiles/CCredentialDlg.h"

class QLineEdit;
class QPushButton;

namespace tembrel {

class CertificateStore;

class CEapTlsDlg : public CCredentialDlg {
    Q_OBJECT
public:
    CEapTlsDlg(Credentials& values, const CertificateStore& store, DialogService& dialogs, QWidget* parent = nullptr);

    // "&Browse...": the certificate list on the dialog's certificate; after "&Select" the
    // (possibly new) name is shown and "View" is enabled exactly when it is not empty.
    void OnBrowse();
    // "View": the viewer on the certificate with the dialog's hash and name, if the store has it.
    void OnView();

private:
    void showCertificate();

    const CertificateStore& store_;
    QLineEdit* certificate_ = nullptr;
    QPushButton* view_ = nullptr;
};

}  // namespace tembrel
