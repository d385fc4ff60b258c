#include "DamagedStoreCampaign.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "profiles/InputFile.h"
#include "tests/support/TempFolder.h"
#include "profiles/ProfileFileFormat.h"
#include "profiles/ProfileStore.h"
#include "profiles/StoreBackup.h"
#include "profiles/ProfileText.h"

namespace tembrel::stress {

namespace {

using Bytes = std::vector<uint8_t>;

ProfileSequence Profiles(std::size_t count) {
    ProfileSequence records;
    records.push_back(NewDefaultProfile());
    for (std::size_t i = 0; i < count; ++i) {
        ProfilePtr p = NewEmptyProfile();
        SetProfileName(*p, "P-" + std::to_string(i));
        SetProfileSsid(*p, "Net-" + std::to_string(i));
        SetText(p->passphrase, "pass-" + std::to_string(i));
        p->networkType = ZARN9100_NETWORK_INFRASTRUCTURE;
        records.push_back(std::move(p));
    }
    return records;
}

Bytes ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// True when `file` holds `entry` at an entry boundary: what a recovery that reads the file entry by
// entry, past a damaged one, gets back.
bool HoldsEntry(const Bytes& file, const uint8_t* entry) {
    for (std::size_t at = 0; at + kEntryBytes <= file.size(); at += kEntryBytes)
        if (std::equal(entry, entry + kEntryBytes, file.begin() + static_cast<std::ptrdiff_t>(at))) return true;
    return false;
}

void ZeroBlock(Bytes& bytes, std::size_t from, std::size_t count) {
    const std::size_t to = std::min(bytes.size(), from + count);
    if (from < to)
        std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to), 0);
}

// One run of the program: start-up loads the store and, when it was not read whole, keeps it at
// once; exit saves.
bool StartAndExit(const std::filesystem::path& store) {
    ProfileList list;
    const StoreResult loaded = LoadProfiles(store, list);
    const bool keep = NotReadWhole(loaded);
    const bool kept = keep && KeepStoreBackup(store).ok();
    return SaveProfiles(store, list, keep && !kept).ok();
}

// Indices of the original profiles that the program itself reads back, byte for byte, from the
// store or any of its backups.
std::vector<bool> ReadBack(const std::filesystem::path& store, const ProfileSequence& originals) {
    std::vector<bool> found(originals.size(), false);
    std::vector<std::filesystem::path> files{store};
    for (std::size_t i = 0; i < kKeptBackups; ++i) files.push_back(BackupPath(store, i));
    for (const auto& file : files) {
        ProfileList list;
        ReadProfileFile(file, list);
        for (const auto& record : list.Snapshot())
            for (std::size_t i = 0; i < originals.size(); ++i)
                if (!found[i] && std::memcmp(record.get(), originals[i].get(), sizeof(PROFILE_RECORD)) == 0) {
                    found[i] = true;
                    break;
                }
    }
    return found;
}

}  // namespace

std::vector<Figure> RunDoubleDamageCampaign(const DamagedStoreOptions& options) {
    const std::string c = "double damage";
    const testing::TempFolder folder("tembrel-double-");
    if (!folder.made()) return {{c, "scratch folder", "cannot create", "created", false}};
    const std::filesystem::path store = folder / "Data.cfg";
    const ProfileSequence originals = Profiles(options.profiles);
    const Bytes original = SerializeProfiles(originals, true).bytes;
    std::mt19937 random(options.seed + 1);
    std::uniform_int_distribution<std::size_t> blockAt(0, (original.size() - 1) / options.blockBytes);
    std::size_t intact = 0, recovered = 0, lost = 0, failures = 0, maxCopies = 0;
    // A tenth of the single-damage rounds: each round reads every file back in full.
    const std::size_t rounds = std::max<std::size_t>(1, options.rounds / 10);
    for (std::size_t round = 0; round < rounds; ++round) {
        std::error_code ec;
        for (std::size_t i = 0; i < kKeptBackups; ++i) std::filesystem::remove(BackupPath(store, i), ec);
        Bytes damaged = original;
        const std::size_t first = blockAt(random) * options.blockBytes;
        ZeroBlock(damaged, first, options.blockBytes);
        WriteBytes(store, damaged);
        if (!StartAndExit(store)) ++failures;
        Bytes again = ReadBytes(store);
        ZeroBlock(again, blockAt(random) * options.blockBytes % std::max<std::size_t>(again.size(), 1), options.blockBytes);
        WriteBytes(store, again);
        if (!StartAndExit(store)) ++failures;

        const std::vector<bool> found = ReadBack(store, originals);
        for (std::size_t i = 0; i < originals.size(); ++i) {
            const std::size_t begin = i * kEntryBytes;
            if (begin < first + options.blockBytes && begin + kEntryBytes > first) continue;  // the first damage took it
            ++intact;
            if (found[i]) ++recovered;
            else ++lost;
        }
        std::size_t copies = 0;
        for (std::size_t i = 0; i < kKeptBackups; ++i) copies += std::filesystem::exists(BackupPath(store, i), ec);
        maxCopies = std::max(maxCopies, copies);
    }
    const auto n = [](std::size_t v) { return std::to_string(v); };
    return {
        {c, "rounds (damage, start, exit, damage elsewhere, start, exit)", n(rounds), "", true},
        {c, "profiles intact after the first damage", n(intact), "", true},
        {c, "of them read back by the program from Data.cfg and its copies", n(recovered), n(intact), recovered == intact},
        {c, "lost", n(lost), "0", lost == 0},
        {c, "copies kept at most", n(maxCopies), "<= " + n(kKeptBackups), maxCopies <= kKeptBackups},
        {c, "starts or exits that failed", n(failures), "0", failures == 0},
    };
}

std::vector<Figure> RunDamagedStoreCampaign(const DamagedStoreOptions& options) {
    const std::string c = "damaged store";
    const testing::TempFolder folder("tembrel-damaged-");
    if (!folder.made()) return {{c, "scratch folder", "cannot create", "created", false}};
    const std::filesystem::path store = folder / "Data.cfg";
    const std::filesystem::path bak = folder / "Data.cfg.bak";

    const Bytes original = SerializeProfiles(Profiles(options.profiles), true).bytes;
    const std::size_t entries = original.size() / kEntryBytes;
    std::mt19937 random(options.seed);
    std::uniform_int_distribution<std::size_t> blockAt(0, (original.size() - 1) / options.blockBytes);
    std::size_t touched = 0, intact = 0, loadedAtStart = 0, recovered = 0, lost = 0, saveFailures = 0, noCopy = 0;
    for (std::size_t round = 0; round < options.rounds; ++round) {
        std::error_code ec;
        std::filesystem::remove(bak, ec);
        Bytes damaged = original;
        const std::size_t from = blockAt(random) * options.blockBytes;
        const std::size_t to = std::min(damaged.size(), from + options.blockBytes);
        std::fill(damaged.begin() + static_cast<std::ptrdiff_t>(from), damaged.begin() + static_cast<std::ptrdiff_t>(to), 0);
        WriteBytes(store, damaged);

        // Two runs of the program: each loads at start-up and saves once at exit.
        for (int run = 0; run < 2; ++run) {
            ProfileList list;
            const StoreResult loaded = LoadProfiles(store, list);
            if (run == 0) loadedAtStart += list.Count();
            if (!SaveProfiles(store, list, NotReadWhole(loaded)).ok()) ++saveFailures;
        }
        const Bytes saved = ReadBytes(store);
        const Bytes kept = ReadBytes(bak);
        if (kept.empty()) ++noCopy;
        for (std::size_t i = 0; i < entries; ++i) {
            const std::size_t begin = i * kEntryBytes;
            if (begin < to && begin + kEntryBytes > from) {
                ++touched;  // zeroed by the damage itself
                continue;
            }
            ++intact;
            const uint8_t* entry = original.data() + begin;
            if (HoldsEntry(saved, entry) || HoldsEntry(kept, entry))
                ++recovered;
            else
                ++lost;
        }
    }
    const auto n = [](std::size_t v) { return std::to_string(v); };
    const auto perRound = [&](std::size_t v) { return n(options.rounds ? v / options.rounds : 0); };
    return {
        {c, "profiles in the store (with <Default>)", n(entries), "", true},
        {c, "rounds (a zeroed " + n(options.blockBytes) + "-byte block at a random offset, two starts and exits)",
         n(options.rounds), "", true},
        {c, "profiles loaded at the first start, per round", perRound(loadedAtStart), "", true},
        {c, "profiles the block touched, per round", perRound(touched), "", true},
        {c, "profiles the block left intact", n(intact), "", true},
        {c, "of them recoverable from Data.cfg + Data.cfg.bak", n(recovered), n(intact), recovered == intact},
        {c, "lost", n(lost), "0", lost == 0},
        {c, "rounds without Data.cfg.bak", n(noCopy), "0", noCopy == 0},
        {c, "saves that failed", n(saveFailures), "0", saveFailures == 0},
    };
}

}  // namespace tembrel::stress
