#pragma once
// The card's radio parameters.

#include "pages/PendingPage.h"

namespace tembrel {

class CAdvancedPage : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 106;
    explicit CAdvancedPage(PageContext& context, QWidget* parent = nullptr)
        : PendingPage(context, "Advanced", kDialogId, CardUse::NeedsOpenCard, parent) {}
};

}  // namespace tembrel
