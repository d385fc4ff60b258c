#include "ui/logic/TabSelection.h"

#include <cstddef>

namespace tembrel::ui {

int nextEnabledTab(const std::vector<bool>& enabled, int current) {
    const int count = static_cast<int>(enabled.size());
    if (count == 0) {
        return -1;
    }
    const int start = current < 0 || current >= count ? 0 : current;
    for (int step = 1; step < count; ++step) {
        const int candidate = (start + step) % count;
        if (enabled[static_cast<size_t>(candidate)]) {
            return candidate;
        }
    }
    return -1;
}

}  // namespace tembrel::ui
