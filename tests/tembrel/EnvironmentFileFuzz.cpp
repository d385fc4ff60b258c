// Fuzz target: the simulated card's environment file. An accepted file must give a card whose
// scan list the program's own reader walks whole, with sane values.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Card.h"
#include "Environment.h"
#include "ScanList.h"
#include "survey/ScanEntry.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tembrel::sim;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    std::optional<Environment> env = ParseEnvironment(text, error);
    if (!env) {
        Check(error.rfind("line ", 0) == 0);
        return 0;
    }
    Check(error.empty() || error.rfind("line ", 0) == 0);
    for (const Network& n : env->networks) {
        Check(n.ssid.size() <= 32);
        Check(IsValidChannel(n.channel));
    }

    Card card(std::move(*env), 0, 1);
    card.startFullScan();
    card.advanceTo(60'000);
    std::vector<uint8_t> buffer(ZARN9100_SCAN_BUFFER_SIZE);
    const tembrel::abi::ScanListWrite written =
        tembrel::abi::WriteScanList(BuildScanEntries(card.scanList()), buffer.data(), static_cast<uint32_t>(buffer.size()));
    Check(written.bytesWritten <= buffer.size());
    const tembrel::ScanList list(buffer);
    Check(list.numberOfItems() == written.entriesWritten);
    uint32_t walked = 0;
    for (const tembrel::ScanEntry entry : list) {
        Check(entry.hasUsableSsid());
        Check(entry.length() % 4 == 0);
        ++walked;
    }
    Check(walked == written.entriesWritten);
    return 0;
}
