// The profile pages' input rules, row by row.
#include "pages/profiles/logic/ProfileInputRules.h"

#include "profiles/ProfileDefaults.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tembrel {
namespace {

struct LimitRow {
    const char* text;
    std::size_t maxBytes;
    const char* expected;
};

TEST(ProfileInputRules, TextsAreCutToBytesOnCharacterBoundaries) {
    const LimitRow rows[] = {
        {"Home", 39, "Home"},
        {"123456789012345678901234567890123456789X", 39, "123456789012345678901234567890123456789"},
        // 19 two-byte characters are 38 bytes; a 20th does not fit 39 bytes.
        {"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9", 39,
         "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"},
        // A three-byte character that would straddle byte 32 of an SSID is left out whole.
        {"0123456789012345678901234567890\u20ac", 32, "0123456789012345678901234567890"},
        {"", 32, ""},
    };
    for (const LimitRow& row : rows) {
        const std::string cut = LimitBytes(row.text, row.maxBytes);
        EXPECT_EQ(cut, row.expected) << row.text;
        EXPECT_LE(cut.size(), row.maxBytes);
    }
}

struct RangeRow {
    int64_t first, last;
    ChannelRange expected;
};

TEST(ProfileInputRules, ChannelRangeFromTheSettingsIsClamped) {
    const RangeRow rows[] = {
        {1, 11, {1, 11}}, {1, 13, {1, 13}}, {10, 11, {10, 11}}, {0, 14, {1, 14}},   {-5, 200, {1, 14}},
        {1, 99, {1, 14}}, {14, 14, {14, 14}}, {12, 3, {1, 11}}, {20, 30, {14, 14}}, {-3, -1, {1, 1}},
        {7, 7, {7, 7}},   {INT64_MAX, INT64_MIN, {1, 11}},
    };
    for (const RangeRow& row : rows)
        EXPECT_EQ(ClampChannelRange(row.first, row.last), row.expected) << row.first << ".." << row.last;
}

TEST(ProfileInputRules, ChannelEntriesCarryTheirFrequency) {
    EXPECT_EQ(ChannelText(1), "CH 1 (2.412 GHz)");
    EXPECT_EQ(ChannelText(6), "CH 6 (2.437 GHz)");
    EXPECT_EQ(ChannelText(13), "CH 13 (2.472 GHz)");
    EXPECT_EQ(ChannelText(14), "CH 14 (2.484 GHz)");
    const std::vector<Choice> list = ChannelChoices({1, 11});
    ASSERT_EQ(list.size(), 12u);
    EXPECT_EQ(list.front(), (Choice{"Auto Select", 0}));
    EXPECT_EQ(list.back(), (Choice{"CH 11 (2.462 GHz)", 11}));
    EXPECT_EQ(ChannelChoices({12, 2}).size(), 12u) << "a reversed range is the default 1..11";
}

struct PassphraseRow {
    std::string passphrase;
    bool valid;
};

TEST(ProfileInputRules, PassphraseIsEightToSixtyThreePrintableAscii) {
    const PassphraseRow rows[] = {
        {"1234567", false},
        {"12345678", true},
        {std::string(63, 'a'), true},
        {std::string(64, 'a'), false},  // 64 hexadecimal digits too
        {std::string(64, 'g'), false},
        {std::string(63, 'g'), true},
        {std::string(65, 'a'), false},
        {"correct horse battery", true},
        {"caf\u00e9caf\u00e9", false},     // not ASCII
        {std::string("abc\tdefgh"), false},  // control character
        {"", false},
    };
    for (const PassphraseRow& row : rows) EXPECT_EQ(IsValidPassphrase(row.passphrase), row.valid) << row.passphrase;
}

TEST(ProfileInputRules, PassphraseFieldIsReadBoundedAndWrittenWithItsByteCount) {
    PROFILE_RECORD record = MakeEmptyProfile();
    std::memset(record.passphrase, 'x', sizeof record.passphrase);  // no terminator, as in a foreign file
    record.passphraseLength = 500;
    EXPECT_EQ(ReadPassphrase(record), std::string(127, 'x'));

    WritePassphrase(record, std::string(200, 'y'));
    EXPECT_EQ(record.passphraseLength, 127u);
    EXPECT_EQ(record.passphrase[126], 'y');
    EXPECT_EQ(record.passphrase[127], '\0');
    EXPECT_EQ(ReadPassphrase(record), std::string(127, 'y'));

    WritePassphrase(record, "orvix-passphrase");
    EXPECT_EQ(record.passphraseLength, 16u);
    EXPECT_EQ(ReadPassphrase(record), "orvix-passphrase");
    EXPECT_EQ(record.passphrase[16], '\0');
    EXPECT_EQ(record.passphrase[127], '\0');
}

struct ThresholdRow {
    const char* text;
    std::optional<uint32_t> value;
};

TEST(ProfileInputRules, ThresholdEditsHoldNonNegativeIntegers) {
    const ThresholdRow rows[] = {
        {"2346", 2346u}, {"0", 0u}, {" 256 ", 256u}, {"4294967295", 4294967295u}, {"4294967296", std::nullopt},
        {"", std::nullopt}, {"-1", std::nullopt}, {"12a", std::nullopt}, {"1.5", std::nullopt}, {"+5", std::nullopt},
        {"  ", std::nullopt},
    };
    for (const ThresholdRow& row : rows) EXPECT_EQ(ParseThreshold(row.text), row.value) << row.text;
}

struct RangeMessageRow {
    uint32_t frag, rts;
    const char* message;
};

TEST(ProfileInputRules, ThresholdMessages) {
    const RangeMessageRow rows[] = {
        {256, 0, ""},
        {2346, 2347, ""},
        {255, 2347, "The minimum value of fragmentation threshold is 256"},
        {2347, 2347, "The maximum value of fragmentation threshold is 2346"},
        {2346, 2348, "The maximum value of RTS/CTS threshold is 2347"},
        {3000, 3000, "The maximum value of RTS/CTS threshold is 2347"},
        {0, 4294967295u, "The maximum value of RTS/CTS threshold is 2347"},
    };
    for (const RangeMessageRow& row : rows) EXPECT_EQ(ThresholdMessage(row.frag, row.rts), row.message) << row.frag << "/" << row.rts;
}

TEST(ProfileInputRules, TransmitRatesFollowTheBand) {
    EXPECT_EQ(TxRatesForBand(1), (std::vector<uint32_t>{2, 4, 11, 22}));
    EXPECT_EQ(TxRatesForBand(2), (std::vector<uint32_t>{12, 18, 24, 36, 48, 72, 96, 108}));
    EXPECT_EQ(TxRatesForBand(255).size(), 12u);
    EXPECT_EQ(TxRatesForBand(0), TxRatesForBand(255));
    EXPECT_EQ(TxRateText(255), "Auto");
    EXPECT_EQ(TxRateText(11), "5.5 Mbps");
    EXPECT_EQ(TxRateText(108), "54 Mbps");
    EXPECT_EQ(TxRateText(2), "1 Mbps");
    EXPECT_EQ(TxRateChoices(1).front(), (Choice{"Auto", 255}));
}

}  // namespace
}  // namespace tembrel
