#pragma once
// Register access for diagnostics.

#include "pages/PendingPage.h"

namespace tembrel {

class CDebugWin : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 108;
    explicit CDebugWin(PageContext& context, QWidget* parent = nullptr)
        : PendingPage(context, "Debug", kDialogId, CardUse::Any, parent) {}
};

}  // namespace tembrel
