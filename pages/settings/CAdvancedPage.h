#pragma once
// The Advanced page: the card's radio parameters, sent by "&Apply Changes" (or the window's
// OK), "&Default", and the options kept in the settings file.

#include "pages/CZarn9100Page.h"
#include "pages/settings/logic/AdvancedModel.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tembrel {

class CAdvancedPage : public CZarn9100Page {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Advanced";
    static constexpr CardUse kCardUse = CardUse::NeedsOpenCard;
    static constexpr int kDialogId = 106;
    explicit CAdvancedPage(PageContext& context, QWidget* parent = nullptr);

    const advanced::AdvancedModel& model() const { return model_; }

    void OnSetActive() override;
    // Takes the threshold edits (refusing to leave when one holds no integer); unapplied changes
    // are dropped when another page is shown.
    bool OnKillActive() override;
    void OnOK() override;
    void OnCancel() override;
    void OnLibraryEvent(quintptr code, qintptr param, const QString& text) override;

private:
    // The parts of the window this page uses.
    EnvironmentRole& environment_;
    void buildControls();
    QComboBox* makeList(advanced::List list, int id, QWidget* parent);
    void fillList(advanced::List list);
    void applyView();
    void run(advanced::ApplyResult (advanced::AdvancedModel::*action)());
    void tellNotAnInteger();
    bool leftForAnotherPage() const;

    advanced::AdvancedModel model_;
    QComboBox* description_ = nullptr;
    std::array<QComboBox*, advanced::kListCount> lists_{};
    QLineEdit* frag_ = nullptr;
    QLineEdit* rts_ = nullptr;
    QWidget* fragSpin_ = nullptr;
    QCheckBox* autoConnect_ = nullptr;
    QCheckBox* autoLink_ = nullptr;
    QCheckBox* boost_ = nullptr;
    QCheckBox* tcpIp_ = nullptr;
    std::vector<advanced::Entry> shownRates_;
};

}  // namespace tembrel
