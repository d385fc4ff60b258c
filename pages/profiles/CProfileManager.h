#pragma once
// The Profile Manager page: the profile list with a prefer-list check box per profile and the
// Profile Setting pane that edits the selected one; create, delete, save, reorder and apply.
// Every list item carries its record's identity: the supervisor may reorder the list meanwhile.

#include "pages/CZarn9100Page.h"

#include <optional>

class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;

namespace tembrel {

class CProfileWizard;

class CProfileManager : public CZarn9100Page {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Profile Manager";
    static constexpr int kDialogId = 103;
    static constexpr int kIdList = 1000;
    static constexpr int kIdSettingGroup = 1036;
    static constexpr int kIdApply = 1011;
    static constexpr int kIdMoveUp = 1028;
    static constexpr int kIdMoveDown = 1029;
    static constexpr int kIdDelete = 1038;
    static constexpr int kIdCreate = 1014;
    static constexpr int kIdSave = 1037;
    // Context menu entries.
    static constexpr int kCmdSwitch = 32790;
    static constexpr int kCmdAddToPrefer = 32791;
    static constexpr int kCmdRemoveFromPrefer = 32792;
    static constexpr int kCmdAddAllToPrefer = 32793;
    static constexpr int kCmdEmptyPrefer = 32794;

    static constexpr const char* kPreferTip = "Add/Remove Profile from Auto Configuration Prefer List.";

    explicit CProfileManager(PageContext& context, QWidget* parent = nullptr);

    void OnSetActive() override;
    // Unsaved changes in the pane are stored first; a check that fails keeps the page.
    bool OnKillActive() override;
    void OnLibraryEvent(quintptr code, qintptr param, const QString& text) override;
    void OnProfilesChanged() override;

    void OnCreate();
    void OnDelete();
    void OnSave();
    void OnMove(int direction);
    void OnApplyProfile();
    void OnMenuCommand(int id);

    CProfileWizard& pane() const { return *pane_; }
    QMenu& contextMenu() const { return *menu_; }
    // The record of the selected item, when it is still in the profile list.
    ProfilePtr selectedRecord() const;

private:
    // The parts of the window this page uses.
    CardRole& card_;
    ConnectionRole& connection_;
    ProfilesRole& profiles_;
    EnvironmentRole& environment_;
    void buildControls();
    // Fills the list from the profile list; `select`: the record to select (else the in-use one
    // shown with its icon, else the first).
    void fillList(const PROFILE_RECORD* select = nullptr, bool strictInUseTest = true);
    void focusList();
    void onSelectionChanged();
    void updateButtons();
    void updateIcons(bool strictInUseTest);
    void selectRecord(const PROFILE_RECORD* record);
    // The items in the list's present order (a record moved elsewhere meanwhile).
    void followListOrder();
    void storeCollectedName(const PROFILE_RECORD* record);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QListWidget* list_ = nullptr;
    CProfileWizard* pane_ = nullptr;
    QMenu* menu_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* moveUp_ = nullptr;
    QPushButton* moveDown_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* create_ = nullptr;
    QPushButton* save_ = nullptr;
    bool filling_ = false;
};

}  // namespace tembrel
