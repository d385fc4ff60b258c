#pragma once
// The card's 802.11 counters.

#include "pages/PendingPage.h"

namespace tembrel {

class CStatistics : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 104;
    explicit CStatistics(PageContext& context, QWidget* parent = nullptr)
        : PendingPage(context, "Statistics", kDialogId, CardUse::NeedsOpenCard, parent) {}
};

}  // namespace tembrel
