// Walking a full 24,576-byte scan buffer and deriving every value of every entry, against a
// plain copy of the buffer (one memory pass over 24 KB is the floor).
#include "survey/ChannelPlan.h"
#include "survey/ScanEntry.h"
#include "survey/SecurityDetection.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

void PutU32(tembrel::ScanBuffer& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Entries of 128 fixed bytes plus an SSID, rates and RSN element, alternating with WPA ones,
// until the buffer is full.
const tembrel::ScanBuffer& FullBuffer() {
    static const tembrel::ScanBuffer buffer = [] {
        tembrel::ScanBuffer b{};
        const std::vector<uint8_t> rsn{0x00, 0x04, 'b', 'e', 'n', 'c', 0x01, 0x04, 0x82, 0x84, 0x8B, 0x96,
                                       0x30, 20, 1, 0, 0, 0x0F, 0xAC, 4, 1, 0, 0, 0x0F, 0xAC, 4, 1, 0,
                                       0, 0x0F, 0xAC, 2, 0, 0};
        const std::vector<uint8_t> wpa{0xDD, 22, 0x00, 0x50, 0xF2, 0x01, 1, 0, 0x00, 0x50, 0xF2, 2, 1, 0,
                                       0x00, 0x50, 0xF2, 2, 1, 0, 0x00, 0x50, 0xF2, 2};
        size_t offset = 4;
        uint32_t count = 0;
        for (;;) {
            const auto& elements = count % 2 ? wpa : rsn;
            const size_t length = (128 + elements.size() + 3) / 4 * 4;
            if (offset + length > b.size()) break;
            PutU32(b, offset, static_cast<uint32_t>(length));
            b[offset + 4 + 5] = static_cast<uint8_t>(count);
            PutU32(b, offset + 12, 4);
            std::memcpy(&b[offset + 16], "benc", 4);
            PutU32(b, offset + 48, 1);
            PutU32(b, offset + 52, static_cast<uint32_t>(-40 - static_cast<int32_t>(count % 60)));
            PutU32(b, offset + 72, count % 3 ? 2412000 + 5000 * (count % 13) : 5180000 + 20000 * (count % 4));
            PutU32(b, offset + 92, 1);
            const uint8_t rates[] = {0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12, 0x18, 0x24, 0x30, 0x48, 0x60, 0x6C};
            std::memcpy(&b[offset + 96], rates, sizeof rates);
            PutU32(b, offset + 112, static_cast<uint32_t>(12 + elements.size()));
            std::memcpy(&b[offset + 128], elements.data(), elements.size());
            offset += length;
            ++count;
        }
        PutU32(b, 0, count);
        return b;
    }();
    return buffer;
}

void BM_WalkAndDeriveFullBuffer(benchmark::State& state) {
    const auto& buffer = FullBuffer();
    uint32_t entries = 0;
    for (auto _ : state) {
        uint64_t sum = 0;
        entries = 0;
        for (const tembrel::ScanEntry e : tembrel::ScanList(buffer)) {
            if (!e.hasUsableSsid()) continue;
            const auto security = tembrel::DetectSecurityOfEntry(e);
            sum += tembrel::ChannelFromFrequency(e.dsConfigKHz()) + tembrel::ClassifyBand(e) +
                   static_cast<uint64_t>(tembrel::SignalPercent(e)) + e.ssid().size() + e.macAddress()[5] +
                   e.privacy() + e.infrastructureMode() + security.authentication + security.cipher;
            ++entries;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["entries"] = entries;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(buffer.size()));
}
BENCHMARK(BM_WalkAndDeriveFullBuffer);

void BM_MemcpyFullBuffer(benchmark::State& state) {
    const auto& buffer = FullBuffer();
    auto copy = std::make_unique<tembrel::ScanBuffer>();
    for (auto _ : state) {
        std::memcpy(copy->data(), buffer.data(), buffer.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(buffer.size()));
}
BENCHMARK(BM_MemcpyFullBuffer);

}  // namespace

BENCHMARK_MAIN();
