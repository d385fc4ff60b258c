#pragma once
// What the Network Status page reads from and asks of the main window and its card, through
// the page context.

#include "pages/PageContext.h"
#include "pages/monitoring/logic/MainPageSource.h"

#include <optional>

namespace tembrel {

class ContextMainPageSource final : public monitoring::MainPageSource {
public:
    explicit ContextMainPageSource(PageContext& context) : context_(context) {}

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
    PageContext& context_;
    // The page's share of `stopping` while it connects.
    std::optional<StopFlag::Hold> hold_;
};

}  // namespace tembrel
