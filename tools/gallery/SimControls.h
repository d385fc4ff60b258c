#pragma once
// The simulated card's own controls (TembrelSim.h), looked up in the driver library that is
// already loaded. Another library has none of them; every call then reports false.

#include <cstdint>
#include <string>

namespace tembrel::gallery {

class SimControls {
public:
    explicit SimControls(const std::string& libraryPath);
    ~SimControls();
    SimControls(const SimControls&) = delete;
    SimControls& operator=(const SimControls&) = delete;

    bool available() const { return flush_ != nullptr && reset_ != nullptr; }
    // Waits until every event posted so far has reached its receiver.
    bool flushEvents(uint32_t timeoutMs) const;
    // A fresh card from $TEMBREL_SIM_ENVIRONMENT; open handles become stale.
    bool reset() const;
    // Runs a control command ("card out", "signal NETWORK DBM" as JSON words).
    bool control(const std::string& json) const;

private:
    void* handle_ = nullptr;
    int (*flush_)(uint32_t) = nullptr;
    void (*reset_)() = nullptr;
    int (*control_)(const char*, char*, uint32_t) = nullptr;
};

}  // namespace tembrel::gallery
