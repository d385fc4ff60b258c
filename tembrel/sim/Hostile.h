#pragma once
// The card's hostile mode: it answers with nonsense, as a broken or malicious driver might, so
// that the program's readers can be shown to stay inside their buffers and show sane values or
// nothing. Every answer stays inside the caller's buffer (the library's side of the contract);
// only the contents lie. `round` picks one kind of nonsense after another.

#include <cstdint>

namespace tembrel::sim::hostile {

// A scan buffer of `cap` bytes (cap >= 4) that lies: counts far beyond its entries, entry lengths
// of 0, below the fixed fields or pointing past the end, SSID lengths above 32 with no
// terminator, element lengths beyond their entry, or plain noise.
void WriteScanList(uint8_t* buffer, uint32_t cap, uint32_t round);
// The length QueryScanListLength reports with such a buffer: beyond the buffer or "negative".
uint32_t ScanListLength(uint32_t cap, uint32_t round);

// Fills all `cap` bytes with text and no terminator.
void FillUnterminated(char* buffer, uint32_t cap, uint32_t round);

// Numbers no real card reports: the largest values, the sign bit, or just out of range.
uint32_t Number(uint32_t round);
int32_t Rssi(uint32_t round);

// Event codes no library documents.
uintptr_t UnknownEventCode(uint32_t round);

}  // namespace tembrel::sim::hostile
