#pragma once
// The About page: versions of the program and of the driver library read from their files, and
// the open card's firmware and driver versions, MAC address and region.

#include "pages/CZarn9100Page.h"

#include <filesystem>

class QLabel;
class QLineEdit;

namespace tembrel {

class CAboutPage : public CZarn9100Page {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "About";
    static constexpr int kDialogId = 110;
    // The read-only texts.
    static constexpr int kIdMacAddress = 1101;
    static constexpr int kIdRegion = 1102;
    static constexpr int kIdHardware = 1103;
    static constexpr int kIdFirmware = 1104;
    static constexpr int kIdDriver = 1105;
    static constexpr int kIdUtility = 1106;
    static constexpr int kIdLibrary = 1107;
    static constexpr int kIdRegionLabel = 1108;
    static constexpr int kIdBitmap = 148;

    explicit CAboutPage(PageContext& context, QWidget* parent = nullptr);

    // Collects every text again.
    void OnSetActive() override;

    // The program file whose version is shown: the running program unless a test sets another.
    void setProgramFile(std::filesystem::path file) { programFile_ = std::move(file); }

private:
    // The parts of the window this page uses.
    CardRole& card_;
    std::filesystem::path programFile_;
    QLabel* regionLabel_ = nullptr;
    QLineEdit* mac_ = nullptr;
    QLineEdit* region_ = nullptr;
    QLineEdit* hardware_ = nullptr;
    QLineEdit* firmware_ = nullptr;
    QLineEdit* driver_ = nullptr;
    QLineEdit* utility_ = nullptr;
    QLineEdit* library_ = nullptr;
};

}  // namespace tembrel
