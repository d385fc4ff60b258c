#include "DebugRegisters.h"

#include <cstdio>

namespace tembrel {

namespace {

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }
bool IsLowerHex(char c) { return c >= 'a' && c <= 'f'; }

constexpr uint32_t kBasebandPageSelect = 0;
constexpr uint32_t kBasebandUpperPage = 0x80;

std::string Hex02(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

}  // namespace

RegisterEditLengths EditLengths(RegisterGroup group) {
    return group == RegisterGroup::Mac ? RegisterEditLengths{4, 8} : RegisterEditLengths{2, 2};
}

HexEditText CleanHexEdit(std::string_view text, int caret) {
    HexEditText out{std::string(text), caret, false};
    for (;;) {
        const size_t bad = out.text.find_last_not_of("0123456789ABCDEF");
        if (bad == std::string::npos) return out;
        out.changed = true;
        if (IsLowerHex(out.text[bad])) {
            for (char& c : out.text)
                if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
            out.caret = int(bad) + 1;
        } else {
            out.text.erase(bad, 1);
            out.caret = int(bad);
        }
    }
}

std::optional<uint32_t> ParseHexEdit(std::string_view text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        if (IsLowerHex(c)) c = char(c - 'a' + 'A');
        if (!IsUpperHex(c)) return std::nullopt;
        value = (value << 4) | uint32_t(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    return value;
}

std::optional<uint32_t> ParseIndexEdit(std::string_view text) { return text.empty() ? 0u : ParseHexEdit(text); }

std::string FormatRegisterValue(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

uint32_t BasebandPage(uint32_t index) { return index < kBasebandUpperPage ? 0 : kBasebandUpperPage; }

std::optional<uint32_t> ReadRegister(DriverLibrary& library, const AdapterHandle& handle, RegisterGroup group,
                                     uint32_t index) {
    auto lease = handle.lease();
    if (!lease) return std::nullopt;
    uint32_t value = 0;
    int result = 0;
    switch (group) {
    case RegisterGroup::Rf:
        result = library.QueryRfRegister(lease.get(), index, &value);
        break;
    case RegisterGroup::Baseband:
        library.SetBbRegister(lease.get(), kBasebandPageSelect, BasebandPage(index));
        result = library.QueryBbRegister(lease.get(), index, &value);
        break;
    case RegisterGroup::Mac:
        result = library.QueryMacRegister(lease.get(), index, &value);
        break;
    }
    if (result != 0) return std::nullopt;
    return value;
}

void WriteRegister(DriverLibrary& library, const AdapterHandle& handle, RegisterGroup group, uint32_t index,
                   uint32_t value) {
    auto lease = handle.lease();
    if (!lease) return;
    switch (group) {
    case RegisterGroup::Rf:
        library.SetRfRegister(lease.get(), index, value);
        break;
    case RegisterGroup::Baseband:
        library.SetBbRegister(lease.get(), kBasebandPageSelect, BasebandPage(index));
        library.SetBbRegister(lease.get(), index, value);
        break;
    case RegisterGroup::Mac:
        library.SetMacRegister(lease.get(), index, value);
        break;
    }
}

namespace {
bool IsType1Or3(uint32_t chipType) { return chipType == 1 || chipType == 3; }
}  // namespace

CalibrationTable CalibrationLabels(uint32_t chipType) {
    if (IsType1Or3(chipType))
        return {{{"1AH", "", "00 -- FF"}, {"1BH", "", "00 -- FF"}, {"1CH", "", "00 -- FF"}, {"21H[5:0]", "", "00 -- 37"}}};
    return {{{"20H", "", "6C -- 7A"}, {"26H", "", "33, 43, 53, 63"}, {"24H[3:0]", "", "3 -- B during Tx "}, {"", "", ""}}};
}

std::optional<CalibrationTable> ReadCalibration(DriverLibrary& library, const AdapterHandle& handle) {
    const auto chipType = ReadRegister(library, handle, RegisterGroup::Rf, 0);
    if (!chipType) return std::nullopt;
    CalibrationTable table = CalibrationLabels(*chipType);
    const auto read = [&](uint32_t index) { return ReadRegister(library, handle, RegisterGroup::Rf, index); };
    if (IsType1Or3(*chipType)) {
        if (auto v = read(0x1A)) table[0].readback = Hex02(*v);
        if (auto v = read(0x1B)) table[1].readback = Hex02(*v);
        if (auto v = read(0x1C)) table[2].readback = Hex02(*v);
        if (auto v = read(0x21)) table[3].readback = Hex02(*v & 0x3F);
    } else {
        if (auto v = read(0x20)) table[0].readback = Hex02(*v);
        if (auto v = read(0x26)) table[1].readback = Hex02(*v);
        if (auto v = read(0x24)) {
            char text[16];
            std::snprintf(text, sizeof text, "0x_%X", *v & 0x0F);
            table[2].readback = text;
        }
    }
    return table;
}

}  // namespace tembrel
