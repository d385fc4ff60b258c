#pragma once
// Register access for diagnostics.

#include "app/PendingPage.h"

namespace tembrel {

class CDebugWin : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 108;
    explicit CDebugWin(CZarn9100Sheet& sheet, QWidget* parent = nullptr)
        : PendingPage(sheet, "Debug", kDialogId, parent) {}
};

}  // namespace tembrel
