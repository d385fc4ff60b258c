#pragma once
// A page whose controls are not built yet: it carries its caption and dialog id and says so.

#include "pages/CZarn9100Page.h"

namespace tembrel {

class PendingPage : public CZarn9100Page {
    Q_OBJECT
public:
    PendingPage(PageContext& context, const QString& caption, int dialogId, CardUse cardUse = CardUse::Any,
                QWidget* parent = nullptr);
};

}  // namespace tembrel
