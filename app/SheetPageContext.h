#pragma once
// The main window as its pages see it: the window's parts by reference, and what only the
// pages use (the IP helper, the certificate store) owned here.

#include "pages/PageContext.h"

#include <functional>
#include <memory>

namespace tembrel {

class Adapter;
class ConnectionSnapshotHolder;
class StatusRefresher;
struct SheetContext;

struct SheetParts {
    Adapter& adapter;
    ProfileList& profiles;
    const ConnectionSnapshotHolder& snapshot;
    SupervisorFlags& flags;
    ProfileConnector& connector;
    StatusRefresher& refresher;
    QWidget& window;
    std::function<bool()> monitorMode;
    // The profile list changed through a page: the window tells the others.
    std::function<void(const QWidget*)> profilesChanged;
};

class SheetPageContext final : public PageContext {
public:
    // Takes the IP helper and the certificate store out of `context` (the system's own when
    // none is given); the rest of `context` stays the window's and must outlive this.
    SheetPageContext(SheetContext& context, SheetParts parts);
    ~SheetPageContext() override;

    DriverLibrary& library() override;
    const AdapterHandle& handle() const override;
    std::string libraryPath() const override;
    std::optional<MacAddress> macAddress() const override;
    uint32_t regionCode() const override;
    uint32_t radioState() const override;
    StopFlag& stopping() override;
    SupervisorFlags& supervisorFlags() override { return parts_.flags; }
    bool monitorMode() const override { return parts_.monitorMode(); }
    int osFamily() const override;
    ConnectionSnapshot snapshot() const override;
    uint32_t encryptionStatus() override;
    ProfileConnector& connector() override { return parts_.connector; }
    ProfileList& profiles() override { return parts_.profiles; }
    const std::string& profileStorePath() const override;
    std::filesystem::path dataFolder() const override;
    Settings& settings() override;
    DialogService& dialogs() override;
    const IpHelper& ipHelper() const override { return *ipHelper_; }
    const CertificateStore& certificateStore() const override { return *certificates_; }
    QWidget* dialogParent() override { return &parts_.window; }
    void profilesChanged(const QWidget* page) override { parts_.profilesChanged(page); }

private:
    SheetContext& context_;
    SheetParts parts_;
    std::unique_ptr<IpHelper> ipHelper_;
    std::unique_ptr<CertificateStore> certificates_;
};

}  // namespace tembrel
