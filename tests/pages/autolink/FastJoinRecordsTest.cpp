// The two setup records byte for byte, and the SSID the library reports back.

#include "pages/autolink/logic/FastJoinRecords.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tembrel {
namespace {

template <typename Record>
std::vector<uint8_t> Bytes(const Record& r) {
    std::vector<uint8_t> out(sizeof r);
    std::memcpy(out.data(), &r, sizeof r);
    return out;
}

std::vector<uint8_t> ExpectedSecurityInfo(uint8_t tag, const std::string& pin, uint16_t mode,
                                          std::vector<uint8_t> address) {
    std::vector<uint8_t> b(168, 0);
    b[0] = 168;
    b[1] = tag;
    std::memcpy(&b[2], pin.data(), pin.size());
    b[162] = static_cast<uint8_t>(mode);
    b[163] = static_cast<uint8_t>(mode >> 8);
    std::copy(address.begin(), address.end(), b.begin() + 164);
    return b;
}

struct SecurityRow {
    const char* name;
    uint32_t apTag;
    std::string pin;
    CardIpSettings ip;
    std::vector<uint8_t> expected;
};

class SecurityInfoTest : public ::testing::TestWithParam<SecurityRow> {};

TEST_P(SecurityInfoTest, ByteForByte) {
    const SecurityRow& row = GetParam();
    EXPECT_EQ(Bytes(MakeFastJoinSecurityInfo(row.apTag, row.pin, row.ip)), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SecurityInfoTest,
    ::testing::Values(
        SecurityRow{"Dhcp", 0x21, "12345678", {true, 0xC0A80114}, ExpectedSecurityInfo(0x21, "12345678", 2, {192, 168, 1, 20})},
        SecurityRow{"Static", 0x7F, "abcdefgh", {false, 0x0A000001}, ExpectedSecurityInfo(0x7F, "abcdefgh", 1, {10, 0, 0, 1})},
        SecurityRow{"NothingRead", 0, "12345678", {}, ExpectedSecurityInfo(0, "12345678", 1, {0, 0, 0, 0})},
        SecurityRow{"LongestPin", 0xFF, std::string(31, '~'), {true, 0}, ExpectedSecurityInfo(0xFF, std::string(31, '~'), 2, {0, 0, 0, 0})},
        // A PIN never fills the field: the last byte stays a terminator.
        SecurityRow{"OverlongPinCut", 1, std::string(40, 'x'), {true, 0}, ExpectedSecurityInfo(1, std::string(31, 'x'), 2, {0, 0, 0, 0})},
        // Only the tag's low byte fits the record.
        SecurityRow{"WideTag", 0x1234, "12345678", {true, 0xFFFFFFFF}, ExpectedSecurityInfo(0x34, "12345678", 2, {255, 255, 255, 255})}),
    [](const ::testing::TestParamInfo<SecurityRow>& info) { return std::string(info.param.name); });

TEST(FastJoinRecords, FixedBlockIsTheSameZerosInEveryRequest) {
    const auto a = MakeFastJoinSecurityInfo(1, "12345678", {true, 1});
    const auto b = MakeFastJoinSecurityInfo(2, "87654321", {false, 2});
    EXPECT_EQ(std::memcmp(a.FixedBlock, kFastJoinFixedBlock.data(), 128), 0);
    EXPECT_EQ(std::memcmp(a.FixedBlock, b.FixedBlock, 128), 0);
    for (uint8_t byte : kFastJoinFixedBlock) EXPECT_EQ(byte, 0);
}

TEST(FastJoinRecords, SetupRequestByteForByte) {
    EXPECT_EQ(Bytes(MakeFastJoinSetupRequest(0x21)), (std::vector<uint8_t>{8, 0x21, 1, 0, 1, 0, 0, 0}));
    EXPECT_EQ(Bytes(MakeFastJoinSetupRequest(0x1FF)), (std::vector<uint8_t>{8, 0xFF, 1, 0, 1, 0, 0, 0}));
}

struct SsidRow {
    uint32_t length;
    std::optional<std::string> expected;
};

class LearntSsidTest : public ::testing::TestWithParam<SsidRow> {};

TEST_P(LearntSsidTest, UsableLengthsOnly) {
    _QELT_FASTJOIN_SSID_INFO info{};
    std::memset(info.Ssid, 'S', sizeof info.Ssid);
    std::memset(info.Reserved, 'R', sizeof info.Reserved);
    info.SsidLength = GetParam().length;
    EXPECT_EQ(FastJoinSsid(info), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, LearntSsidTest,
                         ::testing::Values(SsidRow{0, std::nullopt}, SsidRow{1, "S"}, SsidRow{32, std::string(32, 'S')},
                                           SsidRow{33, std::nullopt}, SsidRow{0xFFFFFFFF, std::nullopt}));

}  // namespace
}  // namespace tembrel
