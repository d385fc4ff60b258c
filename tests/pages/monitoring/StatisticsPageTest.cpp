// The statistics pages by control id on a page context with the recording driver: the tables,
// the one-second timer (running only while the page is shown and the card usable), Reset, and
// the main window's Cancel, which leaves the counters alone.
#include "pages/monitoring/CRssiStatistics.h"
#include "ui/ControlId.h"
#include "pages/monitoring/CStatistics.h"

#include "pages/monitoring/StatisticsIds.h"
#include "pages/monitoring/StatisticsTable.h"
#include "pages/monitoring/logic/MainPageModel.h"
#include "tests/app/SheetFixture.h"
#include "tests/support/RecordingPageContext.h"
#include "ui/SignalBar.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tembrel::testing {
namespace {

namespace ids = monitoring::ids;
using monitoring::StatisticsTable;

template <typename W>
W* Control(QWidget& root, int id) {
    return ui::ControlById<W>(root, id);
}

QStringList Column(StatisticsTable* table, int column) {
    QStringList out;
    for (int row = 0; row < table->rowCount(); ++row) out << table->cellText(row, column);
    return out;
}

class StatisticsPageTest : public ::testing::Test {
protected:
    StatisticsPageTest() {
        stats.TransmittedFragmentCount = 4294967295LL;
        stats.MulticastTransmittedFrameCount = 2;
        stats.RetryCount = 70;
        stats.ReceivedFragmentCount = 300;
        stats.FCSErrorCount = 12;
        context.driver.setOutRecord("QueryStatistics", stats);
        context.driver.setOutRecord("QueryBeaconStatistics", _BEACON_STATS{977, 3});
        context.driver.setOutRecord("QueryRssiStat", _RSSI_STATS{{1, 2, 3, 4}});
        context.driver.setOutI32("QueryRssi", -60);
        context.setConnected(true, 2);
    }
    RecordingPageContext context;
    _NDIS_802_11_STATISTICS stats{};
};

TEST_F(StatisticsPageTest, StandardLayoutTablesAndSignal) {
    CStatistics page(context);
    EXPECT_EQ(page.caption(), "Statistics");
    EXPECT_EQ(page.dialogId(), 104);
    auto* transmit = Control<StatisticsTable>(page, ids::kTransmitTable);
    auto* receive = Control<StatisticsTable>(page, ids::kReceiveTable);
    ASSERT_NE(transmit, nullptr);
    ASSERT_NE(receive, nullptr);
    EXPECT_EQ(Control<StatisticsTable>(page, ids::kRssiTable), nullptr);
    QStringList headers;
    for (int c = 0; c < 4; ++c) headers << transmit->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headers, (QStringList{"Element", "Data", "Element", "Data"}));
    EXPECT_EQ(Column(transmit, 0),
              (QStringList{"Total Packet", "Unicast Packet", "Multicast Packet", "Single Retries", "Multiple Retries"}));
    EXPECT_EQ(Column(receive, 2), (QStringList{"Duplicate Frame", "Received Beacons", "Beacon Loss"}));
    auto* reset = Control<QPushButton>(page, ids::kReset);
    ASSERT_NE(reset, nullptr);
    EXPECT_TRUE(reset->isHidden());

    page.OnSetActive();
    EXPECT_EQ(Column(transmit, 1), (QStringList{"4294967297", "4294967295", "2", "70", "0"}));
    EXPECT_EQ(Column(receive, 3), (QStringList{"0", "977", "3"}));
    EXPECT_EQ(Control<ui::SignalBar>(page, ids::kStatisticsSignalBar)->value(), monitoring::signalBarPosition(36));
    EXPECT_EQ(Control<QLabel>(page, ids::kStatisticsLinkIcon)->property("iconId").toInt(), monitoring::kIconBandA);
}

// The timer runs while the page is shown and the card usable.
TEST_F(StatisticsPageTest, TimerFollowsThePageAndTheCard) {
    CRssiStatistics detailed(context);
    CStatistics standard(context);
    for (monitoring::StatisticsPage* page : std::initializer_list<monitoring::StatisticsPage*>{&detailed, &standard}) {
        SCOPED_TRACE(page->dialogId());
        EXPECT_FALSE(page->timerActive());
        page->OnAdapterState(1);
        EXPECT_FALSE(page->timerActive()) << "not shown";
        context.driver.clearCalls();
        page->OnSetActive();
        EXPECT_TRUE(page->timerActive());
        EXPECT_EQ(context.driver.count("QueryStatistics"), 1u) << "one update at once";
        page->OnAdapterState(0);
        EXPECT_FALSE(page->timerActive());
        EXPECT_TRUE(page->adapterUnusable());
        page->OnAdapterState(1);
        EXPECT_TRUE(page->timerActive());
        // A hidden window rests the timer; shown again, the counters are read at once.
        page->show();
        page->hide();
        EXPECT_FALSE(page->timerActive());
        context.driver.clearCalls();
        page->show();
        EXPECT_TRUE(page->timerActive());
        EXPECT_EQ(context.driver.count("QueryStatistics"), 1u);
        page->hide();
        EXPECT_TRUE(page->OnKillActive());
        page->show();
        EXPECT_FALSE(page->timerActive()) << "not the page shown";
    }
}

TEST_F(StatisticsPageTest, StandardLayoutPausedWhileTheCardIsUnusable) {
    CStatistics page(context);
    page.OnSetActive();
    page.OnAdapterState(0);
    context.driver.clearCalls();
    page.onTimer();
    EXPECT_EQ(context.driver.count("QueryStatistics"), 0u);
    page.OnAdapterState(1);
    page.onTimer();
    EXPECT_EQ(context.driver.count("QueryStatistics"), 1u);
}

TEST_F(StatisticsPageTest, DetailedLayoutTablesAndReset) {
    CRssiStatistics page(context);
    EXPECT_EQ(page.dialogId(), 124);
    auto* transmit = Control<StatisticsTable>(page, ids::kTransmitTable);
    auto* receive = Control<StatisticsTable>(page, ids::kReceiveTable);
    auto* rssi = Control<StatisticsTable>(page, ids::kRssiTable);
    ASSERT_NE(rssi, nullptr);
    EXPECT_EQ(Column(rssi, 0), (QStringList{"0 -- 19", "20 -- 39"}));
    EXPECT_EQ(Column(rssi, 2), (QStringList{"40 -- 59", "60 & Up"}));
    EXPECT_EQ(Column(receive, 2), (QStringList{"FCS Error", "FCS Per Sec", "Received Beacons", "Beacon Loss"}));

    page.OnSetActive();
    EXPECT_EQ(Column(rssi, 1), (QStringList{"1", "2"}));
    EXPECT_EQ(Column(rssi, 3), (QStringList{"3", "4"}));
    EXPECT_EQ(Column(receive, 3), (QStringList{"12", "12", "977", "3"}));
    EXPECT_EQ(transmit->cellText(3, 1), "70");

    auto* reset = Control<QPushButton>(page, ids::kReset);
    ASSERT_NE(reset, nullptr);
    EXPECT_FALSE(reset->isHidden());
    EXPECT_EQ(reset->text(), "&Reset");
    context.driver.clearCalls();
    reset->click();
    EXPECT_EQ(context.driver.count("ResetStatistics"), 1u);
    EXPECT_EQ(transmit->cellText(3, 1), "0") << "retries since Reset on a driver that keeps counting";
    EXPECT_EQ(transmit->cellText(0, 1), "4294967297");
}

// The window's Cancel only hides it: the counters are not reset.
class StatisticsInSheetTest : public SheetTest {};

TEST_F(StatisticsInSheetTest, CancelLeavesTheCountersAlone) {
    settings.set(settings::kStatistics, 1);
    driver.setOutU32("QueryRadioControl", 1);
    openSheet();
    auto* page = sheet->pageTabs().pages()[3];
    ASSERT_EQ(page->dialogId(), 124);
    sheet->pageTabs().widget().setCurrentWidget(page->parentWidget());
    control<QPushButton>(CZarn9100Sheet::kIdCancel)->click();
    control<QPushButton>(CZarn9100Sheet::kIdOk)->click();
    EXPECT_EQ(driver.count("ResetStatistics"), 0u);
    EXPECT_GE(driver.count("QueryRssiStat"), 1u) << "the page was shown";
}

}  // namespace
}  // namespace tembrel::testing
