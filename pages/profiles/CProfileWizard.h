#pragma once
// The profile wizard: the pages that edit one profile record, in three modes.
//
//   create     "Create New Profile": modal wizard, pages Network Info, Security, Protocol and
//              Complete with Back / Next / Finish / Cancel. Finish checks every page and makes
//              a new record.
//                  ProfilePtr made = CProfileWizard::CreateProfile(context, parent, &seed);
//              `seed` (optional) fills the pages first, e.g. SSID, network type, channel and
//              security of a scanned network; the new record starts as a copy of it (zero-filled
//              without one) and has inPreferList 1. Null when the user cancelled. The caller
//              adds it to the profile list.
//   configure  "Configure Network": modal dialog with the Security page only, OK / Cancel.
//                  bool ok = CProfileWizard::ConfigureProfile(context, parent, record);
//              OK checks the page and stores it into `record`; Cancel leaves it untouched. A
//              record of the profile list is written under the list's lock.
//   pane       empty caption: the pages as tabs inside a host widget, no buttons. The host
//              (the Profile Manager page) calls
//                  wizard.LoadProfileIntoPages(record);   // shows it; isModified() false
//                  wizard.EnablePages(false);             // e.g. for "<Default>"
//                  bool saved = wizard.CollectProfile();  // checks, then stores
//              and listens to modified() (every user change) to enable its "&Save".
//              CollectProfile finds the loaded record in the profile list by identity (never
//              by row: the supervisor may reorder the list meanwhile) and writes it under the
//              list's lock; it fails when a check fails (the page showed its message) or when
//              the record is no longer in the list.
//
// Only the user's actions change values or send modified(): loading and refreshing controls
// never do, and a value a list cannot show (a wireless mode or 802.1x protocol from the site
// survey or an imported file) is stored back unchanged unless the user changed that list.

#include <QDialog>

#include <memory>

#include "pages/PageContext.h"
#include "pages/profiles/logic/ProfileEditor.h"

class QLabel;
class QPushButton;
class QStackedWidget;
class QTabWidget;

namespace tembrel {

class CAdvSettgPage;
class CBasicSettgPage;
class CCompleteWiz;
class CSecuritySettgPage;

class CProfileWizard : public QDialog {
    Q_OBJECT
public:
    using Mode = WizardMode;

    static constexpr const char* kCreateCaption = "Create New Profile";
    static constexpr const char* kConfigureCaption = "Configure Network";
    // Buttons (ids as the system's property sheets number them).
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdBack = 0x3023;
    static constexpr int kIdNext = 0x3024;
    static constexpr int kIdFinish = 0x3025;
    static constexpr int kIdPageTabs = 0x3020;

    // Create mode, run modally. See above.
    static ProfilePtr CreateProfile(PageContext& context, QWidget* parent, const PROFILE_RECORD* seed = nullptr);
    // Configure mode, run modally on `record`. True when OK stored the page.
    static bool ConfigureProfile(PageContext& context, QWidget* parent, const ProfilePtr& record);

    // A wizard in `mode`; in pane mode `parent` is the host and the wizard is a child widget.
    // Shown with show() it runs without a modal loop (tests, the gallery).
    CProfileWizard(Mode mode, PageContext& context, QWidget* parent = nullptr);
    ~CProfileWizard() override;

    Mode mode() const { return editor_.mode(); }
    PageContext& context() const { return context_; }
    ProfileEditor& editor() { return editor_; }

    // Shows `record` in every page and remembers it as the record being edited. Nothing is
    // marked modified. A record of the profile list is read under the list's lock.
    void LoadProfileIntoPages(const ProfilePtr& record);
    ProfilePtr editedRecord() const { return edited_; }
    // Checks every page in order (showing the first problem's message, on that page) and, on
    // success, stores the pages into the edited record. See the pane mode above.
    bool CollectProfile();
    // The pages follow `enabled`.
    void EnablePages(bool enabled);
    void ShowFirstPage();

    // Whether the user changed anything since the last load or collect.
    bool isModified() const { return modified_; }

    // Create mode: the record Finish made (null before).
    ProfilePtr createdProfile() const { return created_; }
    // Create mode: which page is shown (0 Network Info ... 3 Complete).
    int currentPageIndex() const;
    void showPage(int index);

    // Page hooks.
    void pageChanged();
    void networkChangedByUser();
    // Null for a page the mode does not have; the pane builds Security and Protocol when their
    // tab is first shown.
    CBasicSettgPage* networkPage() const { return network_; }
    CSecuritySettgPage* securityPage() const { return security_; }
    CAdvSettgPage* protocolPage() const { return protocol_; }
    CCompleteWiz* completionPage() const { return completion_; }

    // Create mode: Finish (on the last page, or after a failed Finish); configure mode: OK.
    // In pane mode the host decides when to save: OK, Cancel, Return and Escape go to the host.
    void accept() override;
    void reject() override;

signals:
    // A user change on any page.
    void modified();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildCreateMode();
    void buildConfigureMode();
    void buildPaneMode();
    // Builds the pane of a tab shown for the first time.
    void buildPane(int index);
    void refreshPages();
    void updateWizardButtons();
    void back();
    void next();
    void focusPage();
    void finish();
    // Checks the pages; on a problem shows its page and message.
    bool validatePages(const PROFILE_RECORD* self);
    bool storeIntoEdited();

    PageContext& context_;
    ProfileEditor editor_;
    ProfilePtr edited_;
    ProfilePtr created_;
    bool modified_ = false;
    bool finishFailed_ = false;
    bool panesEnabled_ = true;  // as EnablePages last set it, for panes built later

    CBasicSettgPage* network_ = nullptr;
    CSecuritySettgPage* security_ = nullptr;
    CAdvSettgPage* protocol_ = nullptr;
    CCompleteWiz* completion_ = nullptr;

    QStackedWidget* stack_ = nullptr;  // create mode
    QTabWidget* tabs_ = nullptr;       // pane mode
    QLabel* headerTitle_ = nullptr;
    QPushButton* backButton_ = nullptr;
    QPushButton* nextButton_ = nullptr;
    QPushButton* finishButton_ = nullptr;
};

}  // namespace tembrel
