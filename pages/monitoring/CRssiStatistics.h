#pragma once
// The card's 802.11 counters in detail.

#include "app/PendingPage.h"

namespace tembrel {

class CRssiStatistics : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 124;
    explicit CRssiStatistics(CZarn9100Sheet& sheet, QWidget* parent = nullptr)
        : PendingPage(sheet, "Statistics", kDialogId, parent) {}
};

}  // namespace tembrel
