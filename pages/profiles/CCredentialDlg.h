#pragma once
// What the four 802.1x credential dialogs share: a titled grid of byte-limited edits bound to
// credential values, OK that checks the dialog's required values and stores them into the
// owner's values, and Cancel that stores nothing.

#include "pages/profiles/logic/CredentialRules.h"
#include "pages/profiles/logic/Credentials.h"

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;

namespace tembrel {

class DialogService;

class CCredentialDlg : public QDialog {
    Q_OBJECT
public:
    ~CCredentialDlg() override;

    CredentialDialogKind kind() const { return kind_; }

    // OK: the first missing required value is told in a message box (exclamation) and the
    // dialog stays open; otherwise the dialog's values go to the owner and it closes with OK.
    void OnOK();

protected:
    // dialogs: the service for the message box (the page's).
    CCredentialDlg(CredentialDialogKind kind, Credentials& values, DialogService& dialogs, QWidget* parent);

    // A labelled edit on the next row, showing and later reading `field` of the values.
    QLineEdit* addEdit(int id, const char* label, std::string Credentials::*field);
    // The disabled one-entry list of the inner protocol on the next row.
    QComboBox* addInnerProtocol(const char* label);
    // OK and Cancel under the rows; call last.
    void addButtons();

    QGridLayout& grid() { return *grid_; }
    // The next free row of the grid, for a row laid out by hand.
    int takeRow() { return rows_++; }
    // The values as the dialog shows them (the owner's, cut to the field size, with defaults).
    Credentials& shown() { return shown_; }
    DialogService& dialogs() { return dialogs_; }
    // The edits' texts into shown().
    void readEdits();

private:
    CredentialDialogKind kind_;
    Credentials& values_;
    Credentials shown_;
    DialogService& dialogs_;
    QGridLayout* grid_;
    int rows_ = 0;
    std::vector<std::pair<QLineEdit*, std::string Credentials::*>> edits_;
};

}  // namespace tembrel
