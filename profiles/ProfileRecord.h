#pragma once
// PROFILE_RECORD: one connection profile, 792 bytes. The same bytes live in memory and (scrambled)
// on disk, so every offset, width and reserved area is part of the file format.

#include <cstddef>
#include <cstdint>

namespace tembrel {

#pragma pack(push, 1)

struct WEP_KEY_ENTRY {
    uint32_t length;       // 0 = not set, 5 = 40-bit, 13 = 104-bit
    uint8_t material[32];  // the first `length` bytes are the key, the rest zero
};

// The block the security page copies whole and the WEP key dialog edits.
struct WEP_KEY_SET {
    uint32_t txKeyIndex;  // 1 to 4; 0 = none
    WEP_KEY_ENTRY keys[4];
};

struct PROFILE_RECORD {
    char name[40];               //   0  NUL-terminated, at most 39 characters
    char ssid[33];               //  40  NUL-terminated, at most 32 characters
    uint8_t hiddenSsid;          //  73
    uint8_t adHocWirelessMode;   //  74  0 = 802.11g, 1 = 802.11b, 2 = 802.11a
    uint8_t reserved1[5];        //  75
    uint32_t networkType;        //  80  1 = Infrastructure, 0 = Ad-Hoc
    uint32_t wirelessMode;       //  84  255 = Auto, 0 = g, 1 = b, 2 = a
    int32_t adHocChannel;        //  88  0 = Auto Select
    int32_t encryption;          //  92  0 off, 1 WEP, 2 TKIP, 3 AES
    uint32_t authMode;           //  96  authentication mode code
    WEP_KEY_SET wep;             // 100  txKeyIndex, then wepKeys at 104
    uint32_t useDhcp;            // 248
    uint32_t ipAddress;          // 252  first dotted octet in the most significant byte
    uint32_t subnetMask;         // 256
    uint32_t defaultGateway;     // 260
    uint32_t keepAdapterSettings;  // 264  1 = radio parameters below are not applied
    uint32_t powerSaveMode;      // 268  0 = Continuous Access, 1 = Max Power Save
    uint32_t preamble;           // 272  1 Auto, 2 Short, 3 Long
    uint32_t txRate;             // 276  255 = Auto, else units of 500 kbit/s
    uint32_t fragThreshold;      // 280  bytes, 256 to 2346
    uint32_t rtsThreshold;       // 284  bytes, at most 2347
    uint32_t inPreferList;       // 288
    char passphrase[128];        // 292  zero-filled after the last character
    uint8_t reservedAfterPassphrase[4];  // 420
    uint32_t passphraseLength;   // 424
    uint8_t reserved2[4];        // 428
    char loginName[40];          // 432
    char password[40];           // 472
    char domain[40];             // 512
    char certificateName[40];    // 552
    uint8_t reserved3[120];      // 592
    uint8_t certificateHash[20];  // 712  SHA-1 thumbprint
    uint8_t reserved4[20];       // 732
    char anonymousName[40];      // 752
};

#pragma pack(pop)

static_assert(sizeof(WEP_KEY_ENTRY) == 36);
static_assert(sizeof(WEP_KEY_SET) == 148);
static_assert(sizeof(PROFILE_RECORD) == 792);
static_assert(offsetof(PROFILE_RECORD, ssid) == 40);
static_assert(offsetof(PROFILE_RECORD, hiddenSsid) == 73);
static_assert(offsetof(PROFILE_RECORD, adHocWirelessMode) == 74);
static_assert(offsetof(PROFILE_RECORD, reserved1) == 75);
static_assert(offsetof(PROFILE_RECORD, networkType) == 80);
static_assert(offsetof(PROFILE_RECORD, wirelessMode) == 84);
static_assert(offsetof(PROFILE_RECORD, adHocChannel) == 88);
static_assert(offsetof(PROFILE_RECORD, encryption) == 92);
static_assert(offsetof(PROFILE_RECORD, authMode) == 96);
static_assert(offsetof(PROFILE_RECORD, wep) == 100);
static_assert(offsetof(PROFILE_RECORD, wep) + offsetof(WEP_KEY_SET, keys) == 104);
static_assert(offsetof(PROFILE_RECORD, useDhcp) == 248);
static_assert(offsetof(PROFILE_RECORD, ipAddress) == 252);
static_assert(offsetof(PROFILE_RECORD, subnetMask) == 256);
static_assert(offsetof(PROFILE_RECORD, defaultGateway) == 260);
static_assert(offsetof(PROFILE_RECORD, keepAdapterSettings) == 264);
static_assert(offsetof(PROFILE_RECORD, powerSaveMode) == 268);
static_assert(offsetof(PROFILE_RECORD, preamble) == 272);
static_assert(offsetof(PROFILE_RECORD, txRate) == 276);
static_assert(offsetof(PROFILE_RECORD, fragThreshold) == 280);
static_assert(offsetof(PROFILE_RECORD, rtsThreshold) == 284);
static_assert(offsetof(PROFILE_RECORD, inPreferList) == 288);
static_assert(offsetof(PROFILE_RECORD, passphrase) == 292);
static_assert(offsetof(PROFILE_RECORD, reservedAfterPassphrase) == 420);
static_assert(offsetof(PROFILE_RECORD, passphraseLength) == 424);
static_assert(offsetof(PROFILE_RECORD, reserved2) == 428);
static_assert(offsetof(PROFILE_RECORD, loginName) == 432);
static_assert(offsetof(PROFILE_RECORD, password) == 472);
static_assert(offsetof(PROFILE_RECORD, domain) == 512);
static_assert(offsetof(PROFILE_RECORD, certificateName) == 552);
static_assert(offsetof(PROFILE_RECORD, reserved3) == 592);
static_assert(offsetof(PROFILE_RECORD, certificateHash) == 712);
static_assert(offsetof(PROFILE_RECORD, reserved4) == 732);
static_assert(offsetof(PROFILE_RECORD, anonymousName) == 752);

}  // namespace tembrel
