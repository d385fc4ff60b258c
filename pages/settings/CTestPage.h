#pragma once
// Driver thresholds for testing.

#include "pages/PendingPage.h"

namespace tembrel {

class CTestPage : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 109;
    explicit CTestPage(PageContext& context, QWidget* parent = nullptr)
        : PendingPage(context, "Test", kDialogId, CardUse::Any, parent) {}
};

}  // namespace tembrel
