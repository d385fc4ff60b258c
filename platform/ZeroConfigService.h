#pragma once
// The system's own wireless configuration service, which the program takes the card away from
// at start-up on the family that has it. Linux has no such service: open() fails and the
// release is skipped silently.

#include <optional>

namespace tembrel {

enum class ServiceState { Stopped, Running, Pending };

class ZeroConfigService {
public:
    virtual ~ZeroConfigService() = default;
    // Opens the service manager and the service with query, start and stop access.
    virtual bool open() = 0;
    virtual std::optional<ServiceState> queryState() = 0;
    virtual void sendStop() = 0;
    virtual void start() = 0;  // without arguments
    virtual void close() = 0;  // both service handles
    virtual void sleepMs(int ms) = 0;
};

class UnavailableZeroConfigService final : public ZeroConfigService {
public:
    bool open() override { return false; }
    std::optional<ServiceState> queryState() override { return std::nullopt; }
    void sendStop() override {}
    void start() override {}
    void close() override {}
    void sleepMs(int) override {}
};

}  // namespace tembrel
