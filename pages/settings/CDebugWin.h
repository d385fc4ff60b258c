#pragma once
// The Debug page: reads and writes single RF, baseband and MAC registers, shows the RF
// calibration registers (again every second on request) and the chip version, and keeps the
// debug options of the settings file.

#include "pages/CZarn9100Page.h"
#include "pages/settings/logic/DebugRegisters.h"

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTimer;

namespace tembrel {

class CDebugWin : public CZarn9100Page {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Debug";
    static constexpr int kDialogId = 108;
    // Per register group (RF, baseband, MAC): index edit, value edit, "&Read", "&Write".
    static constexpr int kIdRfIndex = 1201, kIdRfValue = 1202, kIdRfRead = 1203, kIdRfWrite = 1204;
    static constexpr int kIdBbIndex = 1211, kIdBbValue = 1212, kIdBbRead = 1213, kIdBbWrite = 1214;
    static constexpr int kIdMacIndex = 1221, kIdMacValue = 1222, kIdMacRead = 1223, kIdMacWrite = 1224;
    static constexpr int kIdCalibrationTable = 1230;
    static constexpr int kIdRefreshEverySecond = 1231;
    static constexpr int kIdRefresh = 1232;
    static constexpr int kIdHardwareVersion = 1240;
    static constexpr int kIdRefreshRate = 1241;
    static constexpr int kIdTrace = 1242;

    static constexpr int kCalibrationPeriodMs = 1000;
    // Time the card gets after a register write before the register is read back.
    static constexpr int kWriteSettleMs = 200;

    explicit CDebugWin(PageContext& context, QWidget* parent = nullptr);

    void OnSetActive() override;
    bool OnKillActive() override;

    void OnRead(RegisterGroup group);
    void OnWrite(RegisterGroup group);
    // Reads the calibration table once.
    void OnRefresh();

private:
    // The parts of the window this page uses.
    CardRole& card_;
    EnvironmentRole& environment_;
    struct Group {
        QLineEdit* index = nullptr;
        QLineEdit* value = nullptr;
    };
    Group& group(RegisterGroup which) { return groups_[static_cast<size_t>(which)]; }
    void readBack(RegisterGroup which, uint32_t index);
    void showCalibration(const CalibrationTable& table);
    void onTimer();

    std::array<Group, 3> groups_;
    QTableWidget* table_ = nullptr;
    QCheckBox* refreshEverySecond_ = nullptr;
    QCheckBox* refreshRate_ = nullptr;
    QCheckBox* trace_ = nullptr;
    QLineEdit* hardware_ = nullptr;
    QTimer* timer_ = nullptr;
    bool refreshFlag_ = false;
};

}  // namespace tembrel
