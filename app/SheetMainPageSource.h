#pragma once
// What the Network Status page reads from and asks of the main window and its card.

#include "pages/monitoring/MainPageSource.h"

namespace tembrel {

class CZarn9100Sheet;

class SheetMainPageSource final : public monitoring::MainPageSource {
public:
    explicit SheetMainPageSource(CZarn9100Sheet& sheet) : sheet_(sheet) {}

    bool hasAdapter() const override;
    bool radioOn() const override;
    bool monitorMode() const override;
    bool stopping() const override;
    void setStopping(bool stopping) override;
    monitoring::LinkFacts linkFacts() const override;
    uint32_t encryptionStatus() override;
    uint32_t refreshRatePS() const override;
    int osFamily() const override;
    std::vector<monitoring::ProfilePtr> profiles() const override;
    monitoring::ProfilePtr profileInUse() const override;
    void setProfileInUse(const monitoring::ProfilePtr& profile) override;
    int connectProfile(const monitoring::ProfilePtr& profile) override;
    std::optional<int32_t> queryRssi() override;
    std::optional<uint32_t> queryLinkSpeed() override;
    std::optional<MacAddress> macAddress() override;
    bool queryDhcp9x() override;
    uint32_t tickCountMs() const override;

private:
    CZarn9100Sheet& sheet_;
};

}  // namespace tembrel
