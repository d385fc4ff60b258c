#pragma once
// Versions, MAC address and region.

#include "pages/PendingPage.h"

namespace tembrel {

class CAboutPage : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 110;
    explicit CAboutPage(PageContext& context, QWidget* parent = nullptr)
        : PendingPage(context, "About", kDialogId, CardUse::Any, parent) {}
};

}  // namespace tembrel
