#pragma once
// A page's busy state while it scans or connects: the page holds `stopping` so that the supervisor
// leaves the card alone (letting go leaves the flag to its other holders), the wait cursor shows, and the page's controls are drawn disabled at once. Their
// own enabled states are kept: the page as a whole is disabled, not each control.

#include "adapter/StopFlag.h"

class QWidget;

namespace tembrel::ui {

class BusyScope {
public:
    BusyScope(QWidget& page, StopFlag& stopping);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QWidget& page_;
    StopFlag::Hold stopping_;
    bool wasEnabled_;
};

}  // namespace tembrel::ui
