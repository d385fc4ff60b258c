#pragma once
// The profile list with its editor.

#include "pages/PendingPage.h"

namespace tembrel {

class CProfileManager : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 103;
    explicit CProfileManager(PageContext& context, QWidget* parent = nullptr)
        : PendingPage(context, "Profile Manager", kDialogId, CardUse::Any, parent) {}
};

}  // namespace tembrel
