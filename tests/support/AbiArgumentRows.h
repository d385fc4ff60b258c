#pragma once
// Arguments every driver library refuses with ZARN9100_RESULT_BAD_ARGUMENT, whatever it can do
// with good ones: one table for the simulated card and the real cards' entry points alike. Each
// test executable links one library and runs the rows on an open handle of it.

#include <Tembrel.h>

namespace tembrel::testing {

struct AbiArgumentRow {
    const char* call;
    int (*run)(ZARN9100_HANDLE h);
};

inline const uint8_t kRowKey[5] = {1, 2, 3, 4, 5};

inline const AbiArgumentRow kRefusedArguments[] = {
    {"SetGUIMonitorMode 2", [](ZARN9100_HANDLE h) { return Zarn9100SetGUIMonitorMode(h, 2); }},
    {"SetSsid of 33 bytes", [](ZARN9100_HANDLE h) { return Zarn9100SetSsid(h, "x", 33, 0); }},
    {"SetSsid without bytes", [](ZARN9100_HANDLE h) { return Zarn9100SetSsid(h, nullptr, 3, 0); }},
    {"SetNetworkMode 2", [](ZARN9100_HANDLE h) { return Zarn9100SetNetworkMode(h, 2); }},
    {"SetWlanMode 3", [](ZARN9100_HANDLE h) { return Zarn9100SetWlanMode(h, 3); }},
    {"SetAdHocWlanMode 3", [](ZARN9100_HANDLE h) { return Zarn9100SetAdHocWlanMode(h, 3); }},
    {"SetChannel 15", [](ZARN9100_HANDLE h) { return Zarn9100SetChannel(h, 15); }},
    {"SetChannel 37", [](ZARN9100_HANDLE h) { return Zarn9100SetChannel(h, 37); }},
    {"SetAuthMode 256", [](ZARN9100_HANDLE h) { return Zarn9100SetAuthMode(h, 256); }},
    {"SetWepStatus 2 (a query-only status)", [](ZARN9100_HANDLE h) { return Zarn9100SetWepStatus(h, 2); }},
    {"SetRadioControl 2", [](ZARN9100_HANDLE h) { return Zarn9100SetRadioControl(h, 2); }},
    {"SetPowerMode 3", [](ZARN9100_HANDLE h) { return Zarn9100SetPowerMode(h, 3); }},
    {"SetPreamble 0", [](ZARN9100_HANDLE h) { return Zarn9100SetPreamble(h, 0); }},
    {"SetDataRate 107", [](ZARN9100_HANDLE h) { return Zarn9100SetDataRate(h, 107); }},
    {"SetFragThreshold 255", [](ZARN9100_HANDLE h) { return Zarn9100SetFragThreshold(h, 255); }},
    {"SetRTSThreshold 2348", [](ZARN9100_HANDLE h) { return Zarn9100SetRTSThreshold(h, 2348); }},
    {"SetTxPower 5", [](ZARN9100_HANDLE h) { return Zarn9100SetTxPower(h, 5); }},
    {"SetTxAntenna 3", [](ZARN9100_HANDLE h) { return Zarn9100SetTxAntenna(h, 3); }},
    {"SetRxAntenna 0", [](ZARN9100_HANDLE h) { return Zarn9100SetRxAntenna(h, 0); }},
    {"SetBoostMode 2", [](ZARN9100_HANDLE h) { return Zarn9100SetBoostMode(h, 2); }},
    {"SetChannelRange 9 to 2", [](ZARN9100_HANDLE h) { return Zarn9100SetChannelRange(h, (9u << 8) | 2u); }},
    {"SetSignalThreshold 201", [](ZARN9100_HANDLE h) { return Zarn9100SetSignalThreshold(h, 201); }},
    {"SetTxFailThreshold 101", [](ZARN9100_HANDLE h) { return Zarn9100SetTxFailThreshold(h, 101); }},
    {"SetProfileInUse of 65 bytes", [](ZARN9100_HANDLE h) { return Zarn9100SetProfileInUse(h, "x", 65); }},
    {"SetProfileInUse without bytes", [](ZARN9100_HANDLE h) { return Zarn9100SetProfileInUse(h, nullptr, 4); }},
    {"SetWepKey slot 0", [](ZARN9100_HANDLE h) { return Zarn9100SetWepKey(h, 0, kRowKey, 5, 1); }},
    {"SetWepKey slot 5", [](ZARN9100_HANDLE h) { return Zarn9100SetWepKey(h, 5, kRowKey, 5, 1); }},
    {"SetWepKey without a key", [](ZARN9100_HANDLE h) { return Zarn9100SetWepKey(h, 1, nullptr, 5, 1); }},
    {"SetWepKey of 7 bytes", [](ZARN9100_HANDLE h) { return Zarn9100SetWepKey(h, 1, kRowKey, 7, 1); }},
    {"SetWPAInformation network type 2",
     [](ZARN9100_HANDLE h) { return Zarn9100SetWPAInformation(h, 2, 4, 4, "passphrase", "x"); }},
    {"SetFswCCXNetworkEap 2", [](ZARN9100_HANDLE h) { return Zarn9100SetFswCCXNetworkEap(h, 2); }},
    {"WPACreateIdentityTLS without a certificate",
     [](ZARN9100_HANDLE) { return Zarn9100WPACreateIdentityTLS("alice", nullptr); }},
    {"SsidScan without a request", [](ZARN9100_HANDLE h) { return Zarn9100SsidScan(h, nullptr, 1); }},
    {"SsidScan of 33 bytes",
     [](ZARN9100_HANDLE h) {
         _ZARN9100_SSID_SCAN request{};
         request.SsidLength = 33;
         return Zarn9100SsidScan(h, &request, 1);
     }},
    {"SsidScan network type 2",
     [](ZARN9100_HANDLE h) {
         _ZARN9100_SSID_SCAN request{};
         return Zarn9100SsidScan(h, &request, 2);
     }},
};

}  // namespace tembrel::testing
