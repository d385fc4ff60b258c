#pragma once
// "Advanced Filter": which SSID, which BSSID and which channels the Site Survey's scans look for.
// Edits the page's filter in place when closed with OK.

#include "pages/survey/logic/FilterSettings.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace tembrel {

class DialogService;

class CAdvancedFilterDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 120;
    static constexpr int kIdAnySsid = 1201;
    static constexpr int kIdFindSsid = 1202;
    static constexpr int kIdSsid = 1203;
    static constexpr int kIdAnyBssid = 1204;
    static constexpr int kIdFindBssid = 1205;
    static constexpr int kIdBssidFirst = 1206;  // six edits: 1206 to 1211
    static constexpr int kIdAllChannels = 1212;
    static constexpr int kIdSingleChannel = 1213;
    static constexpr int kIdChannelRange = 1214;
    static constexpr int kIdSingle = 1215;
    static constexpr int kIdRangeStart = 1216;
    static constexpr int kIdRangeEnd = 1217;

    CAdvancedFilterDlg(SurveyFilter& filter, DialogService& dialogs, QWidget* parent = nullptr);

    void accept() override;

private:
    void applyBssidRule();
    void applySsidRule();
    void applyChannelRule();
    void fillCombo(QComboBox* box, const std::vector<uint32_t>& channels, uint32_t selected);

    SurveyFilter& filter_;
    DialogService& dialogs_;
    QRadioButton* anySsid_ = nullptr;
    QRadioButton* findSsid_ = nullptr;
    QLineEdit* ssid_ = nullptr;
    QRadioButton* anyBssid_ = nullptr;
    QRadioButton* findBssid_ = nullptr;
    std::array<QLineEdit*, 6> bssid_{};
    QRadioButton* allChannels_ = nullptr;
    QRadioButton* singleChannel_ = nullptr;
    QRadioButton* channelRange_ = nullptr;
    QComboBox* single_ = nullptr;
    QComboBox* rangeStart_ = nullptr;
    QComboBox* rangeEnd_ = nullptr;
};

}  // namespace tembrel
