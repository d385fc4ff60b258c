#include "adapter/DriverLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tembrel {
namespace {

namespace fs = std::filesystem;

TEST(DriverLoader, MissingLibraryGivesNoCardAndNamesThePath) {
    const auto result = LoadDriverLibrary("/nonexistent/libTembrel.so");
    EXPECT_FALSE(result.loaded);
    ASSERT_NE(result.library, nullptr);
    EXPECT_NE(result.error.find("/nonexistent/libTembrel.so"), std::string::npos) << result.error;
    EXPECT_EQ(result.error.find('\n'), std::string::npos);

    ZARN9100_HANDLE h = reinterpret_cast<ZARN9100_HANDLE>(0x1);
    result.library->OpenAdapter(&h);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(result.library->GetConnectStatus(nullptr), 0);  // "not associated", not a failure code
    EXPECT_NE(result.library->SetSsid(nullptr, "x", 1, 0), 0);
    int active = 0;
    EXPECT_EQ(result.library->QueryWZCStatusCheck(&active), 1);
    EXPECT_FALSE(result.library->SetDeviceNotify(nullptr, nullptr));
}

TEST(DriverLoader, LibraryLackingAnOperationIsRefusedByName) {
    const auto result = LoadDriverLibrary(PARTIAL_LIBRARY_PATH);
    EXPECT_FALSE(result.loaded);
    EXPECT_NE(result.error.find("lacks the operation Zarn9100Initialize"), std::string::npos) << result.error;
    ZARN9100_HANDLE h = nullptr;
    result.library->OpenAdapter(&h);
    EXPECT_EQ(h, nullptr);  // the partial library is not used at all
}

TEST(DriverLoader, FileThatIsNotALibraryIsRefused) {
    const fs::path bogus = fs::temp_directory_path() / ("tembrel-bogus-" + std::to_string(::getpid()) + ".so");
    std::ofstream(bogus) << "not an ELF file";
    const auto result = LoadDriverLibrary(bogus.string());
    fs::remove(bogus);
    EXPECT_FALSE(result.loaded);
    EXPECT_FALSE(result.error.empty());
}

TEST(DriverLoader, ResolvesOptionThenEnvironmentThenBesideTheExecutable) {
    const fs::path dir = fs::temp_directory_path() / ("tembrel-resolve-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string exe = (dir / "Tembrel").string();

    EXPECT_EQ(ResolveDriverPath("/opt/a.so", "/env/b.so", exe), "/opt/a.so");
    EXPECT_EQ(ResolveDriverPath("", "/env/b.so", exe), "/env/b.so");
    EXPECT_EQ(ResolveDriverPath("", "", exe), "libTembrel.so");  // nothing beside it: system search
    EXPECT_EQ(ResolveDriverPath("", nullptr, exe), "libTembrel.so");
    std::ofstream(dir / "libTembrel.so") << "";
    EXPECT_EQ(ResolveDriverPath("", nullptr, exe), (dir / "libTembrel.so").string());
    // The library is named after the executable.
    EXPECT_EQ(ResolveDriverPath("", nullptr, (dir / "Other").string()), "libOther.so");
    fs::remove_all(dir);
}

TEST(DriverLoader, LoadsTheSimulatedCardWhenBuilt) {
    const char* bin = std::getenv("TEMBREL_BIN_DIR");
    if (!bin || !fs::exists(fs::path(bin) / "libTembrel.so")) GTEST_SKIP() << "libTembrel.so not built";
    const auto result = LoadDriverLibrary((fs::path(bin) / "libTembrel.so").string());
    ASSERT_TRUE(result.loaded) << result.error;
    ZARN9100_HANDLE h = nullptr;
    result.library->OpenAdapter(&h);
    EXPECT_NE(h, nullptr);
    result.library->CloseAdapter(&h);
}

}  // namespace
}  // namespace tembrel
