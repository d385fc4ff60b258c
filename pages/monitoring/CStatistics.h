#pragma once
// The statistics page, standard layout: the card's 802.11 counters, the signal-strength bar and
// the link icon, updated once a second.

#include "pages/monitoring/StatisticsPage.h"
#include "pages/monitoring/logic/StatisticsModel.h"

class QLabel;

namespace tembrel {

namespace ui {
class SignalBar;
}
namespace monitoring {
class StatisticsTable;
}

class CStatistics : public monitoring::StatisticsPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 104;
    explicit CStatistics(PageContext& context, QWidget* parent = nullptr);

    const monitoring::StandardStatisticsModel& model() const { return model_; }

protected:
    void activateModel() override { model_.activate(); }
    void updateModel() override { model_.update(); }
    void showView() override;
    void adapterUsable(bool usable) override { model_.setPaused(!usable); }

private:
    monitoring::StandardStatisticsModel model_;
    monitoring::StatisticsTable* transmit_;
    monitoring::StatisticsTable* receive_;
    ui::SignalBar* signalBar_;
    QLabel* linkIcon_;
};

}  // namespace tembrel
