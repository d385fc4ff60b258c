#pragma once
// The card's radio parameters.

#include "app/PendingPage.h"

namespace tembrel {

class CAdvancedPage : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 106;
    explicit CAdvancedPage(CZarn9100Sheet& sheet, QWidget* parent = nullptr)
        : PendingPage(sheet, "Advanced", kDialogId, parent) {}
};

}  // namespace tembrel
