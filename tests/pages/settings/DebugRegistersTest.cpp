// The Debug page's rules as rows: hexadecimal entry and parsing, the register call sequences,
// the calibration table.
#include "pages/settings/logic/DebugRegisters.h"

#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

namespace tembrel::testing {
namespace {

TEST(HexEdit, KeepsOnlyUpperCaseHexDigits) {
    struct Row {
        const char* typed;
        int caret;
        const char* text;
        int caretAfter;
    };
    const Row rows[] = {
        {"1a", 2, "1A", 2},  // lower case: the whole text upper-cased
        {"1A", 2, "1A", 2},  {"1g", 2, "1", 1}, {"g1", 1, "1", 0}, {"1g2h", 4, "12", 1},
        {"ab", 2, "AB", 2},  {"", 0, "", 0},    {"x", 1, "", 0},   {"1 2", 3, "12", 1},
    };
    for (const Row& row : rows) {
        const HexEditText clean = CleanHexEdit(row.typed, row.caret);
        EXPECT_EQ(clean.text, row.text) << row.typed;
        EXPECT_EQ(clean.caret, row.caretAfter) << row.typed;
        EXPECT_EQ(clean.changed, std::string(row.typed) != row.text) << row.typed;
    }
}

TEST(HexEdit, ParseHasItsOwnValidity) {
    struct Row {
        const char* text;
        std::optional<uint32_t> value;
        std::optional<uint32_t> index;
    };
    constexpr std::nullopt_t none = std::nullopt;
    const Row rows[] = {
        {"0", 0u, 0u},          {"00", 0u, 0u},         {"1A", 0x1Au, 0x1Au}, {"1a", 0x1Au, 0x1Au},
        {"FFFFFFFF", 0xFFFFFFFFu, 0xFFFFFFFFu},  // every 32-bit value can be written
        {"", none, 0u},  // an empty value cancels a write; an empty index is register 0
        {"G", none, none}, {"1 ", none, none}, {"123456789", none, none}, {"-1", none, none},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ParseHexEdit(row.text), row.value) << row.text;
        EXPECT_EQ(ParseIndexEdit(row.text), row.index) << row.text;
    }
    EXPECT_EQ(FormatRegisterValue(0x5), "05");
    EXPECT_EQ(FormatRegisterValue(0xABCDEF12), "ABCDEF12");
}

class RegisterCalls : public ::testing::Test {
protected:
    void SetUp() override {
        handle.exclusive([this](ZARN9100_HANDLE* h) { return driver.OpenAdapter(h); });
        driver.clearCalls();
    }
    RecordingDriver driver;
    AdapterHandle handle;
};

TEST_F(RegisterCalls, BasebandSelectsItsPageFirst) {
    driver.setOutU32("QueryBbRegister", 0x3C);
    EXPECT_EQ(ReadRegister(driver, handle, RegisterGroup::Baseband, 0x85), 0x3Cu);
    EXPECT_EQ(ReadRegister(driver, handle, RegisterGroup::Baseband, 0x05), 0x3Cu);
    WriteRegister(driver, handle, RegisterGroup::Baseband, 0x80, 0x11);
    WriteRegister(driver, handle, RegisterGroup::Baseband, 0x7F, 0x12);
    EXPECT_EQ(driver.callTexts(),
              (std::vector<std::string>{"SetBbRegister(h, 0, 128)", "QueryBbRegister(h, 133, out)",
                                        "SetBbRegister(h, 0, 0)", "QueryBbRegister(h, 5, out)",
                                        "SetBbRegister(h, 0, 128)", "SetBbRegister(h, 128, 17)",
                                        "SetBbRegister(h, 0, 0)", "SetBbRegister(h, 127, 18)"}));
}

TEST_F(RegisterCalls, RfAndMacGoStraightToTheirRegisters) {
    WriteRegister(driver, handle, RegisterGroup::Mac, 0x1234, 0xFFFFFFFF);
    WriteRegister(driver, handle, RegisterGroup::Rf, 0x1A, 0x42);
    driver.setResult("QueryMacRegister", 6);
    EXPECT_EQ(ReadRegister(driver, handle, RegisterGroup::Mac, 0x10), std::nullopt);
    EXPECT_EQ(driver.callTexts(), (std::vector<std::string>{"SetMacRegister(h, 4660, 4294967295)",
                                                             "SetRfRegister(h, 26, 66)",
                                                             "QueryMacRegister(h, 16, out)"}));
}

TEST_F(RegisterCalls, NothingWithoutAnAdapter) {
    AdapterHandle none;
    EXPECT_EQ(ReadRegister(driver, none, RegisterGroup::Rf, 0), std::nullopt);
    WriteRegister(driver, none, RegisterGroup::Baseband, 0x85, 1);
    EXPECT_EQ(ReadCalibration(driver, none), std::nullopt);
    EXPECT_TRUE(driver.calls().empty());
}

TEST_F(RegisterCalls, CalibrationTableByChipType) {
    // Chip type 3 and four readbacks; the last is masked to its six low bits.
    driver.setHook("QueryRfRegister", [this](const RecordedCall& call) {
        const uint32_t index = std::stoul(call.args[1]);
        const std::map<uint32_t, uint32_t> values{{0, 3}, {0x1A, 0x5C}, {0x1B, 0x7F}, {0x1C, 0x33}, {0x21, 0xDD}};
        driver.setOutU32("QueryRfRegister", values.at(index));
    });
    auto table = ReadCalibration(driver, handle);
    ASSERT_TRUE(table);
    const CalibrationTable type3{{{"1AH", "0x5C", "00 -- FF"},
                                  {"1BH", "0x7F", "00 -- FF"},
                                  {"1CH", "0x33", "00 -- FF"},
                                  {"21H[5:0]", "0x1D", "00 -- 37"}}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ((*table)[i].label, type3[i].label) << i;
        EXPECT_EQ((*table)[i].readback, type3[i].readback) << i;
        EXPECT_EQ((*table)[i].range, type3[i].range) << i;
    }

    // Another type, and a register that cannot be read: its cell stays empty.
    driver.clearCalls();
    driver.setHook("QueryRfRegister", [this](const RecordedCall& call) {
        const uint32_t index = std::stoul(call.args[1]);
        const std::map<uint32_t, uint32_t> values{{0, 2}, {0x20, 0x71}, {0x26, 0x43}, {0x24, 0xF7}};
        driver.setOutU32("QueryRfRegister", values.at(index));
        driver.pushResult("QueryRfRegister", index == 0x26 ? 6 : 0);
    });
    table = ReadCalibration(driver, handle);
    ASSERT_TRUE(table);
    EXPECT_EQ(driver.callTexts(), (std::vector<std::string>{"QueryRfRegister(h, 0, out)", "QueryRfRegister(h, 32, out)",
                                                             "QueryRfRegister(h, 38, out)", "QueryRfRegister(h, 36, out)"}));
    EXPECT_EQ((*table)[0].label, "20H");
    EXPECT_EQ((*table)[0].readback, "0x71");
    EXPECT_EQ((*table)[1].readback, "");
    EXPECT_EQ((*table)[1].range, "33, 43, 53, 63");
    EXPECT_EQ((*table)[2].label, "24H[3:0]");
    EXPECT_EQ((*table)[2].readback, "0x_7");
    EXPECT_EQ((*table)[2].range, "3 -- B during Tx ");
    EXPECT_EQ((*table)[3].label, "");

    driver.setHook("QueryRfRegister", [](const RecordedCall&) {});
    driver.setResult("QueryRfRegister", 6);
    EXPECT_EQ(ReadCalibration(driver, handle), std::nullopt) << "no chip type, no table";
    EXPECT_EQ(CalibrationLabels(1)[0].label, "1AH");
}

}  // namespace
}  // namespace tembrel::testing
