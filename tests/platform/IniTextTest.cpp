#include "platform/IniText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tembrel::ini {
namespace {

struct FindCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

class FindValueTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindValueTest, FindsWhatTheWindowsReaderFinds) {
    const FindCase& c = GetParam();
    EXPECT_EQ(FindValue(c.text, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FindValueTest,
    testing::Values(
        FindCase{"plain", "[Advanced]\nBoostMode=0\n", "Advanced", "BoostMode", "0"},
        FindCase{"key with spaces", "[Advanced]\nAuto Configuration=0\n", "Advanced",
                 "Auto Configuration", "0"},
        FindCase{"blanks around key and value", "[ Advanced ]\n  Auto Configuration\t =  7 \n",
                 "Advanced", "Auto Configuration", "7"},
        FindCase{"case-insensitive names", "[ADVANCED]\nboostmode=3\n", "Advanced", "BoostMode", "3"},
        FindCase{"crlf", "[Debug]\r\nTrace=1\r\n", "Debug", "Trace", "1"},
        FindCase{"no trailing newline", "[Debug]\nTrace=5", "Debug", "Trace", "5"},
        FindCase{"quoted", "[Debug]\nTrace=\"9\"\n", "Debug", "Trace", "9"},
        FindCase{"key of another section", "[Debug]\nBoostMode=0\n[Advanced]\n", "Advanced",
                 "BoostMode", std::nullopt},
        FindCase{"key before any section", "BoostMode=0\n[Advanced]\n", "Advanced", "BoostMode",
                 std::nullopt},
        FindCase{"missing section", "[Debug]\nTrace=1\n", "Advanced", "Trace", std::nullopt},
        FindCase{"comment line", "[Debug]\n;Trace=1\n", "Debug", "Trace", std::nullopt},
        FindCase{"first occurrence wins", "[Debug]\nTrace=1\nTrace=2\n", "Debug", "Trace", "1"},
        FindCase{"repeated section", "[Debug]\nA=1\n[Other]\n[Debug]\nTrace=4\n", "Debug", "Trace", "4"},
        FindCase{"unclosed header is no section", "[Debug]\n[Advanced\nTrace=3\n", "Debug", "Trace", "3"},
        FindCase{"empty value", "[Debug]\nTrace=\n", "Debug", "Trace", ""},
        FindCase{"binary noise", std::string("\0\xff[Debug]\n\x01\x02=\n", 13), "Debug", "Trace",
                 std::nullopt}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) if (!isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(ParseIntegerTest, ReadsLeadingDigitsElseNothing) {
    struct Row {
        const char* text;
        std::optional<int> expected;
    } rows[] = {
        {"0", 0},           {"42", 42},         {" 13 ", 13},      {"-5", -5},
        {"+6", 6},          {"12abc", 12},      {"abc", std::nullopt}, {"", std::nullopt},
        {"-", std::nullopt}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt}, {"99999999999999999999999", std::nullopt}, {"0x10", 0},
    };
    for (const Row& row : rows) EXPECT_EQ(ParseInteger(row.text), row.expected) << row.text;
}

TEST(IsWritableNameTest, RefusesNamesThatWouldBreakTheFile) {
    EXPECT_TRUE(IsWritableName("Advanced", "Auto Configuration"));
    EXPECT_FALSE(IsWritableName("", "Key"));
    EXPECT_FALSE(IsWritableName("Advanced", ""));
    EXPECT_FALSE(IsWritableName("Adv]anced", "Key"));
    EXPECT_FALSE(IsWritableName("Advanced", "K=ey"));
    EXPECT_FALSE(IsWritableName("Advanced", "Key\nOther"));
    EXPECT_FALSE(IsWritableName("Adv\r", "Key"));
    EXPECT_FALSE(IsWritableName("Advanced", " Key"));
    EXPECT_FALSE(IsWritableName("Advanced", "[Key"));
    EXPECT_FALSE(IsWritableName("Advanced", ";Key"));
    EXPECT_FALSE(IsWritableName("Advanced", std::string_view("K\0y", 3)));
}

struct SetCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

class SetValueTest : public testing::TestWithParam<SetCase> {};

TEST_P(SetValueTest, EditsOnlyWhatItMust) {
    const SetCase& c = GetParam();
    const std::string result = SetValue(c.before, c.section, c.key, c.value);
    EXPECT_EQ(result, c.after);
    EXPECT_EQ(FindValue(result, c.section, c.key), std::string(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SetValueTest,
    testing::Values(
        SetCase{"empty file", "", "Advanced", "FirstChan", "1", "[Advanced]\nFirstChan=1\n"},
        SetCase{"replace in place keeps key spelling and neighbours",
                "; mine\n[Advanced]\nA=1\n  firstchan = 9 \nB=2\n", "Advanced", "FirstChan", "3",
                "; mine\n[Advanced]\nA=1\nfirstchan=3\nB=2\n"},
        SetCase{"new key after last line of its section",
                "[Advanced]\nA=1\n\n[Debug]\nTrace=1\n", "Advanced", "LastChan", "11",
                "[Advanced]\nA=1\nLastChan=11\n\n[Debug]\nTrace=1\n"},
        SetCase{"new key in first of repeated sections", "[Debug]\nA=1\n[X]\n[Debug]\nB=2\n", "Debug",
                "Trace", "1", "[Debug]\nA=1\nTrace=1\n[X]\n[Debug]\nB=2\n"},
        SetCase{"key found in a repeated section is replaced there",
                "[Debug]\nA=1\n[Debug]\nTrace=0\n", "Debug", "Trace", "1",
                "[Debug]\nA=1\n[Debug]\nTrace=1\n"},
        SetCase{"new section keeps the crlf style", "[Debug]\r\nTrace=1\r\n", "Security", "WepKeyFmt",
                "2", "[Debug]\r\nTrace=1\r\n\r\n[Security]\r\nWepKeyFmt=2\r\n"},
        SetCase{"replace keeps crlf", "[Debug]\r\nTrace=1\r\nX=2\r\n", "Debug", "Trace", "0",
                "[Debug]\r\nTrace=0\r\nX=2\r\n"},
        SetCase{"unterminated last line", "[Debug]\nTrace=1", "Debug", "DebugWin", "1",
                "[Debug]\nTrace=1\nDebugWin=1\n"},
        SetCase{"unterminated last line, new section", "x", "Debug", "Trace", "-4",
                "x\n\n[Debug]\nTrace=-4\n"},
        SetCase{"header only", "[Debug]", "Debug", "Trace", "1", "[Debug]\nTrace=1\n"},
        SetCase{"comment in key's place is kept", "[Debug]\n;Trace=1\n", "Debug", "Trace", "2",
                "[Debug]\n;Trace=1\nTrace=2\n"}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) if (!isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

}  // namespace
}  // namespace tembrel::ini
