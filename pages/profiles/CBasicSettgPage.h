#pragma once
// The profile wizard's "Network Info" page: profile name, SSID, network type, and the wireless
// mode or the ad-hoc band and channel. Its values live in the wizard's NetworkPageModel.

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace tembrel {

class CProfileWizard;
class NetworkPageModel;

class CBasicSettgPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kIdName = 1039;
    static constexpr int kIdSsid = 1040;
    static constexpr int kIdNetworkType = 1035;
    static constexpr int kIdWirelessMode = 1041;
    static constexpr int kIdWirelessModeLabel = 1128;
    static constexpr int kIdAdHocGroup = 1127;
    static constexpr int kIdAdHocBand = 1130;
    static constexpr int kIdAdHocBandLabel = 1129;
    static constexpr int kIdChannel = 1042;
    static constexpr int kIdChannelLabel = 1111;

    // large: the create-mode layout.
    CBasicSettgPage(CProfileWizard& wizard, bool large, QWidget* parent = nullptr);

    // Shows the model's values (no change is reported).
    void refresh();
    void setPageEnabled(bool enabled);

private:
    NetworkPageModel& model() const;
    void arrange();
    void fillChannels();
    void onNameEdited(const QString& text);
    void onSsidEdited(const QString& text);
    void onNetworkType(int index);
    void onWirelessMode(int index);
    void onAdHocBand(int index);
    void onChannel(int index);
    bool channelLocked() const;

    CProfileWizard& wizard_;
    bool enabled_ = true;
    QLineEdit* name_;
    QLineEdit* ssid_;
    QComboBox* networkType_;
    QLabel* wirelessModeLabel_;
    QComboBox* wirelessMode_;
    QGroupBox* adHocGroup_;
    QLabel* bandLabel_;
    QComboBox* band_;
    QLabel* channelLabel_;
    QComboBox* channel_;
};

}  // namespace tembrel
