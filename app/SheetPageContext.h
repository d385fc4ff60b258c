#pragma once
// The main window as its pages see it.

#include "pages/PageContext.h"

namespace tembrel {

class CZarn9100Sheet;

class SheetPageContext final : public PageContext {
public:
    explicit SheetPageContext(CZarn9100Sheet& sheet) : sheet_(sheet) {}

    DriverLibrary& library() override;
    const AdapterHandle& handle() const override;
    std::string libraryPath() const override;
    std::optional<MacAddress> macAddress() const override;
    uint32_t regionCode() const override;
    uint32_t radioState() const override;
    std::atomic<uint32_t>& stopping() override;
    SupervisorFlags& supervisorFlags() override;
    bool monitorMode() const override;
    int osFamily() const override;
    ConnectionSnapshot snapshot() const override;
    uint32_t encryptionStatus() override;
    ProfileConnector& connector() override;
    ProfileList& profiles() override;
    const std::string& profileStorePath() const override;
    std::filesystem::path dataFolder() const override;
    Settings& settings() override;
    DialogService& dialogs() override;
    const IpHelper& ipHelper() const override;
    const CertificateStore& certificateStore() const override;
    QWidget* dialogParent() override;
    void profilesChanged(const QWidget* page) override;

private:
    CZarn9100Sheet& sheet_;
};

}  // namespace tembrel
