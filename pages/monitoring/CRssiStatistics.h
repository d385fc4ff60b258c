#pragma once
// The card's 802.11 counters in detail.

#include "pages/PendingPage.h"

namespace tembrel {

class CRssiStatistics : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 124;
    explicit CRssiStatistics(PageContext& context, QWidget* parent = nullptr)
        : PendingPage(context, "Statistics", kDialogId, CardUse::NeedsOpenCard, parent) {}
};

}  // namespace tembrel
