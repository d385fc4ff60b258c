// The About page's texts: versions read back from binaries stamped with known versions, the
// driver's texts read with bounded lengths, and the card's facts in the documented order.
#include "pages/settings/logic/AboutInfo.h"

#include "platform/FileVersion.h"
#include "platform/Paths.h"
#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace tembrel::testing {
namespace {

std::vector<char> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

ByteReader MemoryReader(const std::vector<char>& bytes) {
    return [&bytes](uint64_t offset, void* out, size_t size) {
        if (offset > bytes.size() || size > bytes.size() - offset) return false;
        std::memcpy(out, bytes.data() + offset, size);
        return true;
    };
}

TEST(FileVersions, ReadBackFromTheFiles) {
    EXPECT_EQ(ReadStampedVersion(STAMPED_LIBRARY), (FileVersion{9, 8, 7, 0}));
    // This test program is stamped as well, with a version of its own.
    EXPECT_EQ(ReadStampedVersion(ExecutablePath()), (FileVersion{5, 6, 7, 8}));
    EXPECT_EQ(ReadStampedVersion(UNSTAMPED_LIBRARY), std::nullopt);
    EXPECT_EQ(ReadStampedVersion(__FILE__), std::nullopt) << "not a binary";
    EXPECT_EQ(ReadStampedVersion("/nonexistent/libTembrel.so"), std::nullopt);
#ifdef SIMULATED_LIBRARY
    // The simulated card carries the project's version.
    const auto sim = ReadStampedVersion(SIMULATED_LIBRARY);
    ASSERT_TRUE(sim);
    EXPECT_EQ(FileVersionText(sim, "x"), std::string(PROJECT_FILE_VERSION) + " (x)");
#endif
}

TEST(FileVersions, DamagedImagesGiveNoVersionOrTheRightOne) {
    const std::vector<char> whole = FileBytes(STAMPED_LIBRARY);
    ASSERT_GT(whole.size(), 64u);
    // Every cut of the file: never a wrong version, never a read outside it.
    for (size_t length = 0; length < whole.size(); length += length < 256 ? 1 : 97) {
        const std::vector<char> cut(whole.begin(), whole.begin() + std::ptrdiff_t(length));
        const auto version = FindStampedVersion(MemoryReader(cut));
        if (version) {
            EXPECT_EQ(*version, (FileVersion{9, 8, 7, 0})) << length;
        }
    }
    // Without its section table the note segment is found.
    std::vector<char> noSections = whole;
    std::memset(noSections.data() + 0x28, 0xFF, 8);  // e_shoff of a 64-bit file far outside it
    EXPECT_EQ(FindStampedVersion(MemoryReader(noSections)), (FileVersion{9, 8, 7, 0}));
    std::vector<char> notElf = whole;
    notElf[1] = 'X';
    EXPECT_EQ(FindStampedVersion(MemoryReader(notElf)), std::nullopt);
}

TEST(FileVersions, TextsAndDates) {
    EXPECT_EQ(FileVersionText(FileVersion{9, 8, 7, 0}, "3-4-2026"), "9.8.7.0 (3-4-2026)");
    EXPECT_EQ(FileVersionText(std::nullopt, "3-4-2026"), "");
    EXPECT_EQ(FileVersionText(std::filesystem::path()), "");
    struct stat info {};
    ASSERT_EQ(::stat(STAMPED_LIBRARY, &info), 0);
    std::tm local{};
    localtime_r(&info.st_mtime, &local);
    EXPECT_EQ(FileDateText(STAMPED_LIBRARY), std::to_string(local.tm_mon + 1) + "-" + std::to_string(local.tm_mday) +
                                                  "-" + std::to_string(local.tm_year + 1900));
    EXPECT_EQ(FileDateText("/nonexistent"), "");
    EXPECT_EQ(FirmwareText(0x01020304), "1.2.3.4");
    EXPECT_EQ(MacText({0x00, 0xE0, 0x4C, 0x0A, 0xBC, 0xFF}), "00 E0 4C 0A BC FF");
}

TEST(BoundedTexts, StopAtTheTerminatorOrTheBuffer) {
    const char terminated[8] = {'3', '.', '2', '\0', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(BoundedText(terminated, sizeof terminated), "3.2");
    const char full[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(BoundedText(full, sizeof full), "abcd");
}

// A library that fills the whole version buffer and leaves no terminator.
class UnterminatedDriver : public RecordingDriver {
public:
    int QueryDriverVersion(ZARN9100_HANDLE h, char* buf, uint32_t cap) override {
        const int result = RecordingDriver::QueryDriverVersion(h, buf, cap);
        std::memset(buf, 'V', cap);
        return result;
    }
};

class AboutCollect : public ::testing::Test {
protected:
    AboutSources sources() const { return {ExecutablePath(), STAMPED_LIBRARY, 0x30}; }
    UnterminatedDriver driver;
    AdapterHandle handle;
};

TEST_F(AboutCollect, CardFactsInOrderWithBoundedTexts) {
    handle.exclusive([this](ZARN9100_HANDLE* h) { return driver.OpenAdapter(h); });
    driver.clearCalls();
    driver.setOutU32("QueryChipVersion", 2);
    driver.setOutU32("QueryFirmwareVersion", 0x01020304);
    driver.setOutText("QueryDriverDate", "9-14-2005");
    driver.setOutBytes("GetMacAddress", {0x00, 0x1D, 0x4F, 0xAA, 0x0B, 0x0C});
    AboutTexts texts = CollectAboutTexts(driver, handle, sources());
    EXPECT_EQ(driver.callTexts(),
              (std::vector<std::string>{"QueryChipVersion(h, out)", "QueryFirmwareVersion(h, out)",
                                        "QueryDriverVersion(h, out, 100)", "QueryDriverDate(h, out, 100)",
                                        "GetMacAddress(h, out, 6)"}));
    EXPECT_EQ(texts.hardware, "2.0");
    EXPECT_EQ(texts.firmware, "1.2.3.4");
    EXPECT_EQ(texts.driver, std::string(kDriverTextBytes, 'V') + " (9-14-2005)");
    EXPECT_EQ(texts.macAddress, "00 1D 4F AA 0B 0C");
    EXPECT_EQ(texts.region, "ETSI (Europe)");

    // Failed queries leave their texts empty; the date still follows.
    driver.setResult("QueryDriverVersion", 5);
    driver.setResult("QueryFirmwareVersion", 5);
    driver.setResult("GetMacAddress", 5);
    AboutSources other = sources();
    other.regionCode = 0x22;
    texts = CollectAboutTexts(driver, handle, other);
    EXPECT_EQ(texts.driver, " (9-14-2005)");
    EXPECT_EQ(texts.firmware, "");
    EXPECT_EQ(texts.macAddress, "");
    EXPECT_EQ(texts.region, "FCC (United States)");
}

}  // namespace
}  // namespace tembrel::testing
