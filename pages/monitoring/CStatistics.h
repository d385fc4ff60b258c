#pragma once
// The card's 802.11 counters.

#include "app/PendingPage.h"

namespace tembrel {

class CStatistics : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 104;
    explicit CStatistics(CZarn9100Sheet& sheet, QWidget* parent = nullptr)
        : PendingPage(sheet, "Statistics", kDialogId, parent) {}
};

}  // namespace tembrel
