#pragma once
// The networks the card hears.

#include "pages/PendingPage.h"

namespace tembrel {

class CSiteSurvey : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 105;
    explicit CSiteSurvey(PageContext& context, QWidget* parent = nullptr)
        : PendingPage(context, "Site Survey", kDialogId, CardUse::NeedsOpenCard, parent) {}
};

}  // namespace tembrel
