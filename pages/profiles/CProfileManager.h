#pragma once
// The profile list with its editor.

#include "app/PendingPage.h"

namespace tembrel {

class CProfileManager : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 103;
    explicit CProfileManager(CZarn9100Sheet& sheet, QWidget* parent = nullptr)
        : PendingPage(sheet, "Profile Manager", kDialogId, parent) {}
};

}  // namespace tembrel
