#pragma once
// "View Certificate": nine rows of label and value (version, serial number, algorithms, names,
// validity, public key) of one certificate; the chosen row's value, which the list cuts, shows
// whole below it, selectable and scrolling.

#include "platform/CertificateStore.h"

#include <QDialog>

#include <string_view>

class QPlainTextEdit;
class QTableWidget;

namespace tembrel {

class CViewCertDlg : public QDialog {
    Q_OBJECT
public:
    explicit CViewCertDlg(const Certificate& certificate, QWidget* parent = nullptr);

    // Finds the store's certificate with `hash` whose issuer matches `name` (FindCertificate)
    // and shows it modally; false, and nothing shown, when there is none.
    static bool ShowFor(const CertificateStore& store, std::string_view name, const CertificateHash& hash,
                        QWidget* parent);

protected:
    // Keeps the columns at their shares of the list's width.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableWidget* list_ = nullptr;
    QPlainTextEdit* value_ = nullptr;
};

}  // namespace tembrel
