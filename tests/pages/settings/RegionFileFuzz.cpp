// Fuzz target: a Region.cfg file's text, then the information text of every record it gives.
#include "pages/settings/logic/RegionFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tembrel;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const RegionEntry& entry : RegionFile::ParseText(text)) {
        Check(!entry.name.empty() && entry.name.size() < RegionFile::kMaxLineLength);
        Check(entry.name.find(':') == std::string::npos && entry.name.front() != '/');
        const _ZARN9100_REGION_CTRL& r = entry.record;
        Check(r.mode == 0 && r.environment == ' ' && r.reserved == 0xFFFF);
        for (char c : r.countryCode) Check(!(c >= 'a' && c <= 'z'));
        // The channel list: first channels 1 to 14 until the first pair that ends it.
        bool ended = false;
        for (const auto& range : r.channelRanges) {
            if (ended) Check(range[0] == 0 && range[1] == 0);
            else if (range[0] == 0) ended = true;
            else Check(range[0] <= 14);
        }
        for (const auto& range : r.channelRanges11a) Check(range[0] == 0 && range[1] == 0);
        Check(StrictRegionRecord(entry).mode == kRegionStrict);
        const std::string info = RegionInformationText(r);
        Check(info.rfind("Country Code/Region Code: ", 0) == 0);
        // Fields never meet each other: every line of the text ends in CR LF.
        Check(info.size() >= 2 && info.compare(info.size() - 2, 2, "\r\n") == 0);
    }
    return 0;
}
