#pragma once
// The WEP key dialog without its window: four key texts in ASCII or hexadecimal form, 40 or 104
// bits, the transmit key, and the conversion between key texts and the key bytes of a
// WEP_KEY_SET. Stored keys are never shown: their texts are masks of asterisks, and a per-key
// "still masked" flag (not the presence of an asterisk, which a typed ASCII key may contain)
// says whether a text is a mask.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/ProfileRecord.h"

namespace tembrel {

enum class WepKeyFormat { Ascii = 0, Hex = 1 };
enum class WepKeySize { Bits40 = 0, Bits104 = 1 };

// Characters of a key text: ASCII 5 / 13, hexadecimal 10 / 26.
std::size_t WepKeyTextLength(WepKeyFormat format, WepKeySize size);
// Key bytes: 5 / 13.
std::size_t WepKeyByteLength(WepKeySize size);
// The text shown for a stored key: that many asterisks.
std::string WepKeyMask(WepKeyFormat format, WepKeySize size);
// The size list's entry texts for a format.
std::string WepKeySizeText(WepKeyFormat format, WepKeySize size);
// The format setting ("WepKeyFmt"): 1 is hexadecimal, any other value ASCII.
WepKeyFormat WepKeyFormatFromSetting(int value);

// Key text -> bytes: ASCII byte for byte; hexadecimal in pairs, high nibble first, stopping at
// the first pair that is not two hexadecimal digits.
std::vector<uint8_t> WepKeyBytes(std::string_view text, WepKeyFormat format);
// A key text in the other format: ASCII -> two upper-case digits per byte; hexadecimal -> one
// byte per pair (a trailing single digit is dropped; bytes that are not printable ASCII are
// dropped, since an ASCII key holds printable characters only).
std::string ConvertWepKeyText(std::string_view text, WepKeyFormat from, WepKeyFormat to);

// What typing left in a key field, after the filter: the text to show and where the caret goes.
struct FilteredKeyText {
    std::string text;
    std::size_t caret;
    bool changed;      // the filter changed the text
    bool cut = false;  // the text was longer than the format and size allow and lost its end
};
// ASCII: printable characters only, at most 5 / 13 (an over-long text loses its last
// character). Hexadecimal: at most 10 / 26 digits; otherwise scanning from the end, the first
// character that is not a digit is removed, or if a lower-case a-f comes first the whole text
// becomes upper case.
FilteredKeyText FilterWepKeyText(std::string_view text, WepKeyFormat format, WepKeySize size);

// A format and size of the key list.
struct WepKeyChoice {
    WepKeyFormat format;
    WepKeySize size;
    bool operator==(const WepKeyChoice&) const = default;
};
// For a text too long for the current format and size: another choice that holds it, or none
// when no key is that long. One that the text fills exactly comes first (ten digits are a 40-bit
// hexadecimal key); else the current format's other size, then the other format, smaller first.
std::optional<WepKeyChoice> WepKeyChoiceFor(std::string_view text, WepKeyChoice current);
// What the dialog says when a key text was cut: the key, what its format and size hold, and the
// choice that would hold the whole text. The text itself is not repeated.
std::string WepKeyCutNotice(int key, WepKeyChoice current, const std::optional<WepKeyChoice>& fits);
// "Hexadecimal Digits, 40-Bit (10 digits)": a choice as the two lists show it.
std::string WepKeyChoiceText(WepKeyChoice choice);

class WepKeyEditor {
public:
    static constexpr int kKeys = 4;

    // Opening the dialog on a key set, in the format of the settings.
    void open(const WEP_KEY_SET& keys, WepKeyFormat format);

    WepKeyFormat format() const { return format_; }
    WepKeySize size() const { return size_; }
    const std::string& text(int key) const { return texts_[index(key)]; }
    bool masked(int key) const { return masked_[index(key)]; }
    bool modified(int key) const { return modified_[index(key)]; }
    bool radioEnabled(int key) const { return radioEnabled_[index(key)]; }
    int transmitKey() const { return transmitKey_; }  // 1..4, 0 = no radio selected

    // The user changed key `key`'s text (1..4) to `typed`. Returns the text the field must show.
    FilteredKeyText editKey(int key, std::string_view typed);
    // What the user entered into key `key`, including what was cut off its end (typed on or
    // pasted beyond the limit); the key's text when nothing was cut.
    const std::string& wanted(int key) const { return wanted_[index(key)]; }
    bool cut(int key) const { return wanted(key).size() > text(key).size(); }
    // Switches format and size to `choice` and enters the whole wanted text of `key` again.
    // Changing the size resets the other keys (the documented rule): `userAgreed` is the answer
    // to the size question, asked only when another key holds text. Returns whether it switched.
    bool switchTo(int key, WepKeyChoice choice, bool userAgreed);
    bool otherKeysEntered(int key) const;
    // The user clicked a transmit-key radio.
    void selectTransmitKey(int key);
    // Whether changing the size needs the user's consent (some text is not empty).
    bool sizeChangeNeedsConsent() const;
    // The size changed; with consent (or nothing entered) every key is reset, else it stays.
    // Returns whether the new size stands.
    bool changeSize(WepKeySize size, bool userAgreed);
    // The format changed: masks follow the new format, entered texts are converted.
    void changeFormat(WepKeyFormat format);

    // OK: the first problem as its message (heading + text), or nothing when the texts are
    // acceptable; then apply() writes the transmit key and the modified keys into `keys`.
    std::optional<std::string> check() const;
    void apply(WEP_KEY_SET& keys) const;

private:
    static std::size_t index(int key) { return static_cast<std::size_t>(key - 1); }

    WepKeyFormat format_ = WepKeyFormat::Ascii;
    WepKeySize size_ = WepKeySize::Bits40;
    std::array<std::string, kKeys> texts_{};
    std::array<std::string, kKeys> wanted_{};
    std::array<bool, kKeys> masked_{};
    std::array<bool, kKeys> modified_{};
    std::array<bool, kKeys> radioEnabled_{};
    std::array<WepKeySize, kKeys> maskSize_{};  // the size of each stored key
    int transmitKey_ = 0;
};

}  // namespace tembrel
