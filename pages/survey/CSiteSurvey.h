#pragma once
// The networks the card hears.

#include "app/PendingPage.h"

namespace tembrel {

class CSiteSurvey : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 105;
    explicit CSiteSurvey(CZarn9100Sheet& sheet, QWidget* parent = nullptr)
        : PendingPage(sheet, "Site Survey", kDialogId, parent) {}
};

}  // namespace tembrel
