#pragma once
// A page context for testing one page without the main window, on its own RecordingDriver: the recording driver with an
// open handle, a snapshot the test writes, a real profile list and connector, in-memory
// settings, scripted dialogs and a fake IP helper.

#include "connection/ProfileConnector.h"
#include "pages/PageContext.h"
#include "platform/CertificateStore.h"
#include "tests/support/FakeIpHelper.h"
#include "tests/support/MemorySettings.h"
#include "tests/support/RecordingDriver.h"
#include "tests/support/ScriptedDialogService.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tembrel::testing {

class RecordingPageContext final : public PageContext {
public:
    RecordingPageContext() { openCard(); }

    // The window's adapter handle: the driver's handle, or none ("Card Unplugged").
    void openCard() {
        handle_.exclusive([&](ZARN9100_HANDLE* h) {
            *h = driver.adapterHandle();
            return 0;
        });
    }
    void closeCard() {
        handle_.exclusive([](ZARN9100_HANDLE* h) {
            *h = nullptr;
            return 0;
        });
    }

    DriverLibrary& library() override { return driver; }
    const AdapterHandle& handle() const override { return handle_; }
    std::string libraryPath() const override { return libraryFile; }
    std::optional<MacAddress> macAddress() const override {
        if (!handle_.held()) return std::nullopt;
        return mac;
    }
    uint32_t regionCode() const override { return region; }
    uint32_t radioState() const override { return radio; }
    std::atomic<uint32_t>& stopping() override { return stopping_; }
    SupervisorFlags& supervisorFlags() override { return flags; }
    bool monitorMode() const override { return monitor; }
    int osFamily() const override { return family; }
    ConnectionSnapshot snapshot() const override { return snapshotHolder.copy(); }
    uint32_t encryptionStatus() override { return snapshotHolder.copy().encryptionStatus; }
    ProfileConnector& connector() override { return connector_; }
    ProfileList& profiles() override { return profileList; }
    const std::string& profileStorePath() const override { return storePath; }
    std::filesystem::path dataFolder() const override { return folder; }
    Settings& settings() override { return memorySettings; }
    DialogService& dialogs() override { return scriptedDialogs; }
    const IpHelper& ipHelper() const override { return fakeIpHelper; }
    const CertificateStore& certificateStore() const override { return certificates; }
    QWidget* dialogParent() override { return parentWidget; }
    void profilesChanged(const QWidget* page) override { changedBy.push_back(page); }

    // Sets the snapshot's link: connected in infrastructure mode on a band (0 g, 1 b, 2 a).
    void setConnected(bool connected, uint32_t wlanMode = 0) {
        ConnectionSnapshot s = snapshotHolder.copy();
        s.connected = connected ? 1 : 0;
        s.currentNetworkMode = 1;
        s.currentWlanMode = wlanMode;
        snapshotHolder.write(s);
    }

    class NoCertificates final : public CertificateStore {
    public:
        std::vector<Certificate> certificates() const override { return {}; }
    };

    RecordingDriver driver;
    ConnectionSnapshotHolder snapshotHolder;
    ProfileList profileList;
    MemorySettings memorySettings;
    ScriptedDialogService scriptedDialogs;
    FakeIpHelper fakeIpHelper;
    NoCertificates certificates;
    SupervisorFlags flags;
    MacAddress mac{0x00, 0x1d, 0x4f, 0x00, 0x00, 0x01};
    uint32_t region = 0;
    uint32_t radio = 1;
    bool monitor = false;
    int family = 1;
    std::string libraryFile;
    std::string storePath;
    std::filesystem::path folder;
    QWidget* parentWidget = nullptr;
    std::vector<const QWidget*> changedBy;

private:
    AdapterHandle handle_;
    std::atomic<uint32_t> stopping_{0};
    std::atomic<uint32_t> radioState_{1};
    ProfileConnector connector_{ConnectionContext{driver, handle_, radioState_, profileList, snapshotHolder,
                                                  [](bool) {}}};
};

}  // namespace tembrel::testing
