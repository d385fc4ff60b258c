/* Tembrel driver-interface library: the C ABI between the utility and the card.
 *
 * Every operation is extern "C", carries the prefix Zarn9100 and returns int (0 = success)
 * unless marked otherwise. Out-values documented as "unsigned long" are uint32_t; RSSI is
 * int32_t; buffers are pointer + capacity in bytes; strings come back NUL-terminated.
 * Records are packed and little-endian. Any implementation of this header (the simulated
 * card, a recording double, a real card's) loads in place of another without rebuilding
 * the program. */
#ifndef TEMBREL_H
#define TEMBREL_H

#include <stdint.h>

#include "TembrelCodes.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define TEMBREL_API __attribute__((visibility("default")))
#else
#define TEMBREL_API
#endif

typedef void* ZARN9100_HANDLE;

/* The receiver of library events. The library keeps a copy of the record and calls
 * notify(context, ZARN9100_EVENT_MESSAGE, code, param) from a thread of its own.
 * For ZARN9100_EVENT_STATUS_TEXT, param is a const char* valid only during the call. */
typedef struct ZARN9100_EVENT_SINK {
    void (*notify)(void* context, uint32_t message, uintptr_t code, intptr_t param);
    void* context;
} ZARN9100_EVENT_SINK;

#pragma pack(push, 1)

/* SSID scan request, 52 bytes. */
typedef struct _ZARN9100_SSID_SCAN {
    uint32_t SsidLength;   /* 0 to 32 */
    uint8_t Ssid[32];      /* unused bytes 0 */
    uint8_t Channels[14];  /* channel numbers to scan, unused bytes 0 */
    uint8_t Padding[2];
} _ZARN9100_SSID_SCAN;

/* BSSID scan request, 20 bytes. FF-FF-FF-FF-FF-FF = any BSSID. */
typedef struct _ZARN9100_BSSID_SCAN {
    uint8_t Bssid[6];
    uint8_t Channels[14];
} _ZARN9100_BSSID_SCAN;

/* 802.11 counters, 104 bytes. */
typedef struct _NDIS_802_11_STATISTICS {
    uint32_t Length;
    uint8_t Padding[4];
    int64_t TransmittedFragmentCount;
    int64_t MulticastTransmittedFrameCount;
    int64_t FailedCount;
    int64_t RetryCount;
    int64_t MultipleRetryCount;
    int64_t RTSSuccessCount;
    int64_t RTSFailureCount;
    int64_t ACKFailureCount;
    int64_t FrameDuplicateCount;
    int64_t ReceivedFragmentCount;
    int64_t MulticastReceivedFrameCount;
    int64_t FCSErrorCount;
} _NDIS_802_11_STATISTICS;

/* Frames received per RSSI range "0 -- 19", "20 -- 39", "40 -- 59", "60 & Up"; 16 bytes. */
typedef struct _RSSI_STATS {
    uint32_t Range[4];
} _RSSI_STATS;

/* 8 bytes. */
typedef struct _BEACON_STATS {
    uint32_t BeaconsReceived;
    uint32_t BeaconsLost;
} _BEACON_STATS;

/* 802.11d region control, 88 bytes. */
typedef struct _ZARN9100_REGION_CTRL {
    uint8_t mode;               /* 1 disabled, 2 flexible, 3 strict */
    char countryCode[2];
    char environment;
    uint8_t maxTxPower;         /* dBm, 0 = no limit */
    uint8_t maxTxPower11a;      /* dBm, 0 = no limit */
    uint16_t reserved;
    uint8_t channelRanges[16][2];    /* first channel, channel count */
    uint8_t channelRanges11a[24][2]; /* first channel, channel count (spaced 4 apart) */
} _ZARN9100_REGION_CTRL;

/* Auto Link security information, 168 bytes. */
typedef struct _QELT_FASTJOIN_SEC_INFO {
    uint8_t Length;        /* 168 */
    uint8_t ApTag;
    uint8_t Pin[32];
    uint8_t FixedBlock[128];
    uint16_t AddressMode;  /* 2 DHCP, 1 static */
    uint8_t IpAddress[4];  /* first dotted octet first */
} _QELT_FASTJOIN_SEC_INFO;

/* Auto Link setup request, 8 bytes. */
typedef struct _QELT_FASTJOIN_SETUP_REQ {
    uint8_t Length;        /* 8 */
    uint8_t ApTag;
    uint16_t Field1;       /* 1 */
    uint16_t Field2;       /* 1 */
    uint16_t Field3;       /* 0 */
} _QELT_FASTJOIN_SETUP_REQ;

/* SSID learnt by Auto Link, 52 bytes provided by the caller. */
typedef struct _QELT_FASTJOIN_SSID_INFO {
    uint32_t SsidLength;
    uint8_t Ssid[32];
    uint8_t Reserved[16];
} _QELT_FASTJOIN_SSID_INFO;

#pragma pack(pop)

/* Size of the scan buffer every reader passes to QueryScanList. */
#define ZARN9100_SCAN_BUFFER_SIZE 24576u
/* Network type argument that stands for the two-argument form of SsidScan. */
#define ZARN9100_SSID_SCAN_ANY_TYPE 0xFFFFFFFFu

#if defined(__cplusplus)
#define TEMBREL_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define TEMBREL_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif
TEMBREL_STATIC_ASSERT(sizeof(_ZARN9100_SSID_SCAN) == 52, "_ZARN9100_SSID_SCAN is 52 bytes");
TEMBREL_STATIC_ASSERT(sizeof(_ZARN9100_BSSID_SCAN) == 20, "_ZARN9100_BSSID_SCAN is 20 bytes");
TEMBREL_STATIC_ASSERT(sizeof(_NDIS_802_11_STATISTICS) == 104, "_NDIS_802_11_STATISTICS is 104 bytes");
TEMBREL_STATIC_ASSERT(sizeof(_RSSI_STATS) == 16, "_RSSI_STATS is 16 bytes");
TEMBREL_STATIC_ASSERT(sizeof(_BEACON_STATS) == 8, "_BEACON_STATS is 8 bytes");
TEMBREL_STATIC_ASSERT(sizeof(_ZARN9100_REGION_CTRL) == 88, "_ZARN9100_REGION_CTRL is 88 bytes");
TEMBREL_STATIC_ASSERT(sizeof(_QELT_FASTJOIN_SEC_INFO) == 168, "_QELT_FASTJOIN_SEC_INFO is 168 bytes");
TEMBREL_STATIC_ASSERT(sizeof(_QELT_FASTJOIN_SETUP_REQ) == 8, "_QELT_FASTJOIN_SETUP_REQ is 8 bytes");
TEMBREL_STATIC_ASSERT(sizeof(_QELT_FASTJOIN_SSID_INFO) == 52, "_QELT_FASTJOIN_SSID_INFO is 52 bytes");

/* ---- Handle and mode ---- */
TEMBREL_API int Zarn9100OpenAdapter(ZARN9100_HANDLE* handle);   /* null handle: no card */
TEMBREL_API int Zarn9100CloseAdapter(ZARN9100_HANDLE* handle);
/* Replaces the event receiver. Once it returns, the previous receiver is never called again
 * (a delivery under way has finished), so its owner may free it. */
TEMBREL_API int Zarn9100Initialize(const ZARN9100_EVENT_SINK* sink);
TEMBREL_API int Zarn9100UnlockPages(ZARN9100_HANDLE h);
TEMBREL_API int Zarn9100SetGUIMonitorMode(ZARN9100_HANDLE h, uint32_t monitor);
TEMBREL_API int Zarn9100QueryWZCStatusCheck(int* active);      /* 1 = failure */

/* ---- Association ---- */
TEMBREL_API int Zarn9100GetConnectStatus(ZARN9100_HANDLE h);    /* nonzero while associated */
TEMBREL_API int Zarn9100SetSsid(ZARN9100_HANDLE h, const char* ssid, uint32_t length, int hidden);
TEMBREL_API int Zarn9100QuerySsid(ZARN9100_HANDLE h, char* buf, uint32_t cap);
TEMBREL_API int Zarn9100QueryBssid(ZARN9100_HANDLE h, uint8_t bssid[6]);

#define TEMBREL_SET_QUERY(Name)                                                   \
    TEMBREL_API int Zarn9100Set##Name(ZARN9100_HANDLE h, uint32_t value);         \
    TEMBREL_API int Zarn9100Query##Name(ZARN9100_HANDLE h, uint32_t* value);
TEMBREL_SET_QUERY(NetworkMode)
TEMBREL_SET_QUERY(WlanMode)
TEMBREL_SET_QUERY(Channel)
TEMBREL_SET_QUERY(AuthMode)
TEMBREL_SET_QUERY(WepStatus)
TEMBREL_SET_QUERY(RadioControl)
TEMBREL_SET_QUERY(PowerMode)
TEMBREL_SET_QUERY(Preamble)
TEMBREL_SET_QUERY(DataRate)
TEMBREL_SET_QUERY(FragThreshold)
TEMBREL_SET_QUERY(RTSThreshold)
TEMBREL_SET_QUERY(TxPower)
TEMBREL_SET_QUERY(TxAntenna)
TEMBREL_SET_QUERY(RxAntenna)
TEMBREL_SET_QUERY(BoostMode)
TEMBREL_SET_QUERY(ChannelRange)
TEMBREL_SET_QUERY(SignalThreshold)
TEMBREL_SET_QUERY(TxFailThreshold)
#undef TEMBREL_SET_QUERY
TEMBREL_API int Zarn9100SetAdHocWlanMode(ZARN9100_HANDLE h, uint32_t mode);

TEMBREL_API int Zarn9100SetProfileInUse(ZARN9100_HANDLE h, const char* name, uint32_t length);
TEMBREL_API int Zarn9100QueryProfileInUse(ZARN9100_HANDLE h, char* buf, uint32_t cap);
TEMBREL_API int Zarn9100QueryRssi(ZARN9100_HANDLE h, int32_t* rssi);
TEMBREL_API int Zarn9100QueryLinkSpeed(ZARN9100_HANDLE h, uint32_t* speed100bps);
TEMBREL_API int Zarn9100QueryRegionCode(ZARN9100_HANDLE h, uint32_t* code);
TEMBREL_API int Zarn9100RadarDetected(ZARN9100_HANDLE h);

/* ---- Security ---- */
TEMBREL_API int Zarn9100SetWepKey(ZARN9100_HANDLE h, uint32_t index, const uint8_t* key, uint32_t length, int transmit);
TEMBREL_API int Zarn9100SetWPAInformation(ZARN9100_HANDLE h, uint32_t networkType, uint32_t authMode,
                                          uint32_t encryption, const char* passphrase, const char* ssid);
TEMBREL_API int Zarn9100SetFswCCXNetworkEap(ZARN9100_HANDLE h, uint32_t value);
TEMBREL_API int Zarn9100WPACreateIdentityTLS(const char* login, const uint8_t hash[20]);
TEMBREL_API int Zarn9100WPACreateIdentityPEAP(const char* login, const char* domain, const char* password);
TEMBREL_API int Zarn9100WPACreateIdentityLEAP(const char* login, const char* domain, const char* password);
TEMBREL_API int Zarn9100WPACreateIdentityTtls(const char* login, const char* domain, const char* password,
                                              const char* anonymous);
TEMBREL_API void Zarn9100WPAPortDown(void);

/* ---- Scanning ---- */
TEMBREL_API int Zarn9100Scan(ZARN9100_HANDLE h);
TEMBREL_API int Zarn9100SsidScan(ZARN9100_HANDLE h, const _ZARN9100_SSID_SCAN* request, uint32_t networkType);
TEMBREL_API int Zarn9100BssidScan(ZARN9100_HANDLE h, const _ZARN9100_BSSID_SCAN* request);
TEMBREL_API int Zarn9100QueryScanList(ZARN9100_HANDLE h, uint8_t* buf, uint32_t cap);
TEMBREL_API int Zarn9100QueryScanListLength(ZARN9100_HANDLE h, uint8_t* buf, uint32_t cap, uint32_t* length); /* negative = failure */

/* ---- Region ---- */
TEMBREL_API int Zarn9100SetRegionCtrl(ZARN9100_HANDLE h, const _ZARN9100_REGION_CTRL* region);
TEMBREL_API int Zarn9100QueryRegionCtrl(ZARN9100_HANDLE h, _ZARN9100_REGION_CTRL* region);

/* ---- Information ---- */
TEMBREL_API int Zarn9100GetMacAddress(ZARN9100_HANDLE h, uint8_t* buf, uint32_t length);
TEMBREL_API int Zarn9100QueryDeviceDesc(ZARN9100_HANDLE h, char* buf, uint32_t cap);
TEMBREL_API int Zarn9100QueryDriverVersion(ZARN9100_HANDLE h, char* buf, uint32_t cap);
TEMBREL_API int Zarn9100QueryDriverDate(ZARN9100_HANDLE h, char* buf, uint32_t cap);
TEMBREL_API int Zarn9100QueryRegistryPath(ZARN9100_HANDLE h, char* buf, uint32_t cap);
TEMBREL_API int Zarn9100QueryFirmwareVersion(ZARN9100_HANDLE h, uint32_t* version);
TEMBREL_API int Zarn9100QueryChipVersion(ZARN9100_HANDLE h, uint32_t* version);
TEMBREL_API int Zarn9100QueryDhcp9x(ZARN9100_HANDLE h); /* returns the flag */
TEMBREL_API int Zarn9100QueryStatistics(ZARN9100_HANDLE h, _NDIS_802_11_STATISTICS* stats);
TEMBREL_API int Zarn9100QueryRssiStat(ZARN9100_HANDLE h, _RSSI_STATS* stats);
TEMBREL_API int Zarn9100QueryBeaconStatistics(ZARN9100_HANDLE h, _BEACON_STATS* stats);
TEMBREL_API int Zarn9100ResetStatistics(ZARN9100_HANDLE h);

/* ---- Registers ---- */
TEMBREL_API int Zarn9100SetRfRegister(ZARN9100_HANDLE h, uint32_t index, uint32_t value);
TEMBREL_API int Zarn9100SetBbRegister(ZARN9100_HANDLE h, uint32_t index, uint32_t value);
TEMBREL_API int Zarn9100SetMacRegister(ZARN9100_HANDLE h, uint32_t index, uint32_t value);
TEMBREL_API int Zarn9100QueryRfRegister(ZARN9100_HANDLE h, uint32_t index, uint32_t* value);
TEMBREL_API int Zarn9100QueryBbRegister(ZARN9100_HANDLE h, uint32_t index, uint32_t* value);
TEMBREL_API int Zarn9100QueryMacRegister(ZARN9100_HANDLE h, uint32_t index, uint32_t* value);

/* ---- Registry ---- */
TEMBREL_API int Zarn9100QueryRegistryText(const char* key, const char* name, char* buf, uint32_t cap);
TEMBREL_API int Zarn9100QueryRegistryNumber(const char* key, const char* name, uint32_t* value);
TEMBREL_API int Zarn9100SetRegistryNumber(const char* key, const char* name, uint32_t value);
TEMBREL_API int Zarn9100SetRegistryText(const char* key, const char* name, const char* text, uint32_t length, int type);

/* ---- One-touch setup (Auto Link) ---- */
TEMBREL_API int Zarn9100QueryFastjoinAPInfo(ZARN9100_HANDLE h, _QELT_FASTJOIN_SSID_INFO* info);
TEMBREL_API int Zarn9100SetFJSecurityInfo(ZARN9100_HANDLE h, const _QELT_FASTJOIN_SEC_INFO* info);
TEMBREL_API int Zarn9100SetFJSetupRequest(ZARN9100_HANDLE h, const _QELT_FASTJOIN_SETUP_REQ* request);

/* ---- Optional extension (looked up with dlsym; absent from libraries that lack it) ---- */
typedef void (*TEMBREL_DEVICE_NOTIFY)(void* context, uint32_t event, const char* interfaceName);
/* Replaces the callback; once it returns, the previous one is never called again.
 * interfaceName is the device name in the form the operating system gives it, e.g.
 * "\\?\PCI#VEN_7E3C&DEV_4C01&SUBSYS_..."; valid only during the call. */
TEMBREL_API int TembrelSetDeviceNotify(TEMBREL_DEVICE_NOTIFY callback, void* context);

#ifdef __cplusplus
}
#endif

#endif /* TEMBREL_H */
