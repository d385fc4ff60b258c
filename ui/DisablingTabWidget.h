#pragma once
// A tab strip whose single tabs can be disabled. A disabled tab cannot be selected; disabling the
// current tab first moves the selection to the next enabled tab to its right, wrapping round to
// the first.

#include <QTabWidget>

namespace tembrel::ui {

// The same rule for any QTabWidget.
void setTabEnabledMovingOff(QTabWidget& tabs, int index, bool enabled);
// Selects the tab unless it is disabled or out of range; returns whether it is now current.
bool selectEnabledTab(QTabWidget& tabs, int index);

class DisablingTabWidget : public QTabWidget {
    Q_OBJECT
public:
    explicit DisablingTabWidget(QWidget* parent = nullptr);

    void setPageEnabled(int index, bool enabled) { setTabEnabledMovingOff(*this, index, enabled); }
    bool isPageEnabled(int index) const { return isTabEnabled(index); }
    bool selectPage(int index) { return selectEnabledTab(*this, index); }
};

}  // namespace tembrel::ui
