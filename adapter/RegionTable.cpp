#include "RegionTable.h"

#include <array>

namespace tembrel {

namespace {
constexpr std::array<RegionInfo, 6> kRegions{{
    {0x10, "FCC (United States)", 1, 11},
    {0x20, "IC (Canada)", 1, 11},
    {0x30, "ETSI (Europe)", 1, 13},
    {0x31, "Spain", 10, 11},
    {0x32, "France", 11, 13},
    {0x40, "MKK (Japan)", 1, 14},
}};
}  // namespace

RegionInfo LookupRegion(uint32_t code) {
    for (const auto& r : kRegions)
        if (r.code == code) return r;
    return kRegions[0];
}

}  // namespace tembrel
