#pragma once
// A PageContext for testing a page or dialog alone: the driver is whatever the test passes (a
// RecordingDriver, or the simulated card), with a real ProfileList and a ProfileConnector on it,
// in-memory settings, scripted dialogs, a fake IP helper and a certificate store holding what
// the test puts in it. openAdapter()/closeAdapter() take the handle from the driver's
// OpenAdapter as the main window would; the public fields are what the window would report.

#include "connection/ConnectionSnapshot.h"
#include "connection/ProfileConnector.h"
#include "pages/PageContext.h"
#include "tests/support/FakeCertificateStore.h"
#include "tests/support/FakeIpHelper.h"
#include "tests/support/MemorySettings.h"
#include "tests/support/ScriptedDialogService.h"

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>

namespace tembrel::testing {

class FakePageContext : public PageContext {
public:
    explicit FakePageContext(DriverLibrary& driver, std::filesystem::path dataFolder = ".")
        : dataFolder_(std::move(dataFolder)), storePath_((dataFolder_ / "Data.cfg").string()), driver_(driver) {}

    bool openAdapter() {
        return handle_.exclusive([this](ZARN9100_HANDLE* h) {
            if (*h == nullptr) driver_.OpenAdapter(h);
            return *h != nullptr;
        });
    }
    // Holds `h` as the handle without calling the driver (a recording driver's own handle).
    void holdHandle(ZARN9100_HANDLE h) {
        handle_.exclusive([h](ZARN9100_HANDLE* held) { *held = h; });
    }
    void closeAdapter() {
        handle_.exclusive([this](ZARN9100_HANDLE* h) {
            if (*h != nullptr) driver_.CloseAdapter(h);
            *h = nullptr;
        });
    }

    DriverLibrary& library() override { return driver_; }
    const AdapterHandle& handle() const override { return handle_; }
    std::string libraryPath() const override { return library_path; }
    std::optional<MacAddress> macAddress() const override { return handle_.held() ? mac : std::nullopt; }
    uint32_t regionCode() const override { return region_code; }
    uint32_t radioState() const override { return radio_.load(); }
    StopFlag& stopping() override { return stopping_; }
    SupervisorFlags& supervisorFlags() override { return flags_; }
    bool monitorMode() const override { return monitor_mode; }
    int osFamily() const override { return os_family; }
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
    QWidget* dialogParent() override { return dialog_parent; }
    void profilesChanged(const QWidget*) override { ++profilesChangedCount; }

    std::string library_path;
    std::optional<MacAddress> mac;
    uint32_t region_code = 0x10;
    bool monitor_mode = false;
    int os_family = 1;
    QWidget* dialog_parent = nullptr;
    int profilesChangedCount = 0;

    MemorySettings settings_;
    ScriptedDialogService dialogs_;
    FakeIpHelper ipHelper_;
    FakeCertificateStore certificates_;
    ProfileList profiles_;
    ConnectionSnapshotHolder snapshot_;

private:
    std::filesystem::path dataFolder_;
    std::string storePath_;
    DriverLibrary& driver_;
    AdapterHandle handle_;
    std::atomic<uint32_t> radio_{1};
    StopFlag stopping_;
    SupervisorFlags flags_;
    ProfileConnector connector_{ConnectionContext{driver_, handle_, radio_, profiles_, snapshot_, [this](bool connected) {
                                                      ConnectionSnapshot s = snapshot_.copy();
                                                      s.connected = connected ? 1 : 0;
                                                      snapshot_.write(s);
                                                  }}};
};

}  // namespace tembrel::testing
