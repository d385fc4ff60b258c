#pragma once
// Which tab a tab strip moves to: when its current tab is disabled, the next enabled tab to the
// right, wrapping round to the first; for Ctrl+Tab and Ctrl+Shift+Tab, the next enabled tab in
// either direction. Plain code so that the rule is tested without a window.

#include <vector>

namespace tembrel::ui {

// The index to select instead of `current`, or -1 when no other tab is enabled.
int nextEnabledTab(const std::vector<bool>& enabled, int current);
// The same in either direction: step +1 to the right, -1 to the left, wrapping round at both ends.
int stepEnabledTab(const std::vector<bool>& enabled, int current, int step);

}  // namespace tembrel::ui
