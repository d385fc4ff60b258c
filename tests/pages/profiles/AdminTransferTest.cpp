#include "pages/profiles/logic/AdminTransfer.h"

#include "profiles/ProfileStore.h"
#include "tests/profiles/ProfileTestSupport.h"

namespace tembrel::test {
namespace {

class AdminTransferTest : public ScratchFolder {
protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        list.Assign({NewDefaultProfile(), Named("Home"), Named("Beach", kNetworkTypeAdHoc)});
    }

    ProfileList list;
};

struct DamagedFile {
    const char* label;
    Bytes image;  // empty image and `directory` false: no file at all
    bool directory;
    StoreStatus status;
};

TEST_F(AdminTransferTest, DamagedOrMissingFileLeavesTheListAlone) {
    const Bytes home = Entry(*Named("Home"));
    const Bytes office = Entry(*Named("Office"));
    const std::vector<DamagedFile> rows = {
        {"missing", {}, false, StoreStatus::NotFound},
        {"folder", {}, true, StoreStatus::NotARegularFile},
        {"cut in the second length field", Concat({home, office, Bytes{0x14, 0x03}}), false, StoreStatus::Truncated},
        {"cut in the second record", Concat({home, Bytes(office.begin(), office.end() - 100)}), false,
         StoreStatus::Truncated},
        {"text", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'r', 'o', 'f', 'i', 'l', 'e'}, false, StoreStatus::Truncated},
    };
    const ProfileSequence before = list.Snapshot();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const auto path = Path(std::string(row.label) + ".cfg");
        if (row.directory)
            std::filesystem::create_directory(path);
        else if (!row.image.empty())
            WriteAll(path, row.image);

        const StoreResult result = ImportWholeProfileFile(path, list);
        EXPECT_EQ(result.status, row.status);
        EXPECT_FALSE(result.reason.empty());
        EXPECT_EQ(result.records, 0u);
        EXPECT_EQ(list.Snapshot(), before);  // the very same records, in the same order
        EXPECT_EQ(Names(list), (std::vector<std::string>{"<Default>", "Home", "Beach"}));
    }
}

struct GoodFile {
    const char* label;
    Bytes image;
    std::size_t records;
    std::vector<std::string> names;
};

TEST_F(AdminTransferTest, WholeFileIsAppendedAndFixedUp) {
    const Bytes home = Entry(*Named("Home"));
    const Bytes net = Entry(*Named("Net9", kNetworkTypeAdHoc));
    const Bytes office = Entry(*Named("Office"));
    const std::vector<GoodFile> rows = {
        {"empty file", {}, 0, {"<Default>", "Home", "Beach"}},
        {"zero length ends the file", Concat({Bytes{0, 0, 0, 0}, home}), 0, {"<Default>", "Home", "Beach"}},
        {"repeated names and a second default",
         Concat({net, home, Entry(MakeDefaultProfile()), office, net}),
         5,
         {"<Default>", "Home", "Home2", "Office", "Beach", "Net9", "Net10"}},
        // Cut before networkType: the zero left there makes it an Ad-Hoc profile.
        {"short record keeps zeros behind it", Concat({Entry(*Named("Shop"), 60)}), 1,
         {"<Default>", "Home", "Beach", "Shop"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        list.Assign({NewDefaultProfile(), Named("Home"), Named("Beach", kNetworkTypeAdHoc)});
        const auto path = Path(std::string(row.label) + ".cfg");
        WriteAll(path, row.image);

        const StoreResult result = ImportWholeProfileFile(path, list);
        EXPECT_TRUE(result.ok()) << result.reason;
        EXPECT_EQ(result.records, row.records);
        EXPECT_EQ(Names(list), row.names);
    }
}

TEST_F(AdminTransferTest, ExportedFileComesBackAsTwins) {
    list.Assign({NewDefaultProfile(), Named("Office"), Named("Net1"), Named("Beach", kNetworkTypeAdHoc),
                 Named(kSiteSurveyProfileName)});
    const auto backup = Path("backup.cfg");
    ASSERT_TRUE(WriteProfileFile(backup, list, Path("Data.cfg")).ok());

    ASSERT_TRUE(ImportWholeProfileFile(backup, list).ok());
    EXPECT_EQ(Names(list), (std::vector<std::string>{"<Default>", "Office", "Net1", "<Site Survey>", "Office2", "Net2",
                                                     "Beach", "Beach2"}));
}

}  // namespace
}  // namespace tembrel::test
