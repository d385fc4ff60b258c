#pragma once
// A ProfileConnector wired to the recording driver, an open handle, a profile list, a snapshot
// whose refresh the test scripts, and a clock the test moves.

#include "connection/ProfileConnector.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "tests/support/Hex.h"
#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace tembrel::testing {


// The recorded text of the profile-application SSID scan: all fourteen channels.
inline std::string SsidScanText(const std::string& ssid, uint32_t networkType) {
    uint8_t record[52] = {};
    const uint32_t length = static_cast<uint32_t>(ssid.size());
    std::memcpy(record, &length, 4);
    std::memcpy(record + 4, ssid.data(), ssid.size());
    for (int i = 0; i < 14; ++i) record[36 + i] = static_cast<uint8_t>(i + 1);
    return "SsidScan(h, " + HexBytes(record, sizeof record) + ", " + std::to_string(networkType) + ")";
}

inline ProfilePtr MakeProfile(const std::string& name, const std::string& ssid, uint32_t networkType) {
    auto p = NewEmptyProfile();
    SetProfileName(*p, name);
    SetProfileSsid(*p, ssid);
    p->networkType = networkType;
    p->wirelessMode = 255;
    p->powerSaveMode = 1;
    p->preamble = 2;
    p->txRate = 108;
    p->fragThreshold = 2346;
    p->rtsThreshold = 2347;
    return p;
}

class ConnectorTest : public ::testing::Test {
protected:
    ConnectorTest() {
        handle.exclusive([&](ZARN9100_HANDLE* h) {
            *h = driver.adapterHandle();
            return 0;
        });
    }

    void closeHandle() {
        handle.exclusive([](ZARN9100_HANDLE* h) {
            *h = nullptr;
            return 0;
        });
    }

    std::vector<std::string> calls() const { return driver.callTexts(); }

    RecordingDriver driver;
    AdapterHandle handle;
    std::atomic<uint32_t> radioState{1};
    ProfileList profiles;
    ConnectionSnapshotHolder snapshot;
    std::vector<bool> refreshes;
    // What the main window's RefreshStatus would leave in the snapshot.
    std::function<ConnectionSnapshot(bool)> refreshedSnapshot = [](bool connected) {
        ConnectionSnapshot s;
        s.connected = connected ? 1 : 0;
        return s;
    };
    std::chrono::steady_clock::time_point clock{};
    ProfileConnector connector{ConnectionContext{
        driver, handle, radioState, profiles, snapshot,
        [this](bool connected) {
            refreshes.push_back(connected);
            snapshot.write(refreshedSnapshot(connected));
        },
        [this] { return clock; }}};
};

}  // namespace tembrel::testing
