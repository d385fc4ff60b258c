#include "pages/profiles/logic/AdminTransfer.h"

#include "profiles/ProfileStore.h"
#include "tests/profiles/ProfileTestSupport.h"

namespace tembrel::test {
namespace {

class AdminTransferTest : public ScratchFolder {
protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        list.Assign({NewDefaultProfile(), Named("Home"), Named("Beach", ZARN9100_NETWORK_ADHOC)});
    }

    ProfileList list;
};

struct DamagedFile {
    const char* label;
    Bytes image;  // empty image and `directory` false: no file at all
    bool directory;
    StoreStatus status;
    std::size_t records;             // imported: those read before the damage
    std::vector<std::string> names;  // the list afterwards
    const char* damageText;          // the page's line, empty when nothing could be read
};

TEST_F(AdminTransferTest, DamagedFileKeepsWhatWasReadAndUnreadableFileChangesNothing) {
    const Bytes home = Entry(*Named("Home"));
    const Bytes office = Entry(*Named("Office"));
    const Bytes park = Entry(*Named("Park", ZARN9100_NETWORK_ADHOC));
    const std::vector<std::string> untouched = {"<Default>", "Home", "Beach"};
    const std::vector<DamagedFile> rows = {
        {"missing", {}, false, StoreStatus::NotFound, 0, untouched, ""},
        {"folder", {}, true, StoreStatus::NotARegularFile, 0, untouched, ""},
        {"cut in the second length field", Concat({home, office, Bytes{0x14, 0x03}}), false, StoreStatus::Truncated, 2,
         {"<Default>", "Home", "Home2", "Office", "Beach"}, "The file is damaged; 2 profiles were imported."},
        {"cut in the second record", Concat({park, Bytes(office.begin(), office.end() - 100)}), false,
         StoreStatus::Truncated, 1, {"<Default>", "Home", "Beach", "Park"},
         "The file is damaged; 1 profile was imported."},
        {"a few stray bytes at the end of a backup", Concat({home, office, park, Bytes{'\n', 0x1a}}), false,
         StoreStatus::Truncated, 3, {"<Default>", "Home", "Home2", "Office", "Beach", "Park"},
         "The file is damaged; 3 profiles were imported."},
        {"a length of 0 in the middle", Concat({home, office, Bytes{0, 0, 0, 0}, park, park, park}), false,
         StoreStatus::PartlyRead, 2, {"<Default>", "Home", "Home2", "Office", "Beach"},
         "The file is damaged; 2 profiles were imported."},
        {"a length of 0 first", Concat({Bytes{0, 0, 0, 0}, home}), false, StoreStatus::PartlyRead, 0, untouched,
         "The file is damaged; no profile was imported."},
        // Cut before networkType: the zero left there makes it an Ad-Hoc profile.
        {"short record", Entry(*Named("Shop"), 60), false, StoreStatus::PartlyRead, 1,
         {"<Default>", "Home", "Beach", "Shop"}, "The file is damaged; 1 profile was imported."},
        {"text", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'r', 'o', 'f', 'i', 'l', 'e'}, false, StoreStatus::Truncated, 0,
         untouched, "The file is damaged; no profile was imported."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        list.Assign({NewDefaultProfile(), Named("Home"), Named("Beach", ZARN9100_NETWORK_ADHOC)});
        const ProfileSequence before = list.Snapshot();
        const auto path = Path(std::string(row.label) + ".cfg");
        if (row.directory)
            std::filesystem::create_directory(path);
        else if (!row.image.empty())
            WriteAll(path, row.image);

        const StoreResult result = ImportProfileFile(path, list);
        EXPECT_EQ(result.status, row.status);
        EXPECT_FALSE(result.reason.empty());
        EXPECT_EQ(result.records, row.records);
        EXPECT_EQ(Names(list), row.names);
        EXPECT_EQ(ImportDamageText(result), row.damageText);
        if (row.records == 0) {
            EXPECT_EQ(list.Snapshot(), before);  // the very same records, in the same order
        }
    }
}

TEST_F(AdminTransferTest, FilesReadWholeOrNotAtAllHaveNoDamageText) {
    for (const StoreStatus status : {StoreStatus::Ok, StoreStatus::NotFound, StoreStatus::OpenFailed,
                                     StoreStatus::NotARegularFile, StoreStatus::TooLarge, StoreStatus::WriteFailed}) {
        StoreResult result;
        result.status = status;
        result.records = 4;
        EXPECT_EQ(ImportDamageText(result), "") << static_cast<int>(status);
    }
    StoreResult tooMany;
    tooMany.status = StoreStatus::TooManyRecords;
    tooMany.records = 65536;
    EXPECT_EQ(ImportDamageText(tooMany), "The file is damaged; 65536 profiles were imported.");
}

struct GoodFile {
    const char* label;
    Bytes image;
    std::size_t records;
    std::vector<std::string> names;
};

TEST_F(AdminTransferTest, WholeFileIsAppendedAndFixedUp) {
    const Bytes home = Entry(*Named("Home"));
    const Bytes net = Entry(*Named("Net9", ZARN9100_NETWORK_ADHOC));
    const Bytes office = Entry(*Named("Office"));
    const std::vector<GoodFile> rows = {
        {"empty file", {}, 0, {"<Default>", "Home", "Beach"}},
        {"repeated names and a second default",
         Concat({net, home, Entry(MakeDefaultProfile()), office, net}),
         5,
         {"<Default>", "Home", "Home2", "Office", "Beach", "Net9", "Net10"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        list.Assign({NewDefaultProfile(), Named("Home"), Named("Beach", ZARN9100_NETWORK_ADHOC)});
        const auto path = Path(std::string(row.label) + ".cfg");
        WriteAll(path, row.image);

        const StoreResult result = ImportProfileFile(path, list);
        EXPECT_TRUE(result.ok()) << result.reason;
        EXPECT_EQ(result.records, row.records);
        EXPECT_EQ(Names(list), row.names);
    }
}

// A file with one record more than a file may hold: the refusal names the file's count, not the
// part of it that was read.
TEST_F(AdminTransferTest, RefusalOfAnOversizedFileNamesItsCount) {
    Bytes image;
    for (std::size_t i = 0; i <= kMaxRecordsPerFile; ++i) image.insert(image.end(), {1, 0, 0, 0, 0});
    WriteAll(Path("many.cfg"), image);
    const StoreResult result = ImportProfileFile(Path("many.cfg"), list);
    EXPECT_EQ(result.status, StoreStatus::ListFull);
    EXPECT_NE(result.reason.find(": " + std::to_string(kMaxRecordsPerFile + 1) + " profiles would"), std::string::npos)
        << result.reason;
    EXPECT_EQ(Names(list), (std::vector<std::string>{"<Default>", "Home", "Beach"}));
}

TEST_F(AdminTransferTest, ExportedFileComesBackAsTwins) {
    list.Assign({NewDefaultProfile(), Named("Office"), Named("Net1"), Named("Beach", ZARN9100_NETWORK_ADHOC),
                 Named(kSiteSurveyProfileName)});
    const auto backup = Path("backup.cfg");
    ASSERT_TRUE(WriteProfileFile(backup, list, Path("Data.cfg")).ok());

    ASSERT_TRUE(ImportProfileFile(backup, list).ok());
    EXPECT_EQ(Names(list), (std::vector<std::string>{"<Default>", "Office", "Net1", "<Site Survey>", "Office2", "Net2",
                                                     "Beach", "Beach2"}));
}

}  // namespace
}  // namespace tembrel::test
