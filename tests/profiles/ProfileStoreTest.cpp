#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>

#include "ProfileTestSupport.h"
#include "profiles/ProfileStore.h"
#include "profiles/StoreBackup.h"

namespace tembrel {
namespace {

using namespace tembrel::test;
using V = std::vector<std::string>;

class ProfileStore : public ScratchFolder {
protected:
    std::filesystem::path DataCfg() const { return Path("Data.cfg"); }

    // Fills Data.cfg with `names` (Infrastructure) through the writer under test.
    void Store(const V& names) {
        ProfileList list;
        for (const auto& n : names) list.Append(Named(n));
        ASSERT_TRUE(SaveProfiles(DataCfg(), list).ok());
    }
};

TEST_F(ProfileStore, SaveAndLoadRoundTrip) {
    ProfileList list;
    list.Append(NewDefaultProfile());
    list.Append(Named("Office"));
    ProfilePtr cafe = Named("Cafe", ZARN9100_NETWORK_ADHOC);
    SetText(cafe->password, "hunter2");
    cafe->adHocChannel = 11;
    list.Append(cafe);
    const StoreResult saved = SaveProfiles(DataCfg(), list);
    ASSERT_TRUE(saved.ok()) << saved.reason;
    EXPECT_EQ(saved.records, 3u);
    EXPECT_EQ(std::filesystem::file_size(DataCfg()), 3 * kEntryBytes);

    ProfileList loaded;
    const StoreResult read = LoadProfiles(DataCfg(), loaded);
    ASSERT_TRUE(read.ok()) << read.reason;
    EXPECT_EQ(read.records, 3u);
    EXPECT_EQ(Names(loaded), (V{"<Default>", "Office", "Cafe"}));
    EXPECT_EQ(std::memcmp(loaded.At(2).get(), cafe.get(), sizeof(PROFILE_RECORD)), 0);
}

TEST_F(ProfileStore, MissingOrEmptyFileGivesOnlyTheDefault) {
    ProfileList missing;
    EXPECT_EQ(LoadProfiles(DataCfg(), missing).status, StoreStatus::NotFound);
    EXPECT_EQ(Names(missing), (V{"<Default>"}));
    const PROFILE_RECORD def = MakeDefaultProfile();
    EXPECT_EQ(std::memcmp(missing.At(0).get(), &def, sizeof def), 0);

    WriteAll(DataCfg(), {});
    ProfileList empty;
    EXPECT_TRUE(LoadProfiles(DataCfg(), empty).ok());
    EXPECT_EQ(Names(empty), (V{"<Default>"}));
}

struct LoadCase {
    const char* label;
    std::vector<std::pair<std::string, uint32_t>> stored;
    V expected;
};

TEST_F(ProfileStore, LoadInsertsTheDefaultWhereTheInfrastructureRunEnds) {
    const LoadCase cases[] = {
        {"infra then ad-hoc", {{"A", 1}, {"B", 0}}, {"A", "<Default>", "B"}},
        {"only infra", {{"A", 1}, {"B", 1}}, {"A", "B", "<Default>"}},
        {"ad-hoc first", {{"B", 0}, {"A", 1}}, {"<Default>", "B", "A"}},
        {"default present", {{"A", 1}, {"<Default>", 1}, {"B", 0}}, {"A", "<Default>", "B"}},
        // A default behind an Ad-Hoc record is not met by the walk, so a second one is added.
        {"default after ad-hoc", {{"B", 0}, {"<Default>", 1}}, {"<Default>", "B", "<Default>"}},
        // Any networkType other than 0 continues the walk.
        {"other type walks on", {{"X", 5}, {"B", 0}}, {"X", "<Default>", "B"}},
    };
    for (const auto& c : cases) {
        Bytes image;
        for (const auto& [name, type] : c.stored) {
            PROFILE_RECORD r = name == "<Default>" ? MakeDefaultProfile() : MakeEmptyProfile();
            SetProfileName(r, name);
            r.networkType = type;
            image = Concat({image, Entry(r)});
        }
        WriteAll(DataCfg(), image);
        ProfileList list;
        EXPECT_TRUE(LoadProfiles(DataCfg(), list).ok()) << c.label;
        EXPECT_EQ(Names(list), c.expected) << c.label;
    }
}

TEST_F(ProfileStore, FileCutInsideTheThirdRecordLoadsTheFirstTwo) {
    Store({"A", "B", "C"});
    ASSERT_EQ(::truncate(DataCfg().c_str(), 2 * kEntryBytes + 300), 0);
    ProfileList list;
    const StoreResult result = LoadProfiles(DataCfg(), list);
    EXPECT_EQ(result.status, StoreStatus::Truncated);
    EXPECT_EQ(result.records, 2u);
    EXPECT_NE(result.reason.find("Data.cfg"), std::string::npos);
    EXPECT_EQ(Names(list), (V{"A", "B", "<Default>"}));
}

// Files whose size is a whole number of entries but whose length fields say otherwise are read
// entry by entry, as any other file, and are not read whole.
TEST_F(ProfileStore, EntrySizedFilesWithOtherLengthsFollowTheirLengthFields) {
    PROFILE_RECORD a = MakeEmptyProfile();
    SetProfileName(a, "A");
    PROFILE_RECORD c = MakeEmptyProfile();
    SetProfileName(c, "C");
    Bytes stop{0, 0, 0, 0};
    stop.resize(kEntryBytes, 0xEE);
    const std::pair<Bytes, V> cases[] = {
        {Concat({Entry(a), stop, Entry(c)}), {"A", "C"}},  // read on past the damage
        {Entry(a, 2 * kEntryBytes - 4), {"A"}},
        {Concat({Entry(a, 396), Entry(c, 392), Entry(c)}), {"A", "C", "C"}},
    };
    for (const auto& [image, names] : cases) {
        ASSERT_EQ(image.size() % kEntryBytes, 0u);
        WriteAll(DataCfg(), image);
        ProfileList list;
        EXPECT_EQ(ReadProfileFile(DataCfg(), list).status, StoreStatus::PartlyRead);
        EXPECT_EQ(Names(list), names);
    }
}

TEST_F(ProfileStore, LoadedRecordsOutliveTheirList) {
    Store({"A", "B", "C"});
    ProfileSequence kept;
    {
        ProfileList list;
        ASSERT_TRUE(ReadProfileFile(DataCfg(), list).ok());
        kept.push_back(list.At(1));
        list.RemoveAt(0);
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ProfileName(*kept[0]), "B");
}

TEST_F(ProfileStore, ReadAppendsAfterExistingRecords) {
    Store({"A", "B"});
    ProfileList list;
    list.Append(Named("Z"));
    EXPECT_TRUE(ReadProfileFile(DataCfg(), list).ok());
    EXPECT_EQ(Names(list), (V{"Z", "A", "B"}));
}

TEST_F(ProfileStore, UnreadableSourcesLeaveTheListAlone) {
    std::filesystem::create_directory(Path("folder.cfg"));
    WriteAll(Path("big.cfg"), {});
    std::filesystem::resize_file(Path("big.cfg"), kMaxProfileFileBytes + 1);
    const std::pair<std::filesystem::path, StoreStatus> cases[] = {
        {Path("nothing.cfg"), StoreStatus::NotFound},
        {Path("folder.cfg"), StoreStatus::NotARegularFile},
        {Path("big.cfg"), StoreStatus::TooLarge},
    };
    for (const auto& [path, status] : cases) {
        ProfileList list;
        list.Append(Named("Keep"));
        const StoreResult result = ReadProfileFile(path, list);
        EXPECT_EQ(result.status, status) << path;
        EXPECT_FALSE(result.reason.empty()) << path;
        EXPECT_EQ(Names(list), (V{"Keep"})) << path;
    }
}

TEST_F(ProfileStore, ThreeRecordsOverFiveLeaveExactlyThreeEntries) {
    Store({"A", "B", "C", "D", "E"});
    ASSERT_EQ(std::filesystem::file_size(DataCfg()), 5 * kEntryBytes);
    ProfileList list;
    list.Append(Named("X"));
    list.Append(NewDefaultProfile());
    list.Append(Named("Y", ZARN9100_NETWORK_ADHOC));
    ASSERT_TRUE(SaveProfiles(DataCfg(), list).ok());
    EXPECT_EQ(std::filesystem::file_size(DataCfg()), 3 * kEntryBytes);
    EXPECT_EQ(ReadAll(DataCfg()), SerializeProfiles(list.Snapshot(), true).bytes);
}

TEST_F(ProfileStore, ExportLeavesOutBuiltInsUnlessTheTargetIsDataCfg) {
    ProfileList list;
    list.Append(NewDefaultProfile());
    list.Append(Named("Office"));
    list.Append(Named("<Site Survey>"));
    list.Append(Named("Cafe", ZARN9100_NETWORK_ADHOC));

    const StoreResult exported = ExportProfiles(Path("export.cfg"), list, DataCfg());
    ASSERT_TRUE(exported.ok()) << exported.reason;
    EXPECT_EQ(exported.records, 2u);
    EXPECT_EQ(std::filesystem::file_size(Path("export.cfg")), 2 * kEntryBytes);
    ProfileList back;
    EXPECT_TRUE(ReadProfileFile(Path("export.cfg"), back).ok());
    EXPECT_EQ(Names(back), (V{"Office", "Cafe"}));

    // Data.cfg named another way: still Data.cfg, so the built-ins stay.
    std::filesystem::create_directory(Path("sub"));
    const auto roundabout = folder_ / "sub" / ".." / "." / "Data.cfg";
    ASSERT_TRUE(ExportProfiles(roundabout, list, DataCfg()).ok());
    EXPECT_EQ(std::filesystem::file_size(DataCfg()), 4 * kEntryBytes);
    std::filesystem::create_symlink(DataCfg(), Path("link.cfg"));
    ASSERT_TRUE(ExportProfiles(Path("link.cfg"), list, DataCfg()).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(Path("link.cfg")));
    EXPECT_EQ(std::filesystem::file_size(DataCfg()), 4 * kEntryBytes);

    // Linux names are case-sensitive: DATA.CFG is another file.
    const StoreResult other = ExportProfiles(Path("DATA.CFG"), list, DataCfg());
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(other.records, 2u);
}

TEST_F(ProfileStore, FilesAreOwnerOnly) {
    const mode_t previous = ::umask(0);
    ProfileList list;
    list.Append(Named("Secret"));
    const bool savedNew = SaveProfiles(DataCfg(), list).ok();
    WriteAll(Path("old.cfg"), {1, 2, 3});
    ::chmod(Path("old.cfg").c_str(), 0666);
    const bool exportedOver = ExportProfiles(Path("old.cfg"), list, DataCfg()).ok();
    ::umask(previous);
    ASSERT_TRUE(savedNew);
    ASSERT_TRUE(exportedOver);
    for (const auto& path : {DataCfg(), Path("old.cfg")}) {
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u) << path;
    }
}

// Each step of the replacement failing in turn: the old file keeps every byte and no
// temporary file is left behind.
TEST_F(ProfileStore, FailedWriteLeavesThePreviousFileIntact) {
    Store({"A", "B", "C", "D", "E"});
    const Bytes before = ReadAll(DataCfg());
    ProfileList list;
    for (int i = 0; i < 40; ++i) list.Append(Named("N" + std::to_string(i)));

    struct Failing {
        const char* label;
        FileOps ops;
    };
    std::vector<Failing> cases;
    FileOps diskFull = FileOps::System();
    std::size_t budget = 5000;
    diskFull.write = [&budget](int fd, const void* data, std::size_t size) -> ssize_t {
        if (budget == 0) {
            errno = ENOSPC;
            return -1;
        }
        const std::size_t n = std::min(size, budget);
        budget -= n;
        return ::write(fd, data, n);
    };
    cases.push_back({"disk full", diskFull});
    FileOps zeroWrite = FileOps::System();
    zeroWrite.write = [](int, const void*, std::size_t) -> ssize_t { return 0; };
    cases.push_back({"write makes no progress", zeroWrite});
    FileOps syncFails = FileOps::System();
    syncFails.fsync = [](int) {
        errno = EIO;
        return -1;
    };
    cases.push_back({"flush fails", syncFails});
    FileOps renameFails = FileOps::System();
    renameFails.rename = [](const char*, const char*) {
        errno = EXDEV;
        return -1;
    };
    cases.push_back({"rename fails", renameFails});

    for (const auto& c : cases) {
        const StoreResult result = SaveProfiles(DataCfg(), list, false, c.ops);
        EXPECT_EQ(result.status, StoreStatus::WriteFailed) << c.label;
        EXPECT_FALSE(result.reason.empty()) << c.label;
        EXPECT_EQ(ReadAll(DataCfg()), before) << c.label;
        EXPECT_EQ(FolderEntries(), (V{"Data.cfg"})) << c.label;
    }
}

TEST_F(ProfileStore, WriteIntoAnImpossibleFolderFails) {
    WriteAll(Path("plain"), {9});
    ProfileList list;
    list.Append(Named("A"));
    const StoreResult result = ExportProfiles(Path("plain") / "export.cfg", list, DataCfg());
    EXPECT_EQ(result.status, StoreStatus::WriteFailed);
    EXPECT_NE(result.reason.find("plain"), std::string::npos);
    EXPECT_EQ(ReadAll(Path("plain")), (Bytes{9}));
}

TEST_F(ProfileStore, SavingThroughASymlinkReplacesItsTarget) {
    std::filesystem::create_directory(Path("real"));
    const auto real = Path("real") / "Data.cfg";
    Store({"A"});
    std::filesystem::rename(DataCfg(), real);
    std::filesystem::create_symlink(real, DataCfg());
    ProfileList list;
    list.Append(Named("B"));
    list.Append(Named("C"));
    ASSERT_TRUE(SaveProfiles(DataCfg(), list).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(DataCfg()));
    EXPECT_EQ(std::filesystem::file_size(real), 2 * kEntryBytes);
}

struct FileIdentity {
    ino_t inode;
    off_t size;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity Identity(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return {info.st_ino, info.st_size};
}

void Overwrite(const std::filesystem::path& path, std::size_t offset, const Bytes& bytes) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes LengthField(uint32_t n) {
    return {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
            static_cast<uint8_t>(n >> 24)};
}

struct DamagedStore {
    const char* label;
    std::function<void(const std::filesystem::path&)> damage;
    std::size_t loaded;  // records LoadProfiles still finds
};

// A store that cannot be read whole loads what it can; the first save keeps the old file as
// Data.cfg.bak (an older one moves to Data.cfg.bak.1), and later saves over the now healthy store
// keep nothing.
TEST_F(ProfileStore, SaveOverAStoreNotReadWholeKeepsItAsBak) {
    const std::vector<DamagedStore> rows = {
        {"cut inside the third record", [](const auto& p) { ASSERT_EQ(::truncate(p.c_str(), 2 * kEntryBytes + 300), 0); },
         2},
        {"stray bytes at the end", [](const auto& p) { std::ofstream(p, std::ios::app | std::ios::binary) << "xyz"; }, 3},
        {"over the size bound", [](const auto& p) { std::filesystem::resize_file(p, kMaxProfileFileBytes + 1); }, 0},
        {"a length field beyond the end",
         [](const auto& p) { std::ofstream(p, std::ios::app | std::ios::binary) << std::string("\xff\xff\xff\x7f", 4); }, 3},
        {"a zeroed block (a power cut)", [](const auto& p) { Overwrite(p, kEntryBytes, Bytes(kEntryBytes, 0)); }, 2},
        {"a zeroed sector inside a record", [](const auto& p) { Overwrite(p, 900, Bytes(512, 0)); }, 2},
        {"a length of 0 before the last entry", [](const auto& p) { Overwrite(p, 2 * kEntryBytes, Bytes(4, 0)); }, 2},
        {"a length that swallows the next entry",
         [](const auto& p) { Overwrite(p, 0, LengthField(kEntryBytes + kRecordBytes)); }, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        for (std::size_t i = 0; i < kKeptBackups; ++i) std::filesystem::remove(BackupPath(DataCfg(), i));
        WriteAll(Path("Data.cfg.bak"), {7, 7, 7});  // an older copy
        Store({"A", "B", "C"});
        row.damage(DataCfg());
        // The very file is kept (the same inode), which also spares reading 64 MiB here.
        const FileIdentity before = Identity(DataCfg());

        ProfileList list;
        EXPECT_FALSE(LoadProfiles(DataCfg(), list).ok());
        EXPECT_EQ(list.Count(), row.loaded + 1);
        const StoreResult saved = SaveProfiles(DataCfg(), list);
        ASSERT_TRUE(saved.ok()) << saved.reason;
        EXPECT_EQ(saved.keptAs, Path("Data.cfg.bak").string());
        EXPECT_EQ(Identity(Path("Data.cfg.bak")), before);
        EXPECT_EQ(FolderEntries(), (V{"Data.cfg", "Data.cfg.bak", "Data.cfg.bak.1"}));
        EXPECT_EQ(ReadAll(Path("Data.cfg.bak.1")), (Bytes{7, 7, 7}));

        ProfileList again;
        EXPECT_TRUE(LoadProfiles(DataCfg(), again).ok());
        EXPECT_EQ(Names(again), Names(list));
        const StoreResult second = SaveProfiles(DataCfg(), again);
        ASSERT_TRUE(second.ok());
        EXPECT_TRUE(second.keptAs.empty());
        EXPECT_EQ(Identity(Path("Data.cfg.bak")), before);
    }
}

// Keeping a damaged store never moves it: at every write and rename of the save a complete
// Data.cfg is in place, whether the copy is a second link or, where links are refused (another
// owner's file under protected_hardlinks, a file system without links), a copy. The copy of a
// 0644 store is owner-only, and a save that fails afterwards leaves both files whole.
TEST_F(ProfileStore, KeepingTheStoreNeverLeavesItMissing) {
    struct Row {
        const char* label;
        bool linksRefused;
        int failingSync;  // the save's sync that fails (1 = the first), 0 = none
    };
    const Row rows[] = {{"linked", false, 0}, {"copied", true, 0}, {"copied, then the save fails", true, 2},
                        {"linked, then the save fails", false, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        for (std::size_t i = 0; i < kKeptBackups; ++i) std::filesystem::remove(BackupPath(DataCfg(), i));
        Store({"A", "B", "C"});
        Overwrite(DataCfg(), 900, Bytes(512, 0));
        ASSERT_EQ(::chmod(DataCfg().c_str(), 0644), 0);
        const Bytes before = ReadAll(DataCfg());
        ProfileList list;
        ASSERT_TRUE(NotReadWhole(LoadProfiles(DataCfg(), list)));

        int checks = 0;
        const auto storeWhole = [&] {
            ++checks;
            EXPECT_EQ(ReadAll(DataCfg()), before);
        };
        FileOps ops = FileOps::System();
        const FileOps system = FileOps::System();
        if (row.linksRefused)
            ops.link = [](const char*, const char*) {
                errno = EPERM;
                return -1;
            };
        ops.write = [&](int fd, const void* data, std::size_t size) {
            storeWhole();
            return system.write(fd, data, size);
        };
        int syncs = 0;
        ops.fsync = [&](int fd) {
            if (++syncs == row.failingSync) {
                errno = EIO;
                return -1;
            }
            return system.fsync(fd);
        };
        ops.rename = [&](const char* from, const char* to) {
            storeWhole();
            return system.rename(from, to);
        };
        const StoreResult saved = SaveProfiles(DataCfg(), list, true, ops);
        EXPECT_GT(checks, 0);
        EXPECT_EQ(ReadAll(Path("Data.cfg.bak")), before);
        struct stat info {};
        ASSERT_EQ(::stat(Path("Data.cfg.bak").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u);
        if (row.failingSync != 0) {
            EXPECT_EQ(saved.status, StoreStatus::WriteFailed);
            EXPECT_EQ(ReadAll(DataCfg()), before);
        } else {
            ASSERT_TRUE(saved.ok()) << saved.reason;
            ProfileList again;
            EXPECT_TRUE(LoadProfiles(DataCfg(), again).ok());
            EXPECT_EQ(Names(again), (V{"A", "C", "<Default>"}));
        }
    }
}

// Damage, start, exit, damage elsewhere, start, exit: the profiles that only the first copy
// still holds are not lost, and over many such rounds the copies stay few.
TEST_F(ProfileStore, ASecondDamagedStartKeepsTheFirstCopy) {
    Store({"A", "B", "C", "D", "E", "F"});
    const auto damageStartAndExit = [&](std::size_t entry) {
        Overwrite(DataCfg(), entry * kEntryBytes + 100, Bytes(512, 0));
        ProfileList list;
        const StoreResult load = LoadProfiles(DataCfg(), list);
        ASSERT_TRUE(NotReadWhole(load));
        ASSERT_TRUE(SaveProfiles(DataCfg(), list, true).ok());
    };
    const auto recoverable = [&] {
        std::set<std::string> names;
        for (const auto& entry : FolderEntries()) {
            ProfileList list;
            ReadProfileFile(Path(entry), list);
            for (const auto& name : Names(list)) names.insert(name);
        }
        return names;
    };
    const std::set<std::string> survivors{"<Default>", "A", "C", "D", "E", "F"};  // B was cut by the first damage
    damageStartAndExit(1);
    EXPECT_EQ(recoverable(), survivors);
    damageStartAndExit(2);  // now D, at its new place
    EXPECT_EQ(recoverable(), survivors);
    for (int round = 0; round < 3 * static_cast<int>(kKeptBackups); ++round) damageStartAndExit(0);
    EXPECT_EQ(recoverable(), survivors);
    EXPECT_EQ(FolderEntries().size(), 1 + kKeptBackups);
}

// Temporary files of saves killed before their rename hold secrets: the next save removes them
// (and a copy's staging link), and leaves every other file alone, however alike its name.
TEST_F(ProfileStore, SaveRemovesTemporariesOfKilledSaves) {
    Store({"A"});
    for (const char* name : {".Data.cfg.tembrel-save-a1B2c3", ".Data.cfg.tembrel-bak-4242", ".Data.cfg.backup",
                             ".Data.cfg.a1B2c3", ".Data.cfg.bak.42", ".Data.cfg.tembrel-save-abc",
                             ".Data.cfg.tembrel-bak-12x", ".Other.cfg.tembrel-save-a1B2c3", "Data.cfg.tembrel-save-a1B2c3"})
        WriteAll(Path(name), {1});
    std::filesystem::create_directory(Path(".Data.cfg.tembrel-save-folder"));
    ProfileList list;
    list.Append(Named("B"));
    ASSERT_TRUE(ExportProfiles(Path("export.cfg"), list, DataCfg()).ok());
    EXPECT_EQ(FolderEntries().size(), 12u) << "an export removes nothing";
    ASSERT_TRUE(SaveProfiles(DataCfg(), list).ok());
    EXPECT_EQ(FolderEntries(),
              (V{".Data.cfg.a1B2c3", ".Data.cfg.backup", ".Data.cfg.bak.42", ".Data.cfg.tembrel-bak-12x",
                 ".Data.cfg.tembrel-save-abc", ".Data.cfg.tembrel-save-folder", ".Other.cfg.tembrel-save-a1B2c3",
                 "Data.cfg", "Data.cfg.tembrel-save-a1B2c3", "export.cfg"}));
}

// A dangling link is written through (and stays a link); links that loop are refused, and no
// Data.cfg.bak appears, let alone a link.
TEST_F(ProfileStore, DanglingLinksAreWrittenThroughAndLoopsRefused) {
    ProfileList list;
    list.Append(Named("A"));
    std::filesystem::create_directory(Path("real"));
    std::filesystem::create_symlink("real/store.cfg", DataCfg());
    const StoreResult dangling = SaveProfiles(DataCfg(), list);
    ASSERT_TRUE(dangling.ok()) << dangling.reason;
    EXPECT_TRUE(std::filesystem::is_symlink(DataCfg()));
    EXPECT_EQ(std::filesystem::file_size(Path("real") / "store.cfg"), kEntryBytes);

    std::filesystem::remove_all(Path("real"));
    std::filesystem::remove(DataCfg());
    std::filesystem::create_symlink("Data.cfg", DataCfg());
    std::filesystem::create_symlink("two.cfg", Path("one.cfg"));
    std::filesystem::create_symlink("one.cfg", Path("two.cfg"));
    for (const auto& path : {DataCfg(), Path("one.cfg")}) {
        SCOPED_TRACE(path.string());
        const StoreResult loop = WriteProfileFile(path, list, path);
        EXPECT_EQ(loop.status, StoreStatus::WriteFailed);
        EXPECT_NE(loop.reason.find("loop"), std::string::npos) << loop.reason;
        EXPECT_EQ(FolderEntries(), (V{"Data.cfg", "one.cfg", "two.cfg"}));
    }
}

// The copy comes from the file as it was at start-up: a store not read whole then is kept by the
// save even when a save of this run has made it whole since.
TEST_F(ProfileStore, KeepPreviousKeepsTheFileAsItIsNow) {
    Store({"A", "B"});
    const FileIdentity before = Identity(DataCfg());
    ProfileList list;
    list.Append(Named("C"));
    const StoreResult saved = SaveProfiles(DataCfg(), list, true);
    ASSERT_TRUE(saved.ok()) << saved.reason;
    EXPECT_EQ(saved.keptAs, Path("Data.cfg.bak").string());
    EXPECT_EQ(Identity(Path("Data.cfg.bak")), before);
    ProfileList first;
    EXPECT_TRUE(ReadProfileFile(DataCfg(), first).ok());
    EXPECT_EQ(Names(first), (V{"C"}));

    std::filesystem::remove(DataCfg());
    const StoreResult fresh = SaveProfiles(DataCfg(), list, true);  // nothing to keep
    ASSERT_TRUE(fresh.ok()) << fresh.reason;
    EXPECT_TRUE(fresh.keptAs.empty());
    EXPECT_EQ(Identity(Path("Data.cfg.bak")), before);
}

// Nothing the program writes exceeds what it reads: a full store without "<Default>" loses its last
// profile to the default in memory only (the save keeps the file), an import that would pass the
// limit is refused, and so is one more profile.
TEST_F(ProfileStore, TheListNeverGrowsBeyondWhatAFileHolds) {
    ProfileSequence full;
    full.reserve(kMaxProfiles);
    const ProfilePtr shared = Named("Same");
    for (std::size_t i = 0; i < kMaxProfiles; ++i) full.push_back(shared);
    ProfileList big;
    big.Assign(full);
    ASSERT_TRUE(SaveProfiles(DataCfg(), big).ok());
    EXPECT_FALSE(big.Append(Named("One more")));
    EXPECT_FALSE(big.Insert(0, Named("One more")));
    const FileIdentity before = Identity(DataCfg());

    ProfileList loaded;
    const StoreResult load = LoadProfiles(DataCfg(), loaded);
    EXPECT_EQ(load.status, StoreStatus::TooManyRecords);
    EXPECT_EQ(loaded.Count(), kMaxProfiles);
    EXPECT_EQ(ProfileName(*loaded.At(kMaxProfiles - 1)), "<Default>");
    const StoreResult saved = SaveProfiles(DataCfg(), loaded, NotReadWhole(load));
    ASSERT_TRUE(saved.ok()) << saved.reason;
    EXPECT_EQ(Identity(Path("Data.cfg.bak")), before);
    ProfileList again;
    EXPECT_TRUE(LoadProfiles(DataCfg(), again).ok());
    EXPECT_EQ(again.Count(), kMaxProfiles);

    ProfileList small;
    small.Append(NewDefaultProfile());
    small.Append(Named("Home"));
    const StoreResult import = ImportProfiles(Path("Data.cfg.bak"), small);
    EXPECT_EQ(import.status, StoreStatus::ListFull);
    EXPECT_EQ(Names(small), (V{"<Default>", "Home"}));

    // A file of one record more than a file may hold: the refusal names the file's own count.
    Bytes tooMany;
    for (std::size_t i = 0; i <= kMaxRecordsPerFile; ++i) tooMany.insert(tooMany.end(), {1, 0, 0, 0, 0});
    WriteAll(Path("many.cfg"), tooMany);
    const StoreResult refused = ImportProfiles(Path("many.cfg"), small);
    EXPECT_EQ(refused.status, StoreStatus::ListFull);
    EXPECT_EQ(refused.reason.rfind(std::to_string(kMaxRecordsPerFile + 1) + " profiles would", 0), 0u) << refused.reason;
    EXPECT_EQ(Names(small), (V{"<Default>", "Home"}));
}

TEST_F(ProfileStore, SaveOverAHealthyStoreKeepsNoCopy) {
    Store({"A", "B"});
    ProfileList list;
    ASSERT_TRUE(LoadProfiles(DataCfg(), list).ok());
    const StoreResult saved = SaveProfiles(DataCfg(), list);
    ASSERT_TRUE(saved.ok());
    EXPECT_TRUE(saved.keptAs.empty());
    EXPECT_EQ(FolderEntries(), (V{"Data.cfg"}));
}

// The user who cannot read their own store (mode 0200): a start and an exit used to leave only
// "<Default>" behind. Run as an ordinary user, since root reads any file.
TEST_F(ProfileStore, StoreWithoutReadPermissionIsKeptBeforeTheSave) {
    Store({"A", "B", "C", "D", "E", "F"});
    const Bytes before = ReadAll(DataCfg());
    const uid_t user = ::geteuid() == 0 ? 65534 : ::geteuid();
    const gid_t group = ::geteuid() == 0 ? 65534 : ::getegid();
    ASSERT_EQ(::chown(folder_.c_str(), user, group), 0);
    ASSERT_EQ(::chown(DataCfg().c_str(), user, group), 0);
    ASSERT_EQ(::chmod(DataCfg().c_str(), 0200), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(group) != 0 || ::setuid(user) != 0)) _exit(10);
        ProfileList list;
        if (LoadProfiles(DataCfg(), list).status != StoreStatus::OpenFailed) _exit(11);
        if (Names(list) != V{"<Default>"}) _exit(12);
        const StoreResult saved = SaveProfiles(DataCfg(), list);
        _exit(saved.ok() && !saved.keptAs.empty() ? 0 : 13);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadAll(Path("Data.cfg.bak")), before);
    struct stat info {};
    ASSERT_EQ(::stat(Path("Data.cfg.bak").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0200u);
    ProfileList saved;
    EXPECT_TRUE(LoadProfiles(DataCfg(), saved).ok());
    EXPECT_EQ(Names(saved), (V{"<Default>"}));
}

// A file the user made read-only stays as it is: the save and the export report a failure.
TEST_F(ProfileStore, ReadOnlyFilesAreNotReplaced) {
    ProfileList list;
    list.Append(Named("New"));
    const std::pair<std::filesystem::path, mode_t> rows[] = {
        {DataCfg(), 0400}, {DataCfg(), 0444}, {DataCfg(), 0}, {Path("export.cfg"), 0400}};
    for (const auto& [path, mode] : rows) {
        SCOPED_TRACE(path.string() + " mode " + std::to_string(mode));
        Store({"A"});
        WriteAll(Path("export.cfg"), {1, 2, 3});
        const Bytes before = ReadAll(path);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        const StoreResult result = ExportProfiles(path, list, DataCfg());
        EXPECT_EQ(result.status, StoreStatus::WriteFailed);
        EXPECT_NE(result.reason.find("read-only"), std::string::npos) << result.reason;
        EXPECT_EQ(ReadAll(path), before);
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        EXPECT_EQ(FolderEntries(), (V{"Data.cfg", "export.cfg"}));
        ::chmod(path.c_str(), 0600);
    }
}

TEST_F(ProfileStore, ImportGivesTwinsNewNamesAndKeepsOneDefault) {
    ProfileList list;
    list.Append(Named("Office"));
    list.Append(NewDefaultProfile());
    list.Append(Named("Net1"));
    list.Append(Named("Cafe", ZARN9100_NETWORK_ADHOC));
    // An export of the same list, plus a "<Default>" of the file's own.
    ASSERT_TRUE(ExportProfiles(Path("same.cfg"), list, DataCfg()).ok());
    Bytes image = ReadAll(Path("same.cfg"));
    image = Concat({Entry(MakeDefaultProfile()), image});
    WriteAll(Path("same.cfg"), image);

    const StoreResult result = ImportProfiles(Path("same.cfg"), list);
    ASSERT_TRUE(result.ok()) << result.reason;
    EXPECT_EQ(result.records, 4u);
    EXPECT_EQ(Names(list), (V{"Office", "<Default>", "Net1", "Office2", "Net2", "Cafe", "Cafe2"}));
}

TEST_F(ProfileStore, ImportOfADamagedFileKeepsWhatWasRead) {
    Store({"A", "B", "C"});
    ASSERT_EQ(::truncate(DataCfg().c_str(), 2 * kEntryBytes + 10), 0);
    ProfileList list;
    list.Append(Named("A"));
    const StoreResult result = ImportProfiles(DataCfg(), list);
    EXPECT_EQ(result.status, StoreStatus::Truncated);
    EXPECT_EQ(Names(list), (V{"A", "A2", "B"}));

    ProfileList untouched;
    untouched.Append(Named("A"));
    EXPECT_EQ(ImportProfiles(Path("missing.cfg"), untouched).status, StoreStatus::NotFound);
    EXPECT_EQ(Names(untouched), (V{"A"}));
}

}  // namespace
}  // namespace tembrel
