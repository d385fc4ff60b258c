#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ProfileTestSupport.h"
#include "profiles/ProfileStore.h"

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
    ProfilePtr cafe = Named("Cafe", kNetworkTypeAdHoc);
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
// entry by entry, as any other file.
TEST_F(ProfileStore, EntrySizedFilesWithOtherLengthsFollowTheirLengthFields) {
    PROFILE_RECORD a = MakeEmptyProfile();
    SetProfileName(a, "A");
    PROFILE_RECORD c = MakeEmptyProfile();
    SetProfileName(c, "C");
    Bytes stop{0, 0, 0, 0};
    stop.resize(kEntryBytes, 0xEE);
    const std::pair<Bytes, V> cases[] = {
        {Concat({Entry(a), stop, Entry(c)}), {"A"}},
        {Entry(a, 2 * kEntryBytes - 4), {"A"}},
        {Concat({Entry(a, 396), Entry(c, 392), Entry(c)}), {"A", "C", "C"}},
    };
    for (const auto& [image, names] : cases) {
        ASSERT_EQ(image.size() % kEntryBytes, 0u);
        WriteAll(DataCfg(), image);
        ProfileList list;
        EXPECT_TRUE(ReadProfileFile(DataCfg(), list).ok());
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
    list.Append(Named("Y", kNetworkTypeAdHoc));
    ASSERT_TRUE(SaveProfiles(DataCfg(), list).ok());
    EXPECT_EQ(std::filesystem::file_size(DataCfg()), 3 * kEntryBytes);
    EXPECT_EQ(ReadAll(DataCfg()), SerializeProfiles(list.Snapshot(), true).bytes);
}

TEST_F(ProfileStore, ExportLeavesOutBuiltInsUnlessTheTargetIsDataCfg) {
    ProfileList list;
    list.Append(NewDefaultProfile());
    list.Append(Named("Office"));
    list.Append(Named("<Site Survey>"));
    list.Append(Named("Cafe", kNetworkTypeAdHoc));

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
        const StoreResult result = SaveProfiles(DataCfg(), list, c.ops);
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

TEST_F(ProfileStore, ImportGivesTwinsNewNamesAndKeepsOneDefault) {
    ProfileList list;
    list.Append(Named("Office"));
    list.Append(NewDefaultProfile());
    list.Append(Named("Net1"));
    list.Append(Named("Cafe", kNetworkTypeAdHoc));
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
