/* Loads the simulated card by path with dlopen and uses nothing but the C header: proves that
 * the library keeps the C ABI (names, records, results) that every implementation shares. */
#include <Tembrel.h>

#include <dlfcn.h>
#include <stdatomic.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

/* The codes as the library's documentation gives them; a renumbering in the header fails here. */
#define EXPECT_CODE(name, value) _Static_assert((name) == (value), #name " is " #value)
EXPECT_CODE(ZARN9100_EVENT_MESSAGE, 0x8000u);
EXPECT_CODE(ZARN9100_EVENT_LINK_DOWN, 0u);
EXPECT_CODE(ZARN9100_EVENT_LINK_UP, 1u);
EXPECT_CODE(ZARN9100_EVENT_CARD_REMOVED, 2u);
EXPECT_CODE(ZARN9100_EVENT_ADHOC_LINK_UP, 3u);
EXPECT_CODE(ZARN9100_EVENT_LINK_LOST, 4u);
EXPECT_CODE(ZARN9100_EVENT_ASSOCIATION_REFUSED, 5u);
EXPECT_CODE(ZARN9100_EVENT_SCAN_COMPLETE, 6u);
EXPECT_CODE(ZARN9100_EVENT_RADIO_SWITCH_ON, 8u);
EXPECT_CODE(ZARN9100_EVENT_RADIO_SWITCH_OFF, 9u);
EXPECT_CODE(ZARN9100_EVENT_AUTOLINK_CONFIGURED, 1008u);
EXPECT_CODE(ZARN9100_EVENT_STATUS_TEXT, 1012u);
EXPECT_CODE(ZARN9100_EVENT_AUTOLINK_STEP_FIRST, 0xF0000000u);
EXPECT_CODE(ZARN9100_EVENT_AUTOLINK_SUCCEEDED, 0xF0000007u);
EXPECT_CODE(ZARN9100_EVENT_AUTOLINK_FAILED, 0xF0000008u);
EXPECT_CODE(ZARN9100_EVENT_AUTOLINK_WRONG_PIN, 0xF0000009u);
EXPECT_CODE(TEMBREL_DEVICE_ARRIVAL, 0x8000u);
EXPECT_CODE(TEMBREL_DEVICE_REMOVE_COMPLETE, 0x8004u);
EXPECT_CODE(ZARN9100_RESULT_OK, 0);
EXPECT_CODE(ZARN9100_RESULT_NO_NETWORK, 1);
EXPECT_CODE(ZARN9100_RESULT_SECURITY_REFUSED, 2);
EXPECT_CODE(ZARN9100_RESULT_RADIO_OFF, 3);
EXPECT_CODE(ZARN9100_RESULT_PENDING, 4);
EXPECT_CODE(ZARN9100_RESULT_BAD_HANDLE, 5);
EXPECT_CODE(ZARN9100_RESULT_BAD_ARGUMENT, 6);
EXPECT_CODE(ZARN9100_RESULT_BUFFER_TOO_SMALL, 7);
EXPECT_CODE(ZARN9100_RESULT_NOT_AVAILABLE, 8);
EXPECT_CODE(ZARN9100_AUTH_OPEN, 0u);
EXPECT_CODE(ZARN9100_AUTH_SHARED, 1u);
EXPECT_CODE(ZARN9100_AUTH_AUTO_SWITCH, 2u);
EXPECT_CODE(ZARN9100_AUTH_WPA, 3u);
EXPECT_CODE(ZARN9100_AUTH_WPA_PSK, 4u);
EXPECT_CODE(ZARN9100_AUTH_WPA2, 6u);
EXPECT_CODE(ZARN9100_AUTH_WPA2_PSK, 7u);
EXPECT_CODE(ZARN9100_ENCRYPTION_WEP, 0u);
EXPECT_CODE(ZARN9100_ENCRYPTION_DISABLED, 1u);
EXPECT_CODE(ZARN9100_ENCRYPTION_WEP_KEY_ABSENT, 2u);
EXPECT_CODE(ZARN9100_ENCRYPTION_TKIP, 4u);
EXPECT_CODE(ZARN9100_ENCRYPTION_TKIP_KEY_ABSENT, 5u);
EXPECT_CODE(ZARN9100_ENCRYPTION_AES, 6u);
EXPECT_CODE(ZARN9100_ENCRYPTION_AES_KEY_ABSENT, 7u);
EXPECT_CODE(ZARN9100_RADIO_OFF, 0u);
EXPECT_CODE(ZARN9100_RADIO_ON, 1u);
EXPECT_CODE(ZARN9100_RADIO_SWITCHED_OFF, 2u);
EXPECT_CODE(ZARN9100_NETWORK_ADHOC, 0u);
EXPECT_CODE(ZARN9100_NETWORK_INFRASTRUCTURE, 1u);

static atomic_int linkUpEvents;

static void OnEvent(void* context, uint32_t message, uintptr_t code, intptr_t param) {
    (void)context;
    (void)param;
    if (message == ZARN9100_EVENT_MESSAGE && code == ZARN9100_EVENT_LINK_UP) atomic_fetch_add(&linkUpEvents, 1);
}

#define RESOLVE(type, name)                                  \
    type name = (type)dlsym(lib, "Zarn9100" #name);          \
    if (name == NULL) {                                      \
        fprintf(stderr, "missing Zarn9100%s\n", #name);      \
        return 1;                                            \
    }

#define CHECK(cond)                                                    \
    if (!(cond)) {                                                     \
        fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
        return 1;                                                      \
    }

typedef int (*OpenFn)(ZARN9100_HANDLE*);
typedef int (*HandleFn)(ZARN9100_HANDLE);
typedef int (*InitFn)(const ZARN9100_EVENT_SINK*);
typedef int (*MacFn)(ZARN9100_HANDLE, uint8_t*, uint32_t);
typedef int (*QueryFn)(ZARN9100_HANDLE, uint32_t*);
typedef int (*SetFn)(ZARN9100_HANDLE, uint32_t);
typedef int (*SsidFn)(ZARN9100_HANDLE, const char*, uint32_t, int);
typedef int (*ScanFn)(ZARN9100_HANDLE, uint8_t*, uint32_t);
typedef int (*StatsFn)(ZARN9100_HANDLE, _NDIS_802_11_STATISTICS*);
typedef int (*RegionFn)(ZARN9100_HANDLE, _ZARN9100_REGION_CTRL*);

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s PATH-TO-libTembrel.so\n", argv[0]);
        return 2;
    }
    void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (lib == NULL) {
        fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    RESOLVE(OpenFn, OpenAdapter)
    RESOLVE(OpenFn, CloseAdapter)
    RESOLVE(InitFn, Initialize)
    RESOLVE(MacFn, GetMacAddress)
    RESOLVE(QueryFn, QueryRegionCode)
    RESOLVE(QueryFn, QueryRadioControl)
    RESOLVE(SetFn, SetAuthMode)
    RESOLVE(SetFn, SetWepStatus)
    RESOLVE(SetFn, SetNetworkMode)
    RESOLVE(SsidFn, SetSsid)
    RESOLVE(HandleFn, GetConnectStatus)
    RESOLVE(ScanFn, QueryScanList)
    RESOLVE(StatsFn, QueryStatistics)
    RESOLVE(RegionFn, QueryRegionCtrl)

    ZARN9100_EVENT_SINK sink = {OnEvent, NULL};
    CHECK(Initialize(&sink) == 0);
    ZARN9100_HANDLE h = NULL;
    CHECK(OpenAdapter(&h) == 0 && h != NULL);

    uint8_t mac[6] = {0};
    CHECK(GetMacAddress(h, mac, 6) == 0);
    CHECK((mac[0] | mac[1] | mac[2] | mac[3] | mac[4] | mac[5]) != 0);
    uint32_t region = 0, radio = 0;
    CHECK(QueryRegionCode(h, &region) == 0 && region == 0x10);
    CHECK(QueryRadioControl(h, &radio) == 0 && radio == 1);
    _ZARN9100_REGION_CTRL rc;
    memset(&rc, 0, sizeof rc);
    CHECK(QueryRegionCtrl(h, &rc) == 0 && rc.countryCode[0] == 'U' && rc.channelRanges[0][0] == 1);

    static uint8_t buffer[ZARN9100_SCAN_BUFFER_SIZE];
    CHECK(QueryScanList(h, buffer, sizeof buffer) == 0);
    uint32_t count;
    memcpy(&count, buffer, 4);
    CHECK(count > 0);
    uint32_t at = 4, found = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t length, ssidLength;
        memcpy(&length, buffer + at, 4);
        memcpy(&ssidLength, buffer + at + 12, 4);
        CHECK(length >= 128 && at + length <= sizeof buffer);
        if (ssidLength == 12 && memcmp(buffer + at + 16, "Orvix-Open-G", 12) == 0) found = 1;
        at += length;
    }
    CHECK(found);

    CHECK(SetAuthMode(h, 0) == 0);
    CHECK(SetWepStatus(h, 1) == 0);
    CHECK(SetNetworkMode(h, 1) == 0);
    CHECK(SetSsid(h, "Orvix-Open-G", 12, 0) == 0);
    CHECK(GetConnectStatus(h) != 0);
    _NDIS_802_11_STATISTICS stats;
    memset(&stats, 0, sizeof stats);
    CHECK(QueryStatistics(h, &stats) == 0 && stats.Length == sizeof stats);

    /* The link-up event arrives from the library's own thread. */
    for (int i = 0; i < 5000 && atomic_load(&linkUpEvents) == 0; ++i) {
        struct timespec pause = {0, 1000000};
        nanosleep(&pause, NULL);
    }
    CHECK(atomic_load(&linkUpEvents) == 1);

    ZARN9100_HANDLE stale = h;
    CHECK(CloseAdapter(&h) == 0 && h == NULL);
    CHECK(GetConnectStatus(stale) == 0);
    CHECK(Initialize(NULL) == 0);
    dlclose(lib);
    puts("ABI check passed");
    return 0;
}
