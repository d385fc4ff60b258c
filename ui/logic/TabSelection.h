#pragma once
// Which tab a tab strip moves to when its current tab is disabled: the next enabled tab to the
// right, wrapping round to the first. Plain code so that the rule is tested without a window.

#include <vector>

namespace tembrel::ui {

// The index to select instead of `current`, or -1 when no other tab is enabled.
int nextEnabledTab(const std::vector<bool>& enabled, int current);

}  // namespace tembrel::ui
