#pragma once
// The card's regulatory regions and the 2.4 GHz channel range each allows.

#include <cstdint>
#include <string_view>

namespace tembrel {

struct RegionInfo {
    uint32_t code;          // a code of the table; codes outside it are stored as 0x10
    std::string_view name;  // as the About page shows it
    uint32_t firstChannel;
    uint32_t lastChannel;
};

// The entry for a code read from the card; any code outside the table gives the 0x10 entry.
RegionInfo LookupRegion(uint32_t code);

}  // namespace tembrel
