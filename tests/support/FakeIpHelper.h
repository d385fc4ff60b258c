#pragma once
// Test double: interfaces and counters set by the test, nothing read from the system.

#include "platform/IpHelper.h"

#include <map>
#include <vector>

namespace tembrel {

class FakeIpHelper final : public IpHelper {
public:
    std::vector<AdapterAddressInfo> adapters;
    std::map<uint32_t, InterfaceCounters> counters;  // by interface index
    mutable int findCalls = 0;
    mutable int counterReads = 0;

    std::optional<AdapterAddressInfo> findAdapter(const MacAddress& mac) const override {
        ++findCalls;
        for (const auto& adapter : adapters) {
            if (adapter.mac == mac) {
                return adapter;
            }
        }
        return std::nullopt;
    }

    std::optional<InterfaceCounters> readCounters(uint32_t interfaceIndex) const override {
        ++counterReads;
        const auto found = counters.find(interfaceIndex);
        if (found == counters.end()) {
            return std::nullopt;
        }
        return found->second;
    }
};

}  // namespace tembrel
