// Region.cfg lines as data rows, the file's line ends, and the information text.
#include "pages/settings/logic/RegionFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace tembrel {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes RecordBytes(const _ZARN9100_REGION_CTRL& r) {
    Bytes out(sizeof r);
    std::memcpy(out.data(), &r, sizeof r);
    return out;
}

// The 88 bytes a file line gives: mode 0, code, space, powers, FF FF, then the 2.4 GHz pairs.
Bytes Expected(const char code[2], uint8_t power, uint8_t power11a, std::vector<std::pair<uint8_t, uint8_t>> ranges) {
    Bytes b(88, 0);
    b[1] = uint8_t(code[0]);
    b[2] = uint8_t(code[1]);
    b[3] = ' ';
    b[4] = power;
    b[5] = power11a;
    b[6] = 0xFF;
    b[7] = 0xFF;
    for (size_t i = 0; i < ranges.size(); ++i) {
        b[8 + 2 * i] = ranges[i].first;
        b[9 + 2 * i] = ranges[i].second;
    }
    return b;
}

using namespace std::literals;

struct LineRow {
    std::string_view line;
    bool accepted;
    const char* why;
};

const LineRow kLines[] = {
    {"Germany:DE:20:0:1,13", true, "the documented example"},
    {"Country:US:0:0:1,11", true, "no limits"},
    {"Lower:de:20:0:1,13", true, "code upper-cased"},
    {"NoRange:JP:10:5:", true, "ends with a colon: no range"},
    {"Trailing:JP:10:5:1,13:", true, "a last empty field is no range"},
    {"// a comment", false, "comment"},
    {"/Germany:DE:20:0:1,13", false, "any line starting with a slash"},
    {"", false, "empty"},
    {":DE:20:0:1,13", false, "empty name"},
    {"Three:DEU:20:0:1,13", false, "three-letter code"},
    {"One:D:20:0:1,13", false, "one-letter code"},
    {"Letter:DE:2x:0:1,13", false, "letter in the power"},
    {"Letter11a:DE:20:x:1,13", false, "letter in the 802.11a power"},
    {"Empty:DE::0:1,13", false, "empty power"},
    {"Minus:DE:-1:0:1,13", false, "sign in the power"},
    {"Power256:DE:256:0:1,13", false, "power above 255 is not its low byte"},
    {"Power11a300:DE:20:300:1,13", false, "802.11a power above 255"},
    {"Power255:DE:255:255:1,13", true, "255 fits"},
    {"Count256:DE:20:0:1,256", false, "channel count above 255"},
    {"NoComma:DE:20:0:1", false, "range without a comma"},
    {"Space:DE:20:0:1, 13", false, "space in a range"},
    {"Middle:DE:20:0:1,5::9,3", false, "empty range between colons"},
    {"Short:DE:20:0", false, "the four leading fields need their colons"},
    {"Shorter:DE:20", false, "missing 802.11a power"},
    {"Nul:D\0:20:0:1,13"sv, false, "NUL in the code"},
};

TEST(RegionFileLine, AcceptsAndRejectsAsDocumented) {
    for (const LineRow& row : kLines) {
        EXPECT_EQ(RegionFile::ParseLine(row.line).has_value(), row.accepted) << row.why << ": " << row.line;
    }
}

struct RecordRow {
    const char* line;
    const char* name;
    Bytes bytes;
};

TEST(RegionFileLine, RecordsByteForByte) {
    const std::vector<RecordRow> rows = {
        {"Germany:DE:20:0:1,13", "Germany", Expected("DE", 20, 0, {{1, 13}})},
        {"Country:us:0:0:1,11", "Country", Expected("US", 0, 0, {{1, 11}})},
        {"Two:JP:17:9:1,11:14,1", "Two", Expected("JP", 17, 9, {{1, 11}, {14, 1}})},
        // The number before the last comma is the first channel.
        {"Commas:FR:20:0:3,10,4", "Commas", Expected("FR", 20, 0, {{10, 4}})},
        // A first channel above 14 is stored as 0 and ends the list; later ranges are not used.
        {"Ends:US:20:0:1,11:36,4:3,2", "Ends", Expected("US", 20, 0, {{1, 11}, {0, 4}})},
        {"Big:US:20:0:99999999999,4:3,2", "Big", Expected("US", 20, 0, {{0, 4}})},
        {"Zero:US:20:0:0,3", "Zero", Expected("US", 20, 0, {{0, 3}})},
        // An empty number is 0: no count shows the first channel alone, no first channel ends the list.
        {"NoCount:DE:20:0:1,:3,2", "NoCount", Expected("DE", 20, 0, {{1, 0}, {3, 2}})},
        {"NoFirst:DE:20:0:1,5:,13:3,2", "NoFirst", Expected("DE", 20, 0, {{1, 5}, {0, 13}})},
        {"Bare:DE:20:0:,,", "Bare", Expected("DE", 20, 0, {{0, 0}})},
        {"With spaces & more:ES:7:0:10,2", "With spaces & more", Expected("ES", 7, 0, {{10, 2}})},
    };
    for (const RecordRow& row : rows) {
        const auto entry = RegionFile::ParseLine(row.line);
        ASSERT_TRUE(entry.has_value()) << row.line;
        EXPECT_EQ(entry->name, row.name);
        EXPECT_EQ(RecordBytes(entry->record), row.bytes) << row.line;
    }
}

TEST(RegionFileLine, KeepsSixteenRangesAndIgnoresTheRest) {
    std::string line = "Many:US:20:0";
    for (int i = 1; i <= 18; ++i) line += ":" + std::to_string(i % 14 + 1) + ",1";
    const auto entry = RegionFile::ParseLine(line);
    ASSERT_TRUE(entry.has_value());
    for (int i = 0; i < 16; ++i) EXPECT_EQ(entry->record.channelRanges[i][0], (i + 1) % 14 + 1) << i;
    EXPECT_EQ(std::memcmp(entry->record.channelRanges11a, Bytes(48, 0).data(), 48), 0);
}

TEST(RegionFileLine, LongLinesAreRejectedWhole) {
    const std::string fields = ":DE:20:0:1,13";
    const std::string fits = std::string(RegionFile::kMaxLineLength - fields.size(), 'N') + fields;
    ASSERT_EQ(fits.size(), 1023u);
    EXPECT_TRUE(RegionFile::ParseLine(fits).has_value());
    // One character more is a valid line too, but longer than the buffer: dropped, not cut.
    EXPECT_FALSE(RegionFile::ParseLine(fits + "3").has_value());
    const auto entries = RegionFile::ParseText(fits + "3\nNext:FR:20:0:1,13\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "Next");
}

TEST(RegionFileText, EveryLineEndLoads) {
    for (const char* text : {"A:US:0:0:1,11\r\nB:DE:20:0:1,13\r\n", "A:US:0:0:1,11\nB:DE:20:0:1,13\n",
                             "A:US:0:0:1,11\rB:DE:20:0:1,13", "A:US:0:0:1,11\n\n\nB:DE:20:0:1,13"}) {
        const auto entries = RegionFile::ParseText(text);
        ASSERT_EQ(entries.size(), 2u) << text;
        EXPECT_EQ(entries[0].name, "A");
        EXPECT_EQ(entries[1].name, "B");
    }
    EXPECT_TRUE(RegionFile::ParseText("// only\n/ comments\r\n").empty());
    const auto kept = RegionFile::ParseText("Bad:DEU:1:1:1,1\nGood:DE:1:1:1,1\n");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].name, "Good");
}

TEST(RegionFileText, LoadReadsAFileAndRefusesWhatIsNotOne) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "region-file-test";
    std::filesystem::create_directories(folder);
    const auto file = folder / "Region.cfg";
    std::ofstream(file) << "Germany:DE:20:0:1,13\n";
    const auto loaded = RegionFile::Load(file);
    ASSERT_TRUE(loaded.has_value());
    ASSERT_EQ(loaded->size(), 1u);
    EXPECT_FALSE(RegionFile::Load(folder / "missing.cfg").has_value());
    EXPECT_FALSE(RegionFile::Load(folder).has_value());
    std::filesystem::resize_file(file, RegionFile::kMaxFileBytes + 1);
    EXPECT_FALSE(RegionFile::Load(file).has_value());
    std::filesystem::remove_all(folder);
}

TEST(RegionRecords, ModeAndStrictRecords) {
    Bytes flexible(88, 0);
    flexible[0] = 2;
    EXPECT_EQ(RecordBytes(RegionModeRecord(kRegionFlexible)), flexible);
    const auto entry = RegionFile::ParseLine("Germany:DE:20:0:1,13");
    ASSERT_TRUE(entry);
    Bytes strict = Expected("DE", 20, 0, {{1, 13}});
    strict[0] = 3;
    EXPECT_EQ(RecordBytes(StrictRegionRecord(*entry)), strict);
}

TEST(RegionInformation, TextsAsDocumented) {
    auto entry = RegionFile::ParseLine("Country:US:0:0:1,11");
    ASSERT_TRUE(entry);
    EXPECT_EQ(RegionInformationText(entry->record),
              "Country Code/Region Code: US \r\n\r\nMaximum Transmit Power: Auto\r\n\r\nSupport Channels:\r\n"
              "\tChannel 1 to Channel 11\r\n");

    _ZARN9100_REGION_CTRL card{};
    card.mode = 1;
    std::memcpy(card.countryCode, "EU", 2);
    card.environment = 'I';
    card.maxTxPower = 20;
    card.maxTxPower11a = 17;
    card.channelRanges[0][0] = 1;
    card.channelRanges[0][1] = 13;
    card.channelRanges[1][0] = 14;
    card.channelRanges[1][1] = 0;
    card.channelRanges11a[0][0] = 36;
    card.channelRanges11a[0][1] = 2;
    card.channelRanges11a[1][0] = 149;
    card.channelRanges11a[1][1] = 1;
    EXPECT_EQ(RegionInformationText(card),
              "Country Code/Region Code: EUI\r\n\r\nMaximum Transmit Power: 20 dBm\r\n"
              "Maximum Transmit Power (802.11a): 17 dBm\r\n\r\nSupport Channels:\r\n"
              "\tChannel 1 to Channel 13\r\n\tChannel 14\r\n\tChannel 36\r\n\tChannel 40\r\n\tChannel 149\r\n");
    card.maxTxPower11a = 0;
    EXPECT_NE(RegionInformationText(card).find("Maximum Transmit Power (802.11a): Auto\r\n"), std::string::npos);
}

TEST(RegionInformation, CountryCodeIsExactlyItsThreeCharacters) {
    _ZARN9100_REGION_CTRL card{};
    std::memset(&card, 'Z', sizeof card);  // no terminator anywhere near
    card.countryCode[0] = 'D';
    card.countryCode[1] = 'E';
    card.environment = 'O';
    card.channelRanges[0][0] = 0;
    card.channelRanges11a[0][0] = 0;
    EXPECT_EQ(RegionInformationText(card).substr(0, 33), "Country Code/Region Code: DEO\r\n\r\n");
    card.environment = '\0';
    EXPECT_EQ(RegionInformationText(card).substr(0, 32), "Country Code/Region Code: DE\r\n\r\n");
}

}  // namespace
}  // namespace tembrel
