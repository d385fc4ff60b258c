// Load and save of 10,000 profiles (7.9 MB) against plainly reading and writing the same bytes
// with the same POSIX calls, side by side. The store's save also flushes to disk before renaming,
// so the plain write is measured both with and without fsync.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "profiles/ProfileFileFormat.h"
#include "profiles/ProfileStore.h"
#include "profiles/ProfileText.h"

namespace {

using namespace tembrel;

constexpr int kProfiles = 10000;

struct Fixture {
    std::filesystem::path folder;
    std::filesystem::path dataCfg;
    std::filesystem::path plain;
    ProfileList list;
    std::vector<uint8_t> bytes;

    Fixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tembrel-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        dataCfg = folder / "Data.cfg";
        plain = folder / "plain.bin";
        list.Append(NewDefaultProfile());
        for (int i = 1; i < kProfiles; ++i) {
            ProfilePtr p = NewEmptyProfile();
            SetProfileName(*p, "Profile " + std::to_string(i));
            SetProfileSsid(*p, "network-" + std::to_string(i % 300));
            p->networkType = i % 4 == 0 ? ZARN9100_NETWORK_ADHOC : ZARN9100_NETWORK_INFRASTRUCTURE;
            SetText(p->passphrase, "a passphrase of some length");
            list.Append(std::move(p));
        }
        bytes = SerializeProfiles(list.Snapshot(), true).bytes;
        if (!SaveProfiles(dataCfg, list).ok()) std::abort();
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void PlainWrite(const Fixture& f, bool sync) {
    const int fd = ::open(f.plain.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) std::abort();
    std::size_t done = 0;
    while (done < f.bytes.size()) {
        const ssize_t n = ::write(fd, f.bytes.data() + done, f.bytes.size() - done);
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
    if (sync) ::fsync(fd);
    ::close(fd);
}

void BM_SaveProfiles(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state)
        if (!SaveProfiles(f.dataCfg, f.list).ok()) state.SkipWithError("save failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}

void BM_PlainWriteWithFsync(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) PlainWrite(f, true);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}

void BM_PlainWrite(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) PlainWrite(f, false);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}

void BM_LoadProfiles(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        ProfileList loaded;
        if (!LoadProfiles(f.dataCfg, loaded).ok() || loaded.Count() != kProfiles) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(loaded);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}

void BM_PlainRead(benchmark::State& state) {
    Fixture& f = Shared();
    std::vector<uint8_t> buffer(f.bytes.size());
    for (auto _ : state) {
        const int fd = ::open(f.dataCfg.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) std::abort();
        std::size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}

BENCHMARK(BM_SaveProfiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWriteWithFsync)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadProfiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
