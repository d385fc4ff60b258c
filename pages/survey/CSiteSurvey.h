#pragma once
// The Site Survey page: the networks the card hears, narrowed by kind and by the advanced
// filter; "&Refresh" scans again, "&Associate" joins the chosen network through a matching
// profile or a new one.

#include "pages/CZarn9100Page.h"
#include "pages/survey/logic/SurveyListing.h"
#include "survey/ScanEntry.h"
#include "survey/ScanRequests.h"

#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace tembrel {

class CSiteSurvey : public CZarn9100Page {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Site Survey";
    static constexpr CardUse kCardUse = CardUse::NeedsOpenCard;
    static constexpr int kDialogId = 105;
    static constexpr int kIdList = 1040;
    static constexpr int kIdRefresh = 1041;
    static constexpr int kIdAssociate = 1042;
    static constexpr int kIdTest = 1043;
    static constexpr int kIdFilter = 1044;
    static constexpr int kIdDisassociate = 1045;
    static constexpr int kIdShowPeerToPeer = 1046;
    static constexpr int kIdShowG = 1047;
    static constexpr int kIdShowA = 1048;
    static constexpr int kIdShowB = 1049;
    static constexpr int kIdNotice = 1050;

    explicit CSiteSurvey(PageContext& context, QWidget* parent = nullptr);

    void OnSetActive() override;
    void OnLibraryEvent(quintptr code, qintptr param, const QString& text) override;

    // "&Refresh": a new scan as the filter asks, then the list again.
    void OnRefresh();
    // "&Associate" or a double click on a row.
    void OnAssociate();
    // "&Filter": the advanced filter dialog on the page's filter.
    void OnFilter();
    void RebuildList();

    const std::vector<survey::SurveyRow>& rows() const { return rows_; }
    const SurveyFilter& filter() const { return filter_; }
    void setFilter(const SurveyFilter& filter) { filter_ = filter; }

private:
    // The parts of the window this page uses.
    CardRole& card_;
    ConnectionRole& connection_;
    ProfilesRole& profiles_;
    EnvironmentRole& environment_;
    void buildControls();
    // The highlighted row of the list, or -1.
    int chosenRow() const;
    void updateAssociateButton();
    bool eventFilter(QObject* watched, QEvent* event) override;

    survey::ShowFlags show_;
    SurveyFilter filter_;
    survey::LinkCopy link_;
    std::unique_ptr<ScanBuffer> buffer_;
    std::vector<survey::SurveyRow> rows_;
    // The last Refresh's scan result, kept so that the page still says why it is empty when it
    // is shown again; a newly opened card starts from 0.
    int scanResult_ = 0;
    QTableWidget* list_ = nullptr;
    QLabel* notice_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* associate_ = nullptr;
    QPushButton* filterButton_ = nullptr;
};

}  // namespace tembrel
