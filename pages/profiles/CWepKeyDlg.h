#pragma once
// "Configure WEP Key": the four WEP keys of a profile as ASCII text or hexadecimal digits, 40 or
// 104 bits, and the transmit key. Works on the security page's WEP_KEY_SET, which it changes
// only on OK. The rules are WepKeyEditor's; the key format persists as "WepKeyFmt".

#include <QDialog>

#include <array>

#include "pages/profiles/logic/WepKeyEditor.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tembrel {

class DialogService;
class Settings;

class CWepKeyDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdFormat = 1064;
    static constexpr int kIdSize = 1070;
    static constexpr int kIdRadio1 = 1050;  // 1050..1053
    static constexpr int kIdKey1 = 1054;    // 1054..1057
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    // The note under the keys when a key text was cut, and its button that switches format and
    // size to ones that hold the whole text (ids of this program, not of the documented dialog).
    static constexpr int kIdCutNotice = 1080;
    static constexpr int kIdSwitch = 1081;
    static constexpr const char* kSizeQuestion = "Change WEP key size will reset all the WEP key values, continue? ";

    CWepKeyDlg(WEP_KEY_SET& keys, Settings& settings, DialogService& dialogs, QWidget* parent = nullptr);

    const WepKeyEditor& editor() const { return editor_; }
    void accept() override;

private:
    void fillSizes();
    void showTexts();
    void showRadios();
    void onKeyEdited(int key, const QString& text);
    void onSize(int index);
    void onFormat(int index);
    // Shows or hides the note about key `key`'s cut text.
    void showCutNotice(int key);
    void onSwitch();

    WEP_KEY_SET& keys_;
    Settings& settings_;
    DialogService& dialogs_;
    WepKeyEditor editor_;
    QComboBox* format_;
    QComboBox* size_;
    std::array<QRadioButton*, 4> radios_{};
    std::array<QLineEdit*, 4> edits_{};
    QButtonGroup* radioGroup_;
    QLabel* cutNotice_;
    QPushButton* switch_;
    int noticeKey_ = 0;  // the key the note is about, 0 while hidden
};

}  // namespace tembrel
