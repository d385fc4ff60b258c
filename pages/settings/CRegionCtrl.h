#pragma once
// The Region page: the card's 802.11d behaviour (its own default, the access points' beacons,
// or strictly one country of Region.cfg), sent to the card at once, and what the card reports
// back. The main window adds it when the settings file asks for it ("Debug"/"RegionPage").

#include "pages/CZarn9100Page.h"
#include "pages/settings/logic/RegionFile.h"

#include <vector>

class QComboBox;
class QPlainTextEdit;
class QRadioButton;

namespace tembrel {

class CRegionCtrl : public CZarn9100Page {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Region";
    static constexpr int kDialogId = 112;
    static constexpr int kIdDisabled = 1401;
    static constexpr int kIdFlexible = 1402;
    static constexpr int kIdStrict = 1403;
    static constexpr int kIdCountry = 1404;
    static constexpr int kIdInformation = 1405;
    // Time the card gets after a Set before the page reads the setting back.
    static constexpr int kSetSettleMs = 100;

    explicit CRegionCtrl(PageContext& context, QWidget* parent = nullptr);

    void OnSetActive() override;

    // Reads Region.cfg and the card's region control again.
    void Refresh();
    void OnDisabled();
    void OnFlexible();
    void OnStrict();
    // A country chosen in the list (its position in the list).
    void OnCountryChosen(int position);

    // The countries of the file as last read, in list order.
    const std::vector<RegionEntry>& countries() const { return countries_; }

private:
    // The parts of the window this page uses.
    CardRole& card_;
    EnvironmentRole& environment_;
    void sendMode(uint8_t mode);
    void send(const _ZARN9100_REGION_CTRL& record);
    void clearSelectionAndText(bool disableList);
    void showInformation(const _ZARN9100_REGION_CTRL& record);

    std::vector<RegionEntry> countries_;
    QRadioButton* disabled_ = nullptr;
    QRadioButton* flexible_ = nullptr;
    QRadioButton* strict_ = nullptr;
    QComboBox* country_ = nullptr;
    QPlainTextEdit* information_ = nullptr;
};

}  // namespace tembrel
