// Load and save of 10,000 profiles (7.9 MB) against plainly reading and writing the same bytes
// with the same POSIX calls, side by side. The store's save also flushes to disk before renaming,
// so the plain write is measured both with and without fsync. BM_LoadedProfilesHeld reports the
// heap a loaded list keeps per profile, against the record's bytes in the file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "profiles/ProfileFileFormat.h"
#include "profiles/ProfileStore.h"
#include "profiles/ProfileText.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TEMBREL_BENCH_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(TEMBREL_BENCH_ASAN)
// The sanitizer runtime's count of bytes handed out (its header is not installed with GCC).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using namespace tembrel;

constexpr int kProfiles = 10000;

// Bytes the program holds on the heap now: the sanitizer's own count under AddressSanitizer
// (its allocator does not feed mallinfo2), else the C library's.
std::size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__) || defined(TEMBREL_BENCH_ASAN)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

ProfilePtr NumberedProfile(int i) {
    ProfilePtr p = NewEmptyProfile();
    SetProfileName(*p, "Profile " + std::to_string(i));
    SetProfileSsid(*p, "network-" + std::to_string(i % 300));
    p->networkType = i % 4 == 0 ? ZARN9100_NETWORK_ADHOC : ZARN9100_NETWORK_INFRASTRUCTURE;
    SetText(p->passphrase, "a passphrase of some length");
    return p;
}

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
        for (int i = 1; i < kProfiles; ++i) list.Append(NumberedProfile(i));
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

// A store of N profiles loaded and held as the program holds it: heap kept per profile, and that
// against the file's bytes per profile (the budget is 1.2 times).
void BM_LoadedProfilesHeld(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::string pattern = (std::filesystem::temp_directory_path() / "tembrel-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    const std::filesystem::path folder = pattern;
    {
        ProfileList list;
        list.Append(NewDefaultProfile());
        for (int i = 1; i < count; ++i) list.Append(NumberedProfile(i));
        if (!SaveProfiles(folder / "Data.cfg", list).ok()) state.SkipWithError("save failed");
    }
    const double fileBytes = static_cast<double>(std::filesystem::file_size(folder / "Data.cfg"));
    double held = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        ProfileList loaded;
        if (!LoadProfiles(folder / "Data.cfg", loaded).ok() || loaded.Count() != static_cast<std::size_t>(count))
            state.SkipWithError("load failed");
        held = static_cast<double>(HeapInUse() - before);
        benchmark::DoNotOptimize(loaded);
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    state.counters["heap_per_profile"] = held / count;
    state.counters["file_per_profile"] = fileBytes / count;
    state.counters["heap_to_file"] = held / fileBytes;
}

BENCHMARK(BM_LoadedProfilesHeld)->Arg(60000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveProfiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWriteWithFsync)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadProfiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
