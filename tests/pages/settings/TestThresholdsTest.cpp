// The Test page's rules as rows.
#include "pages/settings/logic/TestThresholds.h"

#include <gtest/gtest.h>

namespace tembrel {
namespace {

TEST(TestThresholds, ChannelRangeWord) {
    const ChannelRange range = DecodeChannelRange((1u << 8) | 11u);
    EXPECT_EQ(range.first, 1);
    EXPECT_EQ(range.last, 11);
    const ChannelRange noisy = DecodeChannelRange(0xABCD0E0Fu);  // other bits ignored
    EXPECT_EQ(noisy.first, 0x0E);
    EXPECT_EQ(noisy.last, 0x0F);
    EXPECT_EQ(EncodeChannelRange({2, 13}), 0x020Du);
    EXPECT_EQ(EncodeChannelRange({255, 255}), 0xFFFFu);
}

TEST(TestThresholds, EditsAndRanges) {
    struct Row {
        const char* text;
        std::optional<uint32_t> number;
        std::optional<uint8_t> channel;
        bool signal;
        bool txFail;
    };
    const Row rows[] = {
        {"", std::nullopt, std::nullopt, false, false},
        {"0", 0u, uint8_t(0), false, true},
        {"9", 9u, uint8_t(9), false, true},
        {"10", 10u, uint8_t(10), true, true},
        {"100", 100u, uint8_t(100), true, true},
        {"101", 101u, uint8_t(101), true, false},
        {"200", 200u, uint8_t(200), true, false},
        {"201", 201u, uint8_t(201), false, false},
        {"255", 255u, uint8_t(255), false, false},
        {"256", 256u, std::nullopt, false, false},
        {"4294967295", 4294967295u, std::nullopt, false, false},
        {"4294967296", std::nullopt, std::nullopt, false, false},
        {"1a", std::nullopt, std::nullopt, false, false},
        {"-1", std::nullopt, std::nullopt, false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ParseDecimalEdit(row.text), row.number) << row.text;
        EXPECT_EQ(ParseChannelEdit(row.text), row.channel) << row.text;
        if (row.number) {
            EXPECT_EQ(SignalThresholdAllowed(*row.number), row.signal) << row.text;
            EXPECT_EQ(TxFailThresholdAllowed(*row.number), row.txFail) << row.text;
        }
    }
}

}  // namespace
}  // namespace tembrel
