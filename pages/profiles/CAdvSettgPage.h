#pragma once
// The profile wizard's "Protocol" page: whether the profile changes the card's radio settings,
// and power save, preamble, transmit rate and the two thresholds. Its values live in the
// wizard's ProtocolPageModel.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tembrel {

class CProfileWizard;
class ProtocolPageModel;

class CAdvSettgPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kIdKeep = 1009;
    static constexpr int kIdGroup = 1129;
    static constexpr int kIdPowerSave = 1010;
    static constexpr int kIdPreamble = 1011;
    static constexpr int kIdTxRate = 1003;
    static constexpr int kIdFrag = 1012;
    static constexpr int kIdFragSpin = 1006;
    static constexpr int kIdRts = 1013;
    static constexpr int kIdRtsSpin = 1008;
    static constexpr int kIdReset = 1001;
    static constexpr int kIdPowerSaveLabel = 1014;  // 1014..1018 for the five labels

    CAdvSettgPage(CProfileWizard& wizard, bool large, QWidget* parent = nullptr);

    void refresh();
    void setPageEnabled(bool enabled);
    void OnReset();

private:
    ProtocolPageModel& model() const;
    void arrange();

    CProfileWizard& wizard_;
    bool enabled_ = true;
    QCheckBox* keep_;
    QGroupBox* group_;
    QLabel* labels_[5];
    QComboBox* powerSave_;
    QComboBox* preamble_;
    QComboBox* txRate_;
    QLineEdit* frag_;
    QSpinBox* fragSpin_;
    QLineEdit* rts_;
    QSpinBox* rtsSpin_;
    QPushButton* reset_;
};

}  // namespace tembrel
