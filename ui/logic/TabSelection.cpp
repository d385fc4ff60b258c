#include "ui/logic/TabSelection.h"

#include <cstddef>

namespace tembrel::ui {

int nextEnabledTab(const std::vector<bool>& enabled, int current) { return stepEnabledTab(enabled, current, 1); }

int stepEnabledTab(const std::vector<bool>& enabled, int current, int step) {
    const int count = static_cast<int>(enabled.size());
    if (count == 0 || step == 0) {
        return -1;
    }
    const int direction = step > 0 ? 1 : count - 1;  // -1, kept non-negative for the modulo
    const int start = current < 0 || current >= count ? 0 : current;
    for (int i = 1; i < count; ++i) {
        const int candidate = (start + i * direction) % count;
        if (enabled[static_cast<size_t>(candidate)]) {
            return candidate;
        }
    }
    return -1;
}

}  // namespace tembrel::ui
