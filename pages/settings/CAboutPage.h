#pragma once
// Versions, MAC address and region.

#include "app/PendingPage.h"

namespace tembrel {

class CAboutPage : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 110;
    explicit CAboutPage(CZarn9100Sheet& sheet, QWidget* parent = nullptr)
        : PendingPage(sheet, "About", kDialogId, parent) {}
};

}  // namespace tembrel
