#pragma once
// The Auto Link dialog: lists the access points that offer one-touch setup, asks for the PIN
// and either runs the exchange with an unconfigured access point (open association, then the
// PIN and the card's IP settings in two setup records, then the library's exchange events) or
// joins an access point configured earlier by Auto Link with the PIN as WPA-PSK passphrase.
// While it is open it is the library's event receiver; every way out gives the events back to
// the main window's receiver.

#include "connection/AutoLinkCandidates.h"
#include "pages/PageContext.h"
#include "pages/autolink/logic/FastJoinRecords.h"
#include "profiles/ProfileRecord.h"
#include "ui/logic/DialogClock.h"

#include <Tembrel.h>

#include <QDialog>
#include <QPointer>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QEventLoop;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tembrel {

class LibraryEventBridge;
namespace ui {
class CountdownBox;
}

// What only the Auto Link flow has.
struct AutoLinkDlgSetup {
    // The main window's receiver: events 2, 8 and 9 are passed on to it, and it gets the
    // library's events back when the dialog closes.
    const ZARN9100_EVENT_SINK* mainWindowSink = nullptr;
    // Time of the countdown boxes and of the association limit; null: real time.
    std::shared_ptr<ui::DialogClock> clock;
};

class CAutoLinkDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdAccessPoints = 1400;
    static constexpr int kIdStatus = 1401;
    static constexpr int kIdPin = 1402;
    static constexpr int kIdConfirmLabel = 1403;
    static constexpr int kIdConfirm = 1404;
    static constexpr int kIdDoNotAsk = 1405;
    static constexpr int kIdApply = 1406;
    static constexpr int kIdExit = 1407;
    // Item data of a list entry besides the documented value (Qt::UserRole): the SSID bytes.
    static constexpr int kSsidRole = Qt::UserRole + 1;

    CAutoLinkDlg(PageContext& context, AutoLinkDlgSetup setup, QWidget* parent = nullptr);
    ~CAutoLinkDlg() override;

    void setCandidates(const std::vector<AutoLinkCandidate>& candidates);

    // Opening (event receiver, list, selection), then modal until closed.
    int exec() override;
    // Closes with Cancel from outside (the card went away, the program ends) without
    // touching the Auto Link option.
    void Abandon();

    // A successful exchange prepared profile().
    bool profilePrepared() const { return done_; }
    const PROFILE_RECORD& profile() const { return profile_; }
    bool isOpen() const { return open_; }

    // Handlers.
    void OnInitDialog();
    void OnSelChange();
    void OnApply();
    void OnExit();
    void OnLibraryEvent(quintptr code, qintptr param);
    void OnTimer();

    void done(int result) override;
    void reject() override { OnExit(); }

private:
    void buildControls();
    bool associate();
    void startExchange();
    void exchangeSucceeded();
    void exchangeFailed();
    void storeAutoLinkChoice();
    void passOn(quintptr code, qintptr param);
    void setStatus(std::string_view text);
    void showBox(std::string_view text);
    void setBusy(bool busy);
    void stopTimer();
    // Nested waits; false when the dialog closed or the card went away meanwhile.
    bool countdown(std::string_view text, int seconds);
    bool waitMs(int ms);
    bool alive() const;

    PageContext& context_;
    AutoLinkDlgSetup setup_;
    LibraryEventBridge* events_;
    QComboBox* accessPoints_;
    QLabel* status_;
    QLineEdit* pin_;
    QLabel* confirmLabel_;
    QLineEdit* confirm_;
    QCheckBox* doNotAsk_;
    QPushButton* apply_;
    QPushButton* exit_;

    std::string ssid_;
    uint32_t apTag_ = 0;
    uint32_t state_ = 0;
    std::string appliedPin_;  // the PIN the running attempt uses
    bool pending_ = false;
    bool exchanging_ = false;  // the setup records went out and no outcome came back yet
    bool done_ = false;
    bool open_ = false;
    bool busy_ = false;
    CardIpSettings ip_;
    PROFILE_RECORD profile_{};
    std::unique_ptr<ui::DialogTimer> timer_;
    // The nested waits under way, innermost last; closing the dialog ends them all.
    std::vector<QPointer<ui::CountdownBox>> countdowns_;
    std::vector<QEventLoop*> waits_;
};

}  // namespace tembrel
