#pragma once
// A PageContext for testing a page or dialog alone: a real profile list and a ProfileConnector
// on the given driver (a RecordingDriver, or the simulated card), settings in memory, scripted
// dialogs, a fake IP helper and a certificate store holding what the test puts in it.

#include "pages/PageContext.h"
#include "platform/CertificateStore.h"
#include "tests/support/FakeIpHelper.h"
#include "tests/support/MemorySettings.h"
#include "tests/support/ScriptedDialogService.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

namespace tembrel::testing {

class MemoryCertificateStore final : public CertificateStore {
public:
    std::vector<Certificate> items;
    std::vector<Certificate> certificates() const override { return items; }
};

class FakePageContext final : public PageContext {
public:
    explicit FakePageContext(DriverLibrary& driver) : driver_(driver) {}

    DriverLibrary& library() override { return driver_; }
    const AdapterHandle& handle() const override { return handle_; }
    std::string libraryPath() const override { return {}; }
    std::optional<MacAddress> macAddress() const override { return std::nullopt; }
    uint32_t regionCode() const override { return 0x10; }
    uint32_t radioState() const override { return radio_.load(); }
    std::atomic<uint32_t>& stopping() override { return stopping_; }
    SupervisorFlags& supervisorFlags() override { return flags_; }
    bool monitorMode() const override { return false; }
    int osFamily() const override { return 1; }
    ConnectionSnapshot snapshot() const override { return snapshot_.copy(); }
    uint32_t encryptionStatus() override { return snapshot_.copy().encryptionStatus; }
    ProfileConnector& connector() override { return connector_; }
    ProfileList& profiles() override { return profiles_; }
    const std::string& profileStorePath() const override { return storePath_; }
    std::filesystem::path dataFolder() const override { return dataFolder_; }
    Settings& settings() override { return settings_; }
    DialogService& dialogs() override { return dialogs_; }
    const IpHelper& ipHelper() const override { return ipHelper_; }
    const CertificateStore& certificateStore() const override { return certificates_; }
    QWidget* dialogParent() override { return nullptr; }
    void profilesChanged(const QWidget*) override { ++profilesChangedCount; }

    // Opens the adapter through the driver (for tests that need a card).
    bool openAdapter() {
        return handle_.exclusive([&](ZARN9100_HANDLE* h) { return driver_.OpenAdapter(h); }) == 0 && handle_.held();
    }
    void closeAdapter() {
        handle_.exclusive([&](ZARN9100_HANDLE* h) { return driver_.CloseAdapter(h); });
    }

    MemorySettings settings_;
    ScriptedDialogService dialogs_;
    FakeIpHelper ipHelper_;
    MemoryCertificateStore certificates_;
    ProfileList profiles_;
    ConnectionSnapshotHolder snapshot_;
    std::string storePath_ = "Data.cfg";
    std::filesystem::path dataFolder_ = ".";
    int profilesChangedCount = 0;

private:
    DriverLibrary& driver_;
    AdapterHandle handle_;
    std::atomic<uint32_t> radio_{1};
    std::atomic<uint32_t> stopping_{0};
    SupervisorFlags flags_;
    ProfileConnector connector_{ConnectionContext{driver_, handle_, radio_, profiles_, snapshot_, [this](bool connected) {
                                                      ConnectionSnapshot s = snapshot_.copy();
                                                      s.connected = connected ? 1 : 0;
                                                      snapshot_.write(s);
                                                  }}};
};

}  // namespace tembrel::testing
