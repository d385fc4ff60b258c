#pragma once
// The Test page: reads and sets the card's scan channel range, signal threshold and
// transmit-failure threshold, and can tell the driver that radar was detected.

#include "pages/CZarn9100Page.h"

class QLineEdit;

namespace tembrel {

class CTestPage : public CZarn9100Page {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Test";
    static constexpr int kDialogId = 109;
    static constexpr int kIdFrom = 1301, kIdTo = 1302, kIdRangeGet = 1303, kIdRangeSet = 1304;
    static constexpr int kIdSignal = 1311, kIdSignalGet = 1312, kIdSignalSet = 1313;
    static constexpr int kIdTxFail = 1321, kIdTxFailGet = 1322, kIdTxFailSet = 1323;
    static constexpr int kIdRadarDetect = 1331;

    explicit CTestPage(PageContext& context, QWidget* parent = nullptr);

    void OnSetActive() override;

    void OnGetChannelRange();
    void OnSetChannelRange();
    void OnGetSignalThreshold();
    void OnSetSignalThreshold();
    void OnGetTxFailThreshold();
    void OnSetTxFailThreshold();
    void OnRadarDetect();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The parts of the window this page uses.
    CardRole& card_;
    EnvironmentRole& environment_;
    void refuse(QLineEdit* edit, const char* message, bool clear);

    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QLineEdit* signal_ = nullptr;
    QLineEdit* txFail_ = nullptr;
};

}  // namespace tembrel
