#pragma once
// The Debug page's logic: hexadecimal entry, register reads and writes (with the baseband page
// select), and the RF calibration table.

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tembrel {

enum class RegisterGroup { Rf, Baseband, Mac };

// The edit lengths of each group (hexadecimal digits).
struct RegisterEditLengths {
    int index;
    int value;
};
RegisterEditLengths EditLengths(RegisterGroup group);

// What an index or value edit holds after the user typed: repeatedly the rightmost character
// that is not a hexadecimal digit is removed, or, when it is a lower-case a to f, the whole text
// is upper-cased; the caret goes just after that position.
struct HexEditText {
    std::string text;
    int caret = 0;
    bool changed = false;
};
HexEditText CleanHexEdit(std::string_view text, int caret);

// A value edit's number: upper-case hexadecimal, at most 8 digits. Empty or anything else is no
// number (the write is cancelled); every 32-bit value, FFFFFFFF too, is a number.
std::optional<uint32_t> ParseHexEdit(std::string_view text);
// An index edit's number: as ParseHexEdit, but an empty edit is register 0.
std::optional<uint32_t> ParseIndexEdit(std::string_view text);

// "%02X".
std::string FormatRegisterValue(uint32_t value);

// The baseband page that SetBbRegister(0, page) selects before register `index` is used.
uint32_t BasebandPage(uint32_t index);

// One register read or write through the library (the baseband page select first). Nothing
// happens without an open adapter. A read returns nullopt when it fails.
std::optional<uint32_t> ReadRegister(DriverLibrary& library, const AdapterHandle& handle, RegisterGroup group,
                                     uint32_t index);
void WriteRegister(DriverLibrary& library, const AdapterHandle& handle, RegisterGroup group, uint32_t index,
                   uint32_t value);

// The "RF Calibrated Values" table. The chip type is RF register 0; types 1 and 3 show one set
// of registers, every other type another.
struct CalibrationRow {
    std::string label;
    std::string readback;  // "" when the register could not be read
    std::string range;
};
using CalibrationTable = std::array<CalibrationRow, 4>;

// Labels and valid ranges for a chip type, readbacks empty.
CalibrationTable CalibrationLabels(uint32_t chipType);
// Reads the chip type and the table's registers. nullopt without an adapter or when the chip
// type cannot be read; a register that cannot be read leaves its cell empty.
std::optional<CalibrationTable> ReadCalibration(DriverLibrary& library, const AdapterHandle& handle);

}  // namespace tembrel
