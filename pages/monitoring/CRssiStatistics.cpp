#include "pages/monitoring/CRssiStatistics.h"

#include "pages/monitoring/StatisticsIds.h"
#include "pages/monitoring/StatisticsTable.h"
#include "ui/ControlId.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tembrel {

using namespace monitoring;

namespace {

StatisticsTable* groupedTable(const QString& title, const TableLabels& labels, int id, QWidget* parent,
                              QVBoxLayout* layout) {
    auto* group = new QGroupBox(title, parent);
    auto* table = new StatisticsTable(labels, id, title, group);
    (new QVBoxLayout(group))->addWidget(table);
    layout->addWidget(group);
    return table;
}

}  // namespace

CRssiStatistics::CRssiStatistics(PageContext& context, QWidget* parent)
    : StatisticsPage(context, kDialogId, parent), model_(cardAccess()) {
    auto* layout = new QVBoxLayout(this);
    transmit_ = groupedTable("Transmit", kTransmitLabels, ids::kTransmitTable, this, layout);
    receive_ = groupedTable("Receive", kDetailedReceiveLabels, ids::kReceiveTable, this, layout);
    rssi_ = groupedTable("RSSI Statistics", kRssiLabels, ids::kRssiTable, this, layout);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* reset = ui::MakeButton("&Reset", this, ids::kReset);
    connect(reset, &QPushButton::clicked, this, &CRssiStatistics::OnReset);
    buttons->addWidget(reset);
    layout->addLayout(buttons);
    layout->addStretch();

    showView();
}

void CRssiStatistics::OnReset() {
    model_.reset();
    showView();
}

void CRssiStatistics::showView() {
    transmit_->setValues(model_.transmit());
    receive_->setValues(model_.receive());
    rssi_->setValues(model_.rssi());
}

}  // namespace tembrel
