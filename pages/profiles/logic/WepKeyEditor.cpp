#include "pages/profiles/logic/WepKeyEditor.h"

#include <algorithm>
#include <cstring>

#include "pages/profiles/logic/ProfileInputRules.h"

namespace tembrel {

namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool IsPrintable(char c) { return c >= 0x20 && c <= 0x7E; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

const char* SizeMessage(WepKeyFormat format, WepKeySize size) {
    if (size == WepKeySize::Bits40)
        return format == WepKeyFormat::Hex ? "Key size is 40 bits.  Please enter 10 hexadecimal digits."
                                           : "Key size is 40 bits.  Please enter 5 ASCII characters.";
    return format == WepKeyFormat::Hex ? "Key size is 104 bits.  Please enter 26 hexadecimal digits."
                                       : "Key size is 104 bits.  Please enter 13 ASCII characters.";
}

}  // namespace

std::size_t WepKeyTextLength(WepKeyFormat format, WepKeySize size) {
    const std::size_t bytes = WepKeyByteLength(size);
    return format == WepKeyFormat::Hex ? 2 * bytes : bytes;
}

std::size_t WepKeyByteLength(WepKeySize size) { return size == WepKeySize::Bits40 ? 5 : 13; }

std::string WepKeyMask(WepKeyFormat format, WepKeySize size) { return std::string(WepKeyTextLength(format, size), '*'); }

std::string WepKeySizeText(WepKeyFormat format, WepKeySize size) {
    if (format == WepKeyFormat::Hex) return size == WepKeySize::Bits40 ? "40-Bit (10 digits)" : "104-Bit (26 digits)";
    return size == WepKeySize::Bits40 ? "40-Bit (5 chars)" : "104-Bit (13 chars)";
}

WepKeyFormat WepKeyFormatFromSetting(int value) { return value == 1 ? WepKeyFormat::Hex : WepKeyFormat::Ascii; }

std::vector<uint8_t> WepKeyBytes(std::string_view text, WepKeyFormat format) {
    if (format == WepKeyFormat::Ascii) return std::vector<uint8_t>(text.begin(), text.end());
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const int high = HexValue(text[i]);
        const int low = HexValue(text[i + 1]);
        if (high < 0 || low < 0) break;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::string ConvertWepKeyText(std::string_view text, WepKeyFormat from, WepKeyFormat to) {
    if (from == to) return std::string(text);
    std::string out;
    if (to == WepKeyFormat::Hex) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        for (unsigned char c : text) {
            out += kDigits[c >> 4];
            out += kDigits[c & 0x0F];
        }
        return out;
    }
    for (uint8_t byte : WepKeyBytes(text, WepKeyFormat::Hex))
        if (IsPrintable(static_cast<char>(byte))) out += static_cast<char>(byte);
    return out;
}

FilteredKeyText FilterWepKeyText(std::string_view typed, WepKeyFormat format, WepKeySize size) {
    FilteredKeyText result{std::string(typed), typed.size(), false};
    std::string& text = result.text;
    const std::size_t limit = WepKeyTextLength(format, size);
    if (format == WepKeyFormat::Ascii) {
        for (std::size_t i = text.size(); i-- > 0;) {
            if (!IsPrintable(text[i])) {
                text.erase(i, 1);
                result.caret = i;
                result.changed = true;
            }
        }
    } else {
        // One step per character typed; repeated so that pasted text is cleaned whole.
        for (bool again = true; again;) {
            again = false;
            for (std::size_t i = text.size(); i-- > 0;) {
                const char c = text[i];
                if (!IsHex(c)) {
                    text.erase(i, 1);
                    result.caret = i;
                    result.changed = again = true;
                    break;
                }
                if (c >= 'a' && c <= 'f') {
                    std::transform(text.begin(), text.end(), text.begin(),
                                   [](char ch) { return ch >= 'a' && ch <= 'f' ? static_cast<char>(ch - 'a' + 'A') : ch; });
                    result.caret = i + 1;
                    result.changed = again = true;
                    break;
                }
            }
        }
    }
    if (text.size() > limit) {
        text.resize(limit);
        result.caret = limit;
        result.changed = true;
        result.cut = true;
    }
    result.caret = std::min(result.caret, text.size());
    return result;
}

std::string WepKeyChoiceText(WepKeyChoice choice) {
    return std::string(choice.format == WepKeyFormat::Hex ? "Hexadecimal Digits" : "ASCII Characters") + ", " +
           WepKeySizeText(choice.format, choice.size);
}

std::optional<WepKeyChoice> WepKeyChoiceFor(std::string_view text, WepKeyChoice current) {
    const WepKeyFormat other = current.format == WepKeyFormat::Hex ? WepKeyFormat::Ascii : WepKeyFormat::Hex;
    const WepKeySize otherSize = current.size == WepKeySize::Bits40 ? WepKeySize::Bits104 : WepKeySize::Bits40;
    const WepKeyChoice order[] = {{current.format, otherSize}, {other, WepKeySize::Bits40}, {other, WepKeySize::Bits104}};
    std::optional<WepKeyChoice> holds;
    for (const WepKeyChoice& choice : order) {
        const bool characters = choice.format == WepKeyFormat::Hex ? IsHexDigits(text) : IsPrintableAscii(text);
        const std::size_t limit = WepKeyTextLength(choice.format, choice.size);
        if (!characters || text.size() > limit) continue;
        if (text.size() == limit) return choice;
        if (!holds) holds = choice;
    }
    return holds;
}

std::string WepKeyCutNotice(int key, WepKeyChoice current, const std::optional<WepKeyChoice>& fits) {
    const std::size_t limit = WepKeyTextLength(current.format, current.size);
    std::string notice = "Key " + std::to_string(key) + " was cut to " + std::to_string(limit) +
                         (current.format == WepKeyFormat::Hex ? " digits" : " characters") + ", all that " +
                         WepKeyChoiceText(current) + " holds.";
    if (fits) return notice + " The whole text fits " + WepKeyChoiceText(*fits) + ".";
    return notice + " No WEP key is that long.";
}

void WepKeyEditor::open(const WEP_KEY_SET& keys, WepKeyFormat format) {
    format_ = format;
    size_ = WepKeySize::Bits40;
    for (int k = 1; k <= kKeys; ++k) {
        const std::size_t i = index(k);
        texts_[i].clear();
        wanted_[i].clear();
        masked_[i] = false;
        modified_[i] = false;
        radioEnabled_[i] = true;
        const uint32_t length = keys.keys[i].length;
        if (length == 5 || length == 13) {
            size_ = length == 5 ? WepKeySize::Bits40 : WepKeySize::Bits104;
            maskSize_[i] = size_;
            texts_[i] = WepKeyMask(format_, size_);
            masked_[i] = true;
        } else {
            radioEnabled_[i] = false;
        }
    }
    transmitKey_ = keys.txKeyIndex >= 1 && keys.txKeyIndex <= kKeys ? static_cast<int>(keys.txKeyIndex) : 0;
}

FilteredKeyText WepKeyEditor::editKey(int key, std::string_view typed) {
    const std::size_t i = index(key);
    const std::string before = texts_[i];
    FilteredKeyText shown{std::string(typed), typed.size(), false};
    if (masked_[i]) {
        // Typing into a mask starts a new key from scratch, unless the mask was replaced whole.
        const std::string& mask = texts_[i];
        if (typed.substr(0, mask.size() - 1) == std::string_view(mask).substr(0, mask.size() - 1))
            shown = FilteredKeyText{{}, 0, true};
        masked_[i] = false;
    }
    modified_[i] = true;
    if (!shown.text.empty()) {
        FilteredKeyText filtered = FilterWepKeyText(shown.text, format_, size_);
        filtered.changed = filtered.changed || shown.changed;
        shown = std::move(filtered);
    }
    texts_[i] = shown.text;
    if (!shown.cut)
        wanted_[i] = shown.text;
    else if (typed.substr(0, before.size()) == before && before.size() == shown.text.size() && cut(key))
        wanted_[i] += typed.substr(before.size());  // typing on at the end of a full field
    else
        wanted_[i] = std::string(typed);
    radioEnabled_[i] = !shown.text.empty();
    if (!shown.text.empty() && transmitKey_ == 0) transmitKey_ = key;
    if (shown.text.empty() && transmitKey_ == key) transmitKey_ = 0;
    return shown;
}

void WepKeyEditor::selectTransmitKey(int key) {
    if (key >= 1 && key <= kKeys && radioEnabled_[index(key)]) transmitKey_ = key;
}

bool WepKeyEditor::otherKeysEntered(int key) const {
    for (int k = 1; k <= kKeys; ++k)
        if (k != key && !texts_[index(k)].empty()) return true;
    return false;
}

bool WepKeyEditor::switchTo(int key, WepKeyChoice choice, bool userAgreed) {
    const std::string whole = wanted(key);
    if (choice.size != size_) {
        if (otherKeysEntered(key) && !userAgreed) return false;
        texts_[index(key)].clear();  // this key's text is entered again below: no question for it
        if (!changeSize(choice.size, true)) return false;
    }
    changeFormat(choice.format);
    editKey(key, whole);
    return true;
}

bool WepKeyEditor::sizeChangeNeedsConsent() const {
    return otherKeysEntered(0);  // no key is numbered 0: every key counts
}

bool WepKeyEditor::changeSize(WepKeySize size, bool userAgreed) {
    if (size == size_) return true;
    if (sizeChangeNeedsConsent()) {
        if (!userAgreed) return false;
        for (int k = 1; k <= kKeys; ++k) {
            texts_[index(k)].clear();
            wanted_[index(k)].clear();
            masked_[index(k)] = false;
            modified_[index(k)] = true;
            radioEnabled_[index(k)] = false;
        }
        transmitKey_ = 0;
    }
    size_ = size;
    return true;
}

void WepKeyEditor::changeFormat(WepKeyFormat format) {
    if (format == format_) return;
    for (int k = 1; k <= kKeys; ++k) {
        std::string& text = texts_[index(k)];
        if (masked_[index(k)])
            text = WepKeyMask(format, maskSize_[index(k)]);
        else if (!text.empty())
            text = LimitBytes(ConvertWepKeyText(text, format_, format), WepKeyTextLength(format, size_));
        wanted_[index(k)] = text;
    }
    format_ = format;
}

std::optional<std::string> WepKeyEditor::check() const {
    for (int k = 1; k <= kKeys; ++k) {
        const std::string& text = texts_[index(k)];
        // A stored key left untouched is kept as it is, whatever its size.
        if (text.empty() || masked_[index(k)]) continue;
        const bool valid = text.size() == WepKeyTextLength(format_, size_) &&
                           (format_ == WepKeyFormat::Hex ? IsHexDigits(text) : IsPrintableAscii(text));
        if (!valid) return "Wep Key " + std::to_string(k) + "\r\n" + SizeMessage(format_, size_);
    }
    if (transmitKey_ != 0 && texts_[index(transmitKey_)].empty())
        return std::string("You have selected an invalid key as Transmit key.");
    return std::nullopt;
}

void WepKeyEditor::apply(WEP_KEY_SET& keys) const {
    int transmit = transmitKey_;
    for (int k = 1; k <= kKeys && transmit == 0; ++k)
        if (!texts_[index(k)].empty()) transmit = k;
    keys.txKeyIndex = static_cast<uint32_t>(transmit);
    for (int k = 1; k <= kKeys; ++k) {
        if (!modified_[index(k)]) continue;
        WEP_KEY_ENTRY& entry = keys.keys[index(k)];
        std::memset(entry.material, 0, sizeof entry.material);
        const std::string& text = texts_[index(k)];
        entry.length = text.empty() ? 0 : static_cast<uint32_t>(WepKeyByteLength(size_));
        const std::vector<uint8_t> bytes = WepKeyBytes(text, format_);
        const std::size_t n = std::min<std::size_t>(bytes.size(), entry.length);
        if (n > 0) std::memcpy(entry.material, bytes.data(), n);
    }
}

}  // namespace tembrel
