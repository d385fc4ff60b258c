#pragma once
// The two calls the Network Status page makes on each throughput graph. The strip-chart graph
// widget implements it; until one is installed the page keeps the dialog's placeholders.

#include <cstdint>

namespace tembrel::monitoring {

class GraphControl {
public:
    virtual ~GraphControl() = default;
    virtual void SetRange(uint32_t low, uint32_t high) = 0;
    virtual void AddValue(uint32_t value) = 0;
    // `count` steps: the average of the values added since the last step, held for each step.
    virtual void Step(int count) = 0;
};

}  // namespace tembrel::monitoring
