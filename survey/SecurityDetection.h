#pragma once
// The security a scanned network announces: authentication and cipher codes for a new
// profile's authMode and encryption fields.

#include "adapter/DriverLibrary.h"
#include "profiles/AuthMode.h"
#include "profiles/Cipher.h"
#include "survey/ScanEntry.h"

#include <cstdint>

namespace tembrel {

struct ScanSecurity {
    uint32_t authentication = kAuthOpenSystem;  // a profile authMode: open, PSK or the 802.1x family
    uint32_t cipher = kCipherWep;  // an encrypted network without a WPA or RSN element
    friend bool operator==(const ScanSecurity&, const ScanSecurity&) = default;
};

// Decided by the first of the entry's elements that is the 00 40 96 04 vendor element, the
// WPA vendor element or the RSN element (each with more than 12 body bytes); WEP otherwise.
// A cipher or key-management suite that lies beyond its element counts as unknown (0).
ScanSecurity DetectSecurityOfEntry(const ScanEntry& entry);

// The entry with that BSSID (entries with an unusable SSID length are skipped), WEP when none.
ScanSecurity DetectSecurity(const ScanList& list, const MacAddress& bssid);

// Reads the current list with QueryScanListLength into a fresh buffer; WEP when the list
// cannot be read, is empty or no longer holds the BSSID.
ScanSecurity DetectSecurity(DriverLibrary& driver, ZARN9100_HANDLE handle, const MacAddress& bssid);

}  // namespace tembrel
