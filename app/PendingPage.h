#pragma once
// A page whose controls are not built yet: it carries its caption and dialog id and says so.

#include "app/CZarn9100Page.h"

namespace tembrel {

class PendingPage : public CZarn9100Page {
    Q_OBJECT
public:
    PendingPage(CZarn9100Sheet& sheet, const QString& caption, int dialogId, QWidget* parent = nullptr);
};

}  // namespace tembrel
