#pragma once
// Driver thresholds for testing.

#include "app/PendingPage.h"

namespace tembrel {

class CTestPage : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 109;
    explicit CTestPage(CZarn9100Sheet& sheet, QWidget* parent = nullptr)
        : PendingPage(sheet, "Test", kDialogId, parent) {}
};

}  // namespace tembrel
