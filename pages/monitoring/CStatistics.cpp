#include "pages/monitoring/CStatistics.h"

#include "pages/monitoring/MainPageWidget.h"
#include "pages/monitoring/StatisticsIds.h"
#include "pages/monitoring/StatisticsTable.h"
#include "ui/SignalBar.h"
#include "ui/ControlId.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tembrel {

using namespace monitoring;

CStatistics::CStatistics(PageContext& context, QWidget* parent)
    : StatisticsPage(context, kDialogId, parent), model_(cardAccess()) {
    auto* layout = new QVBoxLayout(this);

    auto* transmitGroup = new QGroupBox("Transmit", this);
    transmit_ = new StatisticsTable(kTransmitLabels, ids::kTransmitTable, "Transmit", transmitGroup);
    (new QVBoxLayout(transmitGroup))->addWidget(transmit_);
    layout->addWidget(transmitGroup);

    auto* receiveGroup = new QGroupBox("Receive", this);
    receive_ = new StatisticsTable(kStandardReceiveLabels, ids::kReceiveTable, "Receive", receiveGroup);
    (new QVBoxLayout(receiveGroup))->addWidget(receive_);
    layout->addWidget(receiveGroup);

    auto* signalGroup = new QGroupBox("Signal Strength", this);
    auto* signalRow = new QHBoxLayout(signalGroup);
    signalBar_ = new ui::SignalBar(signalGroup);
    ui::SetControlId(*signalBar_, ids::kStatisticsSignalBar);
    signalBar_->setAccessibleName("Signal Strength");
    signalBar_->setRange(0, kSignalBarMaximum);
    signalRow->addWidget(signalBar_, 1);
    linkIcon_ = new QLabel(signalGroup);
    ui::SetControlId(*linkIcon_, ids::kStatisticsLinkIcon);
    signalRow->addWidget(linkIcon_);
    layout->addWidget(signalGroup);
    layout->addStretch();

    // Present in the dialog but never shown in this layout.
    auto* reset = ui::MakeButton("&Reset", this, ids::kReset);
    reset->hide();

    showView();
}

void CStatistics::showView() {
    transmit_->setValues(model_.transmit());
    receive_->setValues(model_.receive());
    signalBar_->setValue(model_.signalBar());
    showLinkIcon(*linkIcon_, model_.linkIcon());
}

}  // namespace tembrel
