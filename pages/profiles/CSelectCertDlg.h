#pragma once
// "Select Certificate": the personal certificates as a list (Issuer, Subject, Valid Before);
// "&Select" hands the chosen one's issuer name and hash to the caller, "&View" shows it.

#include "platform/CertificateStore.h"

#include <QDialog>

#include <string>

class QPushButton;
class QTableWidget;

namespace tembrel {

class CSelectCertDlg : public QDialog {
    Q_OBJECT
public:
    // `certificateName` and `hash` are the caller's; "&Select" with a row selected replaces them.
    CSelectCertDlg(const CertificateStore& store, std::string& certificateName, CertificateHash& hash,
                   QWidget* parent = nullptr);

    // "&View": the viewer on the selected row's certificate.
    void OnView();
    // "&Select": the selected row (if any) becomes the caller's certificate; closes with OK.
    void OnSelect();

protected:
    // Keeps the columns at their shares of the list's width.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill();
    int selectedRow() const;
    CertificateHash rowHash(int row) const;

    const CertificateStore& store_;
    std::string& certificateName_;
    CertificateHash& hash_;
    QTableWidget* list_ = nullptr;
    QPushButton* view_ = nullptr;
};

}  // namespace tembrel
