// Fuzzes the scan-list walk and every value derived from an entry with arbitrary driver bytes.
// The input is the scan buffer itself (any length; the walk must stay inside it).
#include "survey/ChannelPlan.h"
#include "survey/InformationElements.h"
#include "survey/ScanEntry.h"
#include "survey/SecurityDetection.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A heap copy of exactly `size` bytes, so AddressSanitizer catches any read past it.
    const std::vector<uint8_t> buffer(data, data + size);
    const tembrel::ScanList list(buffer);
    const uint8_t* const begin = buffer.data();
    const uint8_t* const end = begin + buffer.size();
    uint32_t walked = 0;
    for (const tembrel::ScanEntry entry : list) {
        if (entry.bytes().data() < begin || entry.bytes().data() + entry.bytes().size() > end) std::abort();
        volatile uint32_t sink = tembrel::ChannelFromFrequency(entry.dsConfigKHz()) + tembrel::ClassifyBand(entry) +
                                 static_cast<uint32_t>(tembrel::SignalPercent(entry)) + entry.ssid().size();
        const int percent = tembrel::SignalPercent(entry);
        if (percent < 0 || percent > 100) std::abort();
        if (entry.ssid().size() > 32) std::abort();
        const auto security = tembrel::DetectSecurityOfEntry(entry);
        sink = security.authentication + security.cipher;
        (void)sink;
        for (const auto& element : tembrel::InformationElements(entry.variableElements()))
            if (element.body.data() + element.body.size() > entry.bytes().data() + entry.bytes().size()) std::abort();
        ++walked;
    }
    if (walked > list.numberOfItems()) std::abort();
    if (walked > 0) {
        const auto last = list.EntryAt(walked - 1);
        if (!last) std::abort();
        (void)tembrel::DetectSecurity(list, last->macAddress());
    }
    if (list.EntryAt(walked)) std::abort();
    return 0;
}
