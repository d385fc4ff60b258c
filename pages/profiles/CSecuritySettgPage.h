#pragma once
// The profile wizard's "Security" page: authentication, encryption, WEP keys and transmit key,
// the WPA passphrase, the 802.1x protocol and its credentials. Its values live in the wizard's
// SecurityPageModel.

#include <QWidget>

#include <array>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tembrel {

class CProfileWizard;
class SecurityPageModel;

class CSecuritySettgPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kIdAuthentication = 1044;
    static constexpr int kIdEncryption = 1043;
    static constexpr int kIdWepGroup = 1068;
    static constexpr int kIdKey1 = 1064;  // 1064..1067
    static constexpr int kIdConfigureWep = 1070;
    static constexpr int kIdPassphrase = 1002;
    static constexpr int kIdPassphraseLabel = 1107;
    static constexpr int kIdConfirm = 1003;
    static constexpr int kIdConfirmLabel = 1108;
    static constexpr int kIdProtocol = 1124;
    static constexpr int kIdProtocolLabel = 1131;
    static constexpr int kIdCredentials = 1071;

    CSecuritySettgPage(CProfileWizard& wizard, QWidget* parent = nullptr);

    void refresh();
    void setPageEnabled(bool enabled);
    // The control the user must fill first for the chosen security: the passphrase, the WEP
    // keys' button or the credentials button; none for an open network.
    QWidget* firstFieldToFill() const;

    // "Configure WEP Keys" and "Configure WPA Radius" / "CCX Configuration".
    void OnConfigureWepKeys();
    void OnConfigureCredentials();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SecurityPageModel& model() const;
    void updateWepControls();
    void showPassphrase();
    void onAuthentication(int index);
    void onProtocol(int index);
    void onEncryption(int index);
    void onPassphraseEdited(const QString& text);
    void onConfirmEdited(const QString& text);
    void onTransmitKey(int key);

    CProfileWizard& wizard_;
    bool enabled_ = true;
    QComboBox* authentication_;
    QComboBox* encryption_;
    QGroupBox* wepGroup_;
    std::array<QRadioButton*, 4> keys_{};
    QButtonGroup* keyGroup_;
    QPushButton* configureWep_;
    QLabel* passphraseLabel_;
    QLineEdit* passphrase_;
    QLabel* confirmLabel_;
    QLineEdit* confirm_;
    QLabel* protocolLabel_;
    QComboBox* protocol_;
    QPushButton* credentials_;
};

}  // namespace tembrel
