// Fuzz target: the simulated card's control-socket commands. Each input line is one request as
// it arrives on the socket (a JSON array of words), run in turn on one card; afterwards the card's
// scan list must still be one the program's own reader walks whole.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "Card.h"
#include "ControlCommands.h"
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
    Card card(DefaultEnvironment(), 0, 7);
    uint64_t now = 0;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    int lines = 0;
    while (!input.empty() && lines++ < 64) {
        const size_t newline = input.find('\n');
        const std::string request(input.substr(0, newline));
        input.remove_prefix(newline == std::string_view::npos ? input.size() : newline + 1);

        std::vector<std::string> words;
        std::string reply;
        if (!ParseCommandWords(request, words, reply)) {
            Check(!reply.empty());
            continue;
        }
        Check(!words.empty() && words.size() <= 64);
        uint64_t ms = 0;
        if (words[0] == "advance" && words.size() == 2 && ParseMilliseconds(words[1], ms)) {
            now += ms;
            card.advanceTo(now);
            continue;
        }
        const bool ok = RunControlCommand(card, words, reply);
        Check(ok || !reply.empty());
        for (const Network& n : card.networks()) {
            Check(n.ssid.size() <= 32);
            Check(IsValidChannel(n.channel));
        }
    }

    card.startFullScan();
    card.advanceTo(now + 60'000);
    (void)card.takeEvents();
    std::vector<uint8_t> buffer(ZARN9100_SCAN_BUFFER_SIZE);
    const tembrel::abi::ScanListWrite written =
        tembrel::abi::WriteScanList(BuildScanEntries(card.scanList()), buffer.data(), static_cast<uint32_t>(buffer.size()));
    Check(written.bytesWritten <= buffer.size());
    uint32_t walked = 0;
    for (const tembrel::ScanEntry entry : tembrel::ScanList(buffer)) {
        Check(entry.hasUsableSsid());
        ++walked;
    }
    Check(walked == written.entriesWritten);
    return 0;
}
