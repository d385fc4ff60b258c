#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileRecord.h"
#include "profiles/ProfileText.h"

namespace tembrel {
namespace {

using Image = std::array<uint8_t, sizeof(PROFILE_RECORD)>;

void PutU32(Image& image, std::size_t offset, uint32_t value) {
    for (int b = 0; b < 4; ++b) image[offset + b] = static_cast<uint8_t>(value >> (8 * b));
}

void PutText(Image& image, std::size_t offset, const char* text) {
    std::memcpy(image.data() + offset, text, std::strlen(text));
}

Image BytesOf(const PROFILE_RECORD& record) {
    Image image;
    std::memcpy(image.data(), &record, sizeof record);
    return image;
}

// Every field at its documented offset, read from a byte image built by hand.
TEST(ProfileRecordLayout, FieldsSitAtTheirOffsets) {
    Image image{};
    PutText(image, 0, "Office");
    PutText(image, 40, "corp-net");
    image[73] = 1;
    image[74] = 2;
    PutU32(image, 80, 1);
    PutU32(image, 84, 255);
    PutU32(image, 88, 0xFFFFFFFF);  // -1
    PutU32(image, 92, 3);
    PutU32(image, 96, 12);
    PutU32(image, 100, 2);
    PutU32(image, 104, 5);
    image[108] = 0xA1;
    PutU32(image, 104 + 36 * 3, 13);
    image[104 + 36 * 3 + 4 + 12] = 0xB2;
    PutU32(image, 248, 1);
    PutU32(image, 252, 0xC0A80001);
    PutU32(image, 256, 0xFFFFFF00);
    PutU32(image, 260, 0xC0A800FE);
    PutU32(image, 264, 1);
    PutU32(image, 268, 1);
    PutU32(image, 272, 3);
    PutU32(image, 276, 108);
    PutU32(image, 280, 2346);
    PutU32(image, 284, 2347);
    PutU32(image, 288, 1);
    PutText(image, 292, "secret phrase");
    PutU32(image, 424, 13);
    PutText(image, 432, "alice");
    PutText(image, 472, "pw");
    PutText(image, 512, "CORP");
    PutText(image, 552, "Alice Cert");
    image[712] = 0x11;
    image[731] = 0x22;
    PutText(image, 752, "anonymous");
    // Reserved areas: carried as they are.
    for (std::size_t offset : {75u, 79u, 420u, 423u, 428u, 431u, 592u, 711u, 732u, 751u}) image[offset] = 0x5A;

    PROFILE_RECORD r;
    std::memcpy(&r, image.data(), sizeof r);
    EXPECT_EQ(ProfileName(r), "Office");
    EXPECT_EQ(ProfileSsid(r), "corp-net");
    EXPECT_EQ(r.hiddenSsid, 1);
    EXPECT_EQ(r.adHocWirelessMode, 2);
    EXPECT_EQ(r.networkType, 1u);
    EXPECT_EQ(r.wirelessMode, 255u);
    EXPECT_EQ(r.adHocChannel, -1);
    EXPECT_EQ(r.encryption, 3);
    EXPECT_EQ(r.authMode, 12u);
    EXPECT_EQ(r.wep.txKeyIndex, 2u);
    EXPECT_EQ(r.wep.keys[0].length, 5u);
    EXPECT_EQ(r.wep.keys[0].material[0], 0xA1);
    EXPECT_EQ(r.wep.keys[3].length, 13u);
    EXPECT_EQ(r.wep.keys[3].material[12], 0xB2);
    EXPECT_EQ(r.useDhcp, 1u);
    EXPECT_EQ(r.ipAddress, 0xC0A80001u);
    EXPECT_EQ(r.subnetMask, 0xFFFFFF00u);
    EXPECT_EQ(r.defaultGateway, 0xC0A800FEu);
    EXPECT_EQ(r.keepAdapterSettings, 1u);
    EXPECT_EQ(r.powerSaveMode, 1u);
    EXPECT_EQ(r.preamble, 3u);
    EXPECT_EQ(r.txRate, 108u);
    EXPECT_EQ(r.fragThreshold, 2346u);
    EXPECT_EQ(r.rtsThreshold, 2347u);
    EXPECT_EQ(r.inPreferList, 1u);
    EXPECT_EQ(GetText(r.passphrase), "secret phrase");
    EXPECT_EQ(r.passphraseLength, 13u);
    EXPECT_EQ(GetText(r.loginName), "alice");
    EXPECT_EQ(GetText(r.password), "pw");
    EXPECT_EQ(GetText(r.domain), "CORP");
    EXPECT_EQ(GetText(r.certificateName), "Alice Cert");
    EXPECT_EQ(r.certificateHash[0], 0x11);
    EXPECT_EQ(r.certificateHash[19], 0x22);
    EXPECT_EQ(GetText(r.anonymousName), "anonymous");
    // The record carries the image unchanged, reserved areas included.
    EXPECT_EQ(BytesOf(r), image);
}

TEST(ProfileRecordLayout, WepKeySetIsTheBlockAtOffset100) {
    Image image{};
    for (std::size_t i = 0; i < sizeof(WEP_KEY_SET); ++i) image[100 + i] = static_cast<uint8_t>(i + 1);
    PROFILE_RECORD r;
    std::memcpy(&r, image.data(), sizeof r);
    WEP_KEY_SET block;
    std::memcpy(&block, image.data() + 100, sizeof block);
    EXPECT_EQ(std::memcmp(&r.wep, &block, sizeof block), 0);
    EXPECT_EQ(r.wep.keys[1].material[0], static_cast<uint8_t>(4 + 36 + 4 + 1));
}

struct TextCase {
    std::string input;
    std::string stored;
};

class NameText : public ::testing::TestWithParam<TextCase> {};

TEST_P(NameText, StaysInsideTheField) {
    // Neighbours filled, so that a write past the name would show in the SSID.
    PROFILE_RECORD r = MakeEmptyProfile();
    std::memset(r.name, 'x', sizeof r.name);
    std::memset(r.ssid, 'y', sizeof r.ssid);
    SetProfileName(r, GetParam().input);
    EXPECT_EQ(ProfileName(r), GetParam().stored);
    EXPECT_EQ(r.name[39], '\0');
    for (std::size_t i = GetParam().stored.size(); i < sizeof r.name; ++i) EXPECT_EQ(r.name[i], '\0') << i;
    EXPECT_EQ(r.ssid[0], 'y');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NameText,
    ::testing::Values(TextCase{"", ""}, TextCase{"Home", "Home"}, TextCase{std::string(39, 'a'), std::string(39, 'a')},
                      TextCase{std::string(40, 'b'), std::string(39, 'b')},
                      TextCase{std::string(200, 'c'), std::string(39, 'c')},
                      TextCase{std::string("ab\0cd", 5), "ab"},
                      // A two-byte character across the limit is dropped whole.
                      TextCase{std::string(38, 'd') + "\xC3\xA9", std::string(38, 'd')}));

TEST(ProfileText, SsidOf32CharactersEndsInTheLastByte) {
    PROFILE_RECORD r = MakeEmptyProfile();
    r.hiddenSsid = 7;
    SetProfileSsid(r, std::string(32, 's'));
    EXPECT_EQ(ProfileSsid(r), std::string(32, 's'));
    EXPECT_EQ(r.ssid[32], '\0');
    EXPECT_EQ(r.hiddenSsid, 7);
    SetProfileSsid(r, std::string(33, 't'));
    EXPECT_EQ(ProfileSsid(r), std::string(32, 't'));
    EXPECT_EQ(r.hiddenSsid, 7);
}

TEST(ProfileText, ReadingAnUnterminatedFieldStopsAtItsEnd) {
    PROFILE_RECORD r = MakeEmptyProfile();
    std::memset(r.name, 'n', sizeof r.name);
    std::memset(r.ssid, 's', sizeof r.ssid);
    EXPECT_EQ(ProfileName(r), std::string(40, 'n'));
    TerminateTextFields(r);
    EXPECT_EQ(ProfileName(r), std::string(39, 'n'));
    EXPECT_EQ(ProfileSsid(r), std::string(32, 's'));
}

TEST(ProfileText, NameComparisonIsExactBytes) {
    PROFILE_RECORD r = MakeEmptyProfile();
    SetProfileName(r, "Office");
    EXPECT_TRUE(HasName(r, "Office"));
    EXPECT_FALSE(HasName(r, "office"));
    EXPECT_FALSE(HasName(r, "Office "));
    EXPECT_FALSE(HasName(r, "Offic"));
}

TEST(ProfileDefaults, NewRecordIsZeroFilled) {
    const Image zero{};
    EXPECT_EQ(BytesOf(MakeEmptyProfile()), zero);
    EXPECT_EQ(BytesOf(*NewEmptyProfile()), zero);
}

TEST(ProfileDefaults, DefaultProfileHasTheDocumentedBytes) {
    Image expected{};
    PutText(expected, 0, "<Default>");
    PutText(expected, 40, "<ANY SSID>");
    PutU32(expected, 80, 1);
    PutU32(expected, 84, 255);
    PutU32(expected, 264, 1);
    PutU32(expected, 272, 1);
    PutU32(expected, 276, 255);
    PutU32(expected, 280, 2346);
    PutU32(expected, 284, 2347);
    PutU32(expected, 288, 1);
    EXPECT_EQ(BytesOf(MakeDefaultProfile()), expected);
    EXPECT_EQ(BytesOf(*NewDefaultProfile()), expected);
    EXPECT_TRUE(IsDefaultProfile(MakeDefaultProfile()));
    EXPECT_TRUE(IsBuiltInProfile(MakeDefaultProfile()));
}

TEST(ProfileDefaults, BuiltInNames) {
    PROFILE_RECORD r = MakeEmptyProfile();
    SetProfileName(r, "<Site Survey>");
    EXPECT_TRUE(IsSiteSurveyProfile(r));
    EXPECT_TRUE(IsBuiltInProfile(r));
    SetProfileName(r, "<default>");
    EXPECT_FALSE(IsBuiltInProfile(r));
}

}  // namespace
}  // namespace tembrel
