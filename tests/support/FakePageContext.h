#pragma once
// A page context for a page or dialog alone: a real profile list and profile connector on a
// driver the test chooses (a RecordingDriver, or the simulated card), in-memory settings,
// scripted dialogs, a fake IP helper and an empty certificate store. The card is "open" once
// the test calls openCard().

#include "pages/PageContext.h"
#include "platform/CertificateStore.h"
#include "platform/Settings.h"
#include "tests/support/FakeIpHelper.h"
#include "tests/support/MemorySettings.h"
#include "tests/support/ScriptedDialogService.h"

#include <atomic>
#include <string>
#include <vector>

namespace tembrel::testing {

class FakePageContext final : public PageContext {
public:
    explicit FakePageContext(DriverLibrary& driver)
        : driver_(driver),
          connector_(ConnectionContext{driver_, handle_, radioState_, profiles_, snapshot_, [this](bool connected) {
                                           ++refreshes;
                                           lastRefresh = connected;
                                       }}) {}

    // Holds `h` as the adapter handle (nullptr: no card).
    void openCard(ZARN9100_HANDLE h) {
        handle_.exclusive([&](ZARN9100_HANDLE* held) {
            *held = h;
            return 0;
        });
    }
    void closeCard() { openCard(nullptr); }
    AdapterHandle& adapterHandle() { return handle_; }

    DriverLibrary& library() override { return driver_; }
    const AdapterHandle& handle() const override { return handle_; }
    std::string libraryPath() const override { return libraryFile; }
    std::optional<MacAddress> macAddress() const override {
        if (!handle_.held()) return std::nullopt;
        return mac;
    }
    uint32_t regionCode() const override { return region; }
    uint32_t radioState() const override { return radioState_; }
    std::atomic<uint32_t>& stopping() override { return stopping_; }
    SupervisorFlags& supervisorFlags() override { return flags; }
    bool monitorMode() const override { return flags.monitorMode != 0; }
    int osFamily() const override { return family; }
    ConnectionSnapshot snapshot() const override { return snapshot_.copy(); }
    uint32_t encryptionStatus() override { return snapshot_.copy().encryptionStatus; }
    ProfileConnector& connector() override { return connector_; }
    ProfileList& profiles() override { return profiles_; }
    const std::string& profileStorePath() const override { return storePath; }
    std::filesystem::path dataFolder() const override { return std::filesystem::path(storePath).parent_path(); }
    Settings& settings() override { return settings_; }
    DialogService& dialogs() override { return dialogs_; }
    const IpHelper& ipHelper() const override { return ip; }
    const CertificateStore& certificateStore() const override { return certificates_; }
    QWidget* dialogParent() override { return parentWindow; }
    void profilesChanged(const QWidget* page) override { changedBy.push_back(page); }

    // Set by the test.
    std::string libraryFile = "libTembrel.so";
    MacAddress mac{0x00, 0x0C, 0x41, 0x12, 0x34, 0x56};
    uint32_t region = 0x10;
    int family = 1;
    std::string storePath = "/nonexistent/Data.cfg";
    QWidget* parentWindow = nullptr;
    SupervisorFlags flags;
    FakeIpHelper ip;

    // Seen by the test.
    MemorySettings& memorySettings() { return settings_; }
    ScriptedDialogService& scriptedDialogs() { return dialogs_; }
    std::vector<const QWidget*> changedBy;
    int refreshes = 0;
    bool lastRefresh = false;

private:
    struct NoCertificates final : CertificateStore {
        std::vector<Certificate> certificates() const override { return {}; }
    };

    DriverLibrary& driver_;
    AdapterHandle handle_;
    std::atomic<uint32_t> radioState_{1};
    std::atomic<uint32_t> stopping_{0};
    ProfileList profiles_;
    ConnectionSnapshotHolder snapshot_;
    ProfileConnector connector_;
    MemorySettings settings_;
    ScriptedDialogService dialogs_;
    NoCertificates certificates_;
};

}  // namespace tembrel::testing
