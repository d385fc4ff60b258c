/* Loads the simulated card by path with dlopen and uses nothing but the C header: proves that
 * the library keeps the C ABI (names, records, results) that every implementation shares. */
#include <Tembrel.h>

#include <dlfcn.h>
#include <stdatomic.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

static atomic_int linkUpEvents;

static void OnEvent(void* context, uint32_t message, uintptr_t code, intptr_t param) {
    (void)context;
    (void)param;
    if (message == ZARN9100_EVENT_MESSAGE && code == 1) atomic_fetch_add(&linkUpEvents, 1);
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
