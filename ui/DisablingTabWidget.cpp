#include "ui/DisablingTabWidget.h"

#include "ui/logic/TabSelection.h"

#include <vector>

namespace tembrel::ui {

void setTabEnabledMovingOff(QTabWidget& tabs, int index, bool enabled) {
    if (index < 0 || index >= tabs.count()) {
        return;
    }
    if (!enabled && index == tabs.currentIndex()) {
        std::vector<bool> states(static_cast<size_t>(tabs.count()));
        for (int i = 0; i < tabs.count(); ++i) {
            states[static_cast<size_t>(i)] = i != index && tabs.isTabEnabled(i);
        }
        // Move before disabling, so that Qt's own choice (which prefers a tab to the left
        // over wrapping) never applies.
        const int next = nextEnabledTab(states, index);
        if (next >= 0) {
            tabs.setCurrentIndex(next);
        }
    }
    tabs.setTabEnabled(index, enabled);
}

bool selectEnabledTab(QTabWidget& tabs, int index) {
    if (index < 0 || index >= tabs.count() || !tabs.isTabEnabled(index)) {
        return false;
    }
    tabs.setCurrentIndex(index);
    return true;
}

DisablingTabWidget::DisablingTabWidget(QWidget* parent) : QTabWidget(parent) {}

}  // namespace tembrel::ui
