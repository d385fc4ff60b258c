#include "CrashSaveCampaign.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "profiles/InputFile.h"
#include "profiles/ProfileFileFormat.h"
#include "profiles/ProfileStore.h"
#include "profiles/ProfileText.h"

namespace tembrel::stress {

namespace {

// Generation `gen` of the store: every record differs from the same record of any other generation.
ProfileSequence Generation(uint32_t gen, std::size_t profiles) {
    ProfileSequence records;
    records.reserve(profiles + 1);
    records.push_back(NewDefaultProfile());
    for (std::size_t i = 0; i < profiles; ++i) {
        ProfilePtr p = NewEmptyProfile();
        SetProfileName(*p, "G" + std::to_string(gen) + "-" + std::to_string(i));
        SetProfileSsid(*p, "Net-" + std::to_string((gen * 7919 + i) % 100000));
        SetText(p->passphrase, "pass-" + std::to_string(gen) + "-" + std::to_string(i));
        p->networkType = i % 5 == 4 ? ZARN9100_NETWORK_ADHOC : ZARN9100_NETWORK_INFRASTRUCTURE;
        p->adHocChannel = static_cast<uint32_t>(1 + (gen + i) % 11);
        records.push_back(std::move(p));
    }
    return records;
}

StoreResult SaveGeneration(const std::filesystem::path& store, uint32_t gen, std::size_t profiles) {
    ProfileList list;
    list.Assign(Generation(gen, profiles));
    return SaveProfiles(store, list);
}

std::vector<uint8_t> Image(uint32_t gen, std::size_t profiles) {
    return SerializeProfiles(Generation(gen, profiles), true).bytes;
}

// The generation a store holds, read from its second record's name ("G<gen>-0"); -1 when unknown.
long long GenerationOf(const ProfileList& list) {
    if (list.Count() < 2) return -1;
    const std::string name(ProfileName(*list.At(1)));
    if (name.size() < 2 || name[0] != 'G') return -1;
    return std::strtoll(name.c_str() + 1, nullptr, 10);
}

// The child: saves generation after generation and reports each finished save on `report`.
[[noreturn]] void SaveForever(const std::filesystem::path& store, uint32_t first, std::size_t profiles, int report) {
    for (uint32_t gen = first;; ++gen) {
        if (!SaveGeneration(store, gen, profiles).ok()) _exit(3);
        if (::write(report, &gen, sizeof gen) != sizeof gen) _exit(4);
    }
}

std::size_t LeftoverTemporaries(const std::filesystem::path& folder) {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().rfind(".Data.cfg.", 0) == 0) ++n;
    return n;
}

std::string Text(double v, int decimals = 1) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

}  // namespace

std::vector<Figure> RunCrashSaveCampaign(const CrashSaveOptions& options) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tembrel-stress-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return {{"crash during save", "scratch folder", "cannot create", "created", false}};
    const std::filesystem::path folder = pattern;
    const std::filesystem::path store = folder / "Data.cfg";

    // Generation 0 in place, and the time of one save, which sets the range of the kill moments.
    const auto t0 = std::chrono::steady_clock::now();
    if (!SaveGeneration(store, 0, options.profiles).ok()) return {{"crash during save", "first save", "failed", "saved", false}};
    const auto saveTime = std::chrono::steady_clock::now() - t0;
    const auto saveUs = std::max<long long>(200, std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count());

    std::mt19937 random(options.seed);
    std::uniform_int_distribution<long long> delayUs(0, 3 * saveUs);
    uint32_t current = 0;  // the generation the store holds
    std::size_t saves = 0, lost = 0, corrupt = 0, equalsOld = 0, equalsNew = 0, childFailures = 0;
    for (std::size_t k = 0; k < options.kills; ++k) {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return {{"crash during save", "pipe", "cannot create", "created", false}};
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeFds[0]);
            SaveForever(store, current + 1, options.profiles, pipeFds[1]);
        }
        ::close(pipeFds[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)) ++childFailures;
        uint32_t finished = current, gen = 0;
        while (::read(pipeFds[0], &gen, sizeof gen) == sizeof gen) {
            finished = gen;
            ++saves;
        }
        ::close(pipeFds[0]);

        // The store must load whole and be the last finished generation or the one in flight.
        ProfileList loaded;
        const StoreResult read = ReadProfileFile(store, loaded);
        const long long held = GenerationOf(loaded);
        if (!read.ok() || loaded.Count() != options.profiles + 1 || held < 0) {
            ++lost;
            continue;
        }
        if ((held != finished && held != finished + 1) ||
            SerializeProfiles(loaded.Snapshot(), true).bytes != Image(static_cast<uint32_t>(held), options.profiles)) {
            ++corrupt;
            current = static_cast<uint32_t>(held);
            continue;
        }
        (held == finished ? equalsOld : equalsNew) += 1;
        current = static_cast<uint32_t>(held);
    }
    const std::size_t leftovers = LeftoverTemporaries(folder);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);

    const std::string c = "crash during save";
    const std::string n = std::to_string(options.profiles);
    return {
        {c, "profiles in the store", n, "", true},
        {c, "one save (ms)", Text(saveUs / 1000.0), "", true},
        {c, "kills (SIGKILL at a random moment)", std::to_string(options.kills), "", true},
        {c, "saves finished before the kills", std::to_string(saves), "", true},
        {c, "store = last finished save", std::to_string(equalsOld), "", true},
        {c, "store = the save in flight", std::to_string(equalsNew), "", true},
        {c, "lost (store not loadable whole)", std::to_string(lost), "0", lost == 0},
        {c, "corrupt (neither old nor new)", std::to_string(corrupt), "0", corrupt == 0},
        {c, "saver ended otherwise than by the kill", std::to_string(childFailures), "0", childFailures == 0},
        {c, "temporary files left at the end (each save removes older ones)", std::to_string(leftovers), "at most 1",
         leftovers <= 1},
    };
}

}  // namespace tembrel::stress
