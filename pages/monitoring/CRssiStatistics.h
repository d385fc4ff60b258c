#pragma once
// The statistics page, detailed layout: the card's 802.11 counters, some of them since the last
// "&Reset", receive-error detail and the RSSI range counters, updated once a second.

#include "pages/monitoring/StatisticsPage.h"
#include "pages/monitoring/logic/StatisticsModel.h"

namespace tembrel {

namespace monitoring {
class StatisticsTable;
}

class CRssiStatistics : public monitoring::StatisticsPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 124;
    explicit CRssiStatistics(PageContext& context, QWidget* parent = nullptr);

    const monitoring::DetailedStatisticsModel& model() const { return model_; }
    // "&Reset".
    void OnReset();

protected:
    void activateModel() override { model_.activate(); }
    void updateModel() override { model_.update(); }
    void showView() override;

private:
    monitoring::DetailedStatisticsModel model_;
    monitoring::StatisticsTable* transmit_;
    monitoring::StatisticsTable* receive_;
    monitoring::StatisticsTable* rssi_;
};

}  // namespace tembrel
