// The WEP key dialog's rules without its window.
#include "pages/profiles/logic/WepKeyEditor.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tembrel {
namespace {

WEP_KEY_SET SetWith(int key, std::vector<uint8_t> bytes, uint32_t tx = 0) {
    WEP_KEY_SET set{};
    set.txKeyIndex = tx;
    set.keys[key - 1].length = static_cast<uint32_t>(bytes.size());
    std::memcpy(set.keys[key - 1].material, bytes.data(), bytes.size());
    return set;
}

std::vector<uint8_t> KeyBytes(const WEP_KEY_SET& set, int key) {
    const WEP_KEY_ENTRY& e = set.keys[key - 1];
    return std::vector<uint8_t>(e.material, e.material + e.length);
}

struct ConversionRow {
    const char* text;
    WepKeyFormat format;
    std::vector<uint8_t> bytes;
};

TEST(WepKeyText, TextToBytesInBothFormats) {
    const ConversionRow rows[] = {
        {"1234567890", WepKeyFormat::Hex, {0x12, 0x34, 0x56, 0x78, 0x90}},
        {"ABCDEF0123", WepKeyFormat::Hex, {0xAB, 0xCD, 0xEF, 0x01, 0x23}},
        {"abcdef0123", WepKeyFormat::Hex, {0xAB, 0xCD, 0xEF, 0x01, 0x23}},
        {"12G4", WepKeyFormat::Hex, {0x12}},  // stops at the first pair that is not hexadecimal
        {"123", WepKeyFormat::Hex, {0x12}},
        {"hello", WepKeyFormat::Ascii, {'h', 'e', 'l', 'l', 'o'}},
        {"a*b*c", WepKeyFormat::Ascii, {'a', '*', 'b', '*', 'c'}},
    };
    for (const ConversionRow& row : rows) EXPECT_EQ(WepKeyBytes(row.text, row.format), row.bytes) << row.text;
}

TEST(WepKeyText, FormatConversion) {
    EXPECT_EQ(ConvertWepKeyText("hello", WepKeyFormat::Ascii, WepKeyFormat::Hex), "68656C6C6F");
    EXPECT_EQ(ConvertWepKeyText("68656C6C6F", WepKeyFormat::Hex, WepKeyFormat::Ascii), "hello");
    EXPECT_EQ(ConvertWepKeyText("68656", WepKeyFormat::Hex, WepKeyFormat::Ascii), "he") << "a lone digit is dropped";
    EXPECT_EQ(ConvertWepKeyText("0068", WepKeyFormat::Hex, WepKeyFormat::Ascii), "h") << "no unprintable characters";
}

struct FilterRow {
    const char* typed;
    WepKeyFormat format;
    WepKeySize size;
    const char* shown;
    std::size_t caret;
};

TEST(WepKeyText, TypingIsFiltered) {
    const FilterRow rows[] = {
        {"abcde", WepKeyFormat::Ascii, WepKeySize::Bits40, "abcde", 5},
        {"abcdef", WepKeyFormat::Ascii, WepKeySize::Bits40, "abcde", 5},  // a sixth character goes at once
        {"ab\x01" "c", WepKeyFormat::Ascii, WepKeySize::Bits40, "abc", 2},
        {"12a", WepKeyFormat::Hex, WepKeySize::Bits40, "12A", 3},  // a lower-case letter turns the field upper case
        {"12Ag", WepKeyFormat::Hex, WepKeySize::Bits40, "12A", 3},  // and a g goes again
        {"zz12", WepKeyFormat::Hex, WepKeySize::Bits40, "12", 0},   // pasted text is cleaned whole
        {"1234567890A", WepKeyFormat::Hex, WepKeySize::Bits40, "1234567890", 10},
        {"0123456789abcdef0123456789", WepKeyFormat::Hex, WepKeySize::Bits104, "0123456789ABCDEF0123456789", 16},
    };
    for (const FilterRow& row : rows) {
        const FilteredKeyText f = FilterWepKeyText(row.typed, row.format, row.size);
        EXPECT_EQ(f.text, row.shown) << row.typed;
        EXPECT_EQ(f.caret, row.caret) << row.typed;
    }
}

TEST(WepKeyEditor, StoredKeysShowAsMasksInTheCurrentFormat) {
    WepKeyEditor editor;
    editor.open(SetWith(2, std::vector<uint8_t>(13, 'k'), 2), WepKeyFormat::Hex);
    EXPECT_EQ(editor.text(2), std::string(26, '*'));
    EXPECT_EQ(editor.size(), WepKeySize::Bits104);
    EXPECT_TRUE(editor.masked(2));
    EXPECT_TRUE(editor.radioEnabled(2));
    EXPECT_FALSE(editor.radioEnabled(1));
    EXPECT_EQ(editor.transmitKey(), 2);
    editor.changeFormat(WepKeyFormat::Ascii);
    EXPECT_EQ(editor.text(2), std::string(13, '*'));
    EXPECT_TRUE(editor.masked(2));
}

TEST(WepKeyEditor, TypingIntoAMaskStartsAFreshKey) {
    WepKeyEditor editor;
    const WEP_KEY_SET stored = SetWith(1, {1, 2, 3, 4, 5}, 1);
    editor.open(stored, WepKeyFormat::Ascii);
    EXPECT_EQ(editor.editKey(1, "*****x").text, "");
    EXPECT_FALSE(editor.masked(1));
    EXPECT_EQ(editor.editKey(1, "a").text, "a");
    EXPECT_EQ(editor.editKey(1, "a*b*c").text, "a*b*c") << "an asterisk typed is part of the key";
    ASSERT_FALSE(editor.check().has_value());
    WEP_KEY_SET out = stored;
    editor.apply(out);
    EXPECT_EQ(KeyBytes(out, 1), (std::vector<uint8_t>{'a', '*', 'b', '*', 'c'}));
    // A format change converts a typed key with asterisks instead of masking it.
    editor.changeFormat(WepKeyFormat::Hex);
    EXPECT_EQ(editor.text(1), "612A622A63");
}

TEST(WepKeyEditor, HexKeyIsStoredAsTheBytesItsPairsSpell) {
    WepKeyEditor editor;
    editor.open(WEP_KEY_SET{}, WepKeyFormat::Hex);
    editor.editKey(1, "1234567890");
    EXPECT_EQ(editor.transmitKey(), 1) << "the first key typed becomes the transmit key";
    ASSERT_FALSE(editor.check().has_value());
    WEP_KEY_SET out{};
    editor.apply(out);
    EXPECT_EQ(out.txKeyIndex, 1u);
    EXPECT_EQ(KeyBytes(out, 1), (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78, 0x90}));
    EXPECT_EQ(out.keys[0].material[5], 0);
}

TEST(WepKeyEditor, UntouchedStoredKeysKeepTheirBytes) {
    WepKeyEditor editor;
    WEP_KEY_SET stored = SetWith(1, {9, 8, 7, 6, 5}, 1);
    stored.keys[2].length = 13;
    std::memset(stored.keys[2].material, 0x42, 13);
    editor.open(stored, WepKeyFormat::Ascii);
    EXPECT_EQ(editor.size(), WepKeySize::Bits104);
    ASSERT_FALSE(editor.check().has_value()) << "masks of stored keys of another size are not checked";
    WEP_KEY_SET out = stored;
    editor.apply(out);
    EXPECT_EQ(std::memcmp(&out, &stored, sizeof out), 0);
}

TEST(WepKeyEditor, OkChecksLengthsAndTheTransmitKey) {
    WepKeyEditor editor;
    editor.open(WEP_KEY_SET{}, WepKeyFormat::Ascii);
    editor.editKey(2, "abc");
    EXPECT_EQ(editor.check(), "Wep Key 2\r\nKey size is 40 bits.  Please enter 5 ASCII characters.");
    editor.changeFormat(WepKeyFormat::Hex);
    EXPECT_EQ(editor.check(), "Wep Key 2\r\nKey size is 40 bits.  Please enter 10 hexadecimal digits.");
    editor.editKey(2, "");
    editor.editKey(3, "0123456789");
    ASSERT_TRUE(editor.changeSize(WepKeySize::Bits104, true));
    EXPECT_EQ(editor.text(3), "");
    editor.editKey(3, "0123456789");
    EXPECT_EQ(editor.check(), "Wep Key 3\r\nKey size is 104 bits.  Please enter 26 hexadecimal digits.");
    editor.changeFormat(WepKeyFormat::Ascii);
    EXPECT_EQ(editor.check(), "Wep Key 3\r\nKey size is 104 bits.  Please enter 13 ASCII characters.");
}

TEST(WepKeyEditor, TransmitKeyWithoutTextIsRefused) {
    WepKeyEditor editor;
    editor.open(WEP_KEY_SET{}, WepKeyFormat::Ascii);
    editor.editKey(3, "abcde");
    editor.editKey(1, "abcde");
    editor.selectTransmitKey(1);
    editor.editKey(1, "");  // emptying the selected key clears the selection
    EXPECT_EQ(editor.transmitKey(), 0);
    ASSERT_FALSE(editor.check().has_value());
    WEP_KEY_SET out{};
    editor.apply(out);
    EXPECT_EQ(out.txKeyIndex, 3u) << "with no radio selected the first entered key transmits";
    EXPECT_EQ(out.keys[0].length, 0u);
}

TEST(WepKeyEditor, SizeChangeNeedsConsentOnceSomethingIsEntered) {
    WepKeyEditor editor;
    editor.open(WEP_KEY_SET{}, WepKeyFormat::Ascii);
    EXPECT_FALSE(editor.sizeChangeNeedsConsent());
    EXPECT_TRUE(editor.changeSize(WepKeySize::Bits104, false)) << "nothing entered: the change stands";
    editor.editKey(1, "abcdefghijklm");
    EXPECT_TRUE(editor.sizeChangeNeedsConsent());
    EXPECT_FALSE(editor.changeSize(WepKeySize::Bits40, false));
    EXPECT_EQ(editor.size(), WepKeySize::Bits104);
    EXPECT_EQ(editor.text(1), "abcdefghijklm");
    EXPECT_TRUE(editor.changeSize(WepKeySize::Bits40, true));
    EXPECT_EQ(editor.text(1), "");
    EXPECT_EQ(editor.transmitKey(), 0);
    for (int k = 1; k <= 4; ++k) EXPECT_TRUE(editor.modified(k));
}

TEST(WepKeyText, TooLongTextIsOfferedTheChoiceThatHoldsIt) {
    using F = WepKeyFormat;
    using S = WepKeySize;
    const struct {
        const char* text;
        WepKeyChoice current;
        std::optional<WepKeyChoice> fits;
    } rows[] = {
        {"0123456789", {F::Ascii, S::Bits40}, WepKeyChoice{F::Hex, S::Bits40}},   // filled exactly
        {"012345", {F::Ascii, S::Bits40}, WepKeyChoice{F::Ascii, S::Bits104}},   // typing on: still held
        {"abcdefghijkl", {F::Ascii, S::Bits40}, WepKeyChoice{F::Ascii, S::Bits104}},
        {"0123456789ABCDEF0123456789", {F::Ascii, S::Bits40}, WepKeyChoice{F::Hex, S::Bits104}},
        {"0123456789AB", {F::Hex, S::Bits40}, WepKeyChoice{F::Hex, S::Bits104}},
        {"0123456789abc", {F::Hex, S::Bits40}, WepKeyChoice{F::Ascii, S::Bits104}},  // exactly 13 characters
        {"this text is far too long", {F::Ascii, S::Bits104}, std::nullopt},
        {"0123456789ABCDEF0123456789A", {F::Hex, S::Bits104}, std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(WepKeyChoiceFor(row.text, row.current), row.fits) << row.text;
    EXPECT_EQ(WepKeyCutNotice(2, {F::Ascii, S::Bits40}, WepKeyChoice{F::Hex, S::Bits40}),
              "Key 2 was cut to 5 characters, all that ASCII Characters, 40-Bit (5 chars) holds. The whole text fits "
              "Hexadecimal Digits, 40-Bit (10 digits).");
}

TEST(WepKeyEditor, TenDigitsTypedAsAsciiAreKeptAndSwitchToHexadecimal) {
    WepKeyEditor editor;
    editor.open(WEP_KEY_SET{}, WepKeyFormat::Ascii);
    std::string field;
    for (char c : std::string("0123456789")) field = editor.editKey(1, field + c).text;  // one key at a time
    EXPECT_EQ(editor.text(1), "01234");
    EXPECT_TRUE(editor.cut(1));
    EXPECT_EQ(editor.wanted(1), "0123456789") << "what was typed beyond the limit is remembered";
    editor.editKey(2, "abc");
    EXPECT_FALSE(editor.switchTo(1, {WepKeyFormat::Hex, WepKeySize::Bits104}, false))
        << "a size change with another key entered needs the user's consent";
    ASSERT_TRUE(editor.switchTo(1, {WepKeyFormat::Hex, WepKeySize::Bits40}, false)) << "same size: no question";
    EXPECT_EQ(editor.text(1), "0123456789");
    EXPECT_FALSE(editor.cut(1));
    EXPECT_EQ(editor.text(2), "616263") << "the other keys convert as for a format change";
    WEP_KEY_SET out{};
    editor.apply(out);
    EXPECT_EQ(KeyBytes(out, 1), (std::vector<uint8_t>{0x01, 0x23, 0x45, 0x67, 0x89}));
    editor.editKey(1, "012345678");  // shortened: nothing is cut any more
    EXPECT_EQ(editor.wanted(1), editor.text(1));
}

TEST(WepKeyEditor, FormatSettingOtherThanOneIsAscii) {
    EXPECT_EQ(WepKeyFormatFromSetting(1), WepKeyFormat::Hex);
    for (int v : {0, 2, -1, 99}) EXPECT_EQ(WepKeyFormatFromSetting(v), WepKeyFormat::Ascii) << v;
    EXPECT_EQ(WepKeySizeText(WepKeyFormat::Hex, WepKeySize::Bits104), "104-Bit (26 digits)");
    EXPECT_EQ(WepKeySizeText(WepKeyFormat::Ascii, WepKeySize::Bits40), "40-Bit (5 chars)");
}

}  // namespace
}  // namespace tembrel
