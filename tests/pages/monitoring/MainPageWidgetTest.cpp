#include "pages/monitoring/MainPageWidget.h"
#include "ui/ControlId.h"

#include "FakeMainPageSource.h"
#include "pages/monitoring/CGraphCtrl.h"
#include "pages/monitoring/MainPageIds.h"
#include "tests/support/FakeIpHelper.h"
#include "ui/SignalBar.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

namespace tembrel::monitoring {
namespace {

constexpr MacAddress kCardMac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

class RecordingGraph : public QWidget, public GraphControl {
public:
    std::vector<uint32_t> highs;
    std::vector<uint32_t> values;
    void SetRange(uint32_t, uint32_t high) override { highs.push_back(high); }
    void AddValue(uint32_t value) override { values.push_back(value); }
    void Step(int count) override { steps.push_back(count); }
    std::vector<int> steps;
};

class MainPageWidgetTest : public ::testing::Test {
protected:

    MainPageWidgetTest() {
        source.mac = kCardMac;
        AdapterAddressInfo info;
        info.interfaceIndex = 3;
        info.mac = kCardMac;
        info.ipAddress = 0x0A000002;
        info.subnetMask = 0xFF000000;
        ip.adapters.push_back(info);
        InterfaceCounters row;
        row.type = kInterfaceTypeEthernet;
        row.physicalAddressLength = 6;
        row.physicalAddress = kCardMac;
        ip.counters[3] = row;
        page = std::make_unique<MainPageWidget>(source, ip);
        page->setGraphs(tx, rx);
    }

    template <typename W = QWidget>
    W* control(int id) const {
        return ui::ControlById<W>(*page, id);
    }
    QString text(int id) const {
        auto* label = control<QLabel>(id);
        return label ? label->text() : QStringLiteral("<missing %1>").arg(id);
    }

    FakeMainPageSource source;
    FakeIpHelper ip;
    RecordingGraph* tx = new RecordingGraph;
    RecordingGraph* rx = new RecordingGraph;
    std::unique_ptr<MainPageWidget> page;
};

TEST_F(MainPageWidgetTest, EveryControlHasItsId) {
    for (int id : {ids::kProfileCombo, ids::kSignalBar, ids::kLinkIcon, ids::kStatus, ids::kSsid, ids::kNetworkType,
                   ids::kBssid, ids::kSecurity, ids::kLinkSpeed, ids::kDhcp, ids::kIpAddress, ids::kSubnetMask,
                   ids::kDefaultGateway, ids::kChannelGroup, ids::kTxRate, ids::kRxRate, ids::kTxTopLabel,
                   ids::kTxMiddleLabel, ids::kTxBottomLabel, ids::kRxTopLabel, ids::kRxMiddleLabel,
                   ids::kRxBottomLabel, ids::kRenewLease, ids::kProperties, ids::kTxGraph, ids::kRxGraph}) {
        EXPECT_NE(control(id), nullptr) << id;
    }
    EXPECT_EQ(text(ids::kTxTopLabel), "1 Kbps");
    EXPECT_EQ(text(ids::kTxMiddleLabel), "500 bps");
    EXPECT_EQ(text(ids::kRxBottomLabel), "0 bps");
    EXPECT_TRUE(control(ids::kRenewLease)->isHidden());
    EXPECT_TRUE(control(ids::kProperties)->isHidden());
    EXPECT_EQ(tx->highs, std::vector<uint32_t>{1000});  // SetRange(1, 1000) when installed
}

TEST_F(MainPageWidgetTest, StatusTextsOnThePage) {
    const struct {
        const char* name;
        bool adapter, radio, connected, adHoc;
        uint32_t type;
        const char* status;
    } rows[] = {{"unplugged", false, true, false, false, 1, "Card Unplugged"},
                {"no radio", true, false, false, false, 1, "No Radio"},
                {"no connection", true, true, false, false, 1, "No Connection"},
                {"waiting", true, true, false, true, 0, "Waiting for peer..."},
                {"connected", true, true, true, false, 1, "Connected"}};
    for (const auto& row : rows) {
        source.connectInfrastructure();
        source.adapter = row.adapter;
        source.radio = row.radio;
        source.facts.connected = row.connected;
        source.facts.adHocStarted = row.adHoc;
        source.facts.networkType = row.type;
        page->refreshLink();
        EXPECT_EQ(text(ids::kStatus).toStdString(), row.status) << row.name;
        const bool shown = row.adHoc || row.connected;
        EXPECT_EQ(text(ids::kSsid), shown ? "HomeNet" : "") << row.name;
        EXPECT_EQ(control<QGroupBox>(ids::kChannelGroup)->title(),
                  shown ? "Channel 6 (2.437 GHz)" : "Channel Performance")
            << row.name;
        EXPECT_EQ(control(ids::kLinkIcon)->property("iconId").toInt(), shown ? kIconBandG : kIconNoLink) << row.name;
    }
}

TEST_F(MainPageWidgetTest, ActivationRunsTheTimerAndFillsTheControls) {
    source.connectInfrastructure();
    source.rssi = -56;
    source.linkSpeed = 55000;
    source.encryption = 4;
    page->activate();
    EXPECT_TRUE(page->timerActive());
    source.tick += 1000;
    ip.counters[3].outOctets = 250;
    page->onTimer();

    EXPECT_EQ(control<ui::SignalBar>(ids::kSignalBar)->value(), 40);
    EXPECT_EQ(control<ui::SignalBar>(ids::kSignalBar)->text(), "100 %");
    EXPECT_EQ(text(ids::kLinkSpeed), "5.5 Mbps");
    EXPECT_EQ(text(ids::kSecurity), "TKIP");
    EXPECT_EQ(text(ids::kBssid), "00 11 22 AA BB CC");
    EXPECT_EQ(text(ids::kNetworkType), "Infrastructure");
    EXPECT_EQ(text(ids::kIpAddress), "10.0.0.2");
    EXPECT_EQ(text(ids::kSubnetMask), "255.0.0.0");
    EXPECT_EQ(text(ids::kDefaultGateway), "0.0.0.0");
    EXPECT_EQ(text(ids::kDhcp), "Disable");
    EXPECT_EQ(text(ids::kTxRate), "Current Tx Rate: 2.0 Kbps");
    EXPECT_EQ(text(ids::kRxRate), "Current Rx Rate: 0 bps");
    EXPECT_EQ(text(ids::kTxTopLabel), "2.4 Kbps");
    EXPECT_EQ(text(ids::kTxMiddleLabel), "1.2 Kbps");
    EXPECT_EQ(tx->highs.back(), 2400u);
    EXPECT_EQ(tx->values.back(), 2000u);
    EXPECT_EQ(rx->values.back(), 1u);

    page->deactivate();
    EXPECT_FALSE(page->timerActive());
}

// A hidden window rests the page's tick; shown again, the graphs take the missed seconds at
// once and the controls show the latest values. A tick that still comes while hidden (the
// window moved to this page meanwhile) feeds the graphs without filling the controls.
TEST_F(MainPageWidgetTest, HiddenWindowRestsTheTickAndCatchesUpWhenShown) {
    source.connectInfrastructure();
    source.linkSpeed = 55000;
    page->show();
    page->activate();
    ASSERT_TRUE(page->timerActive());
    page->hide();
    EXPECT_FALSE(page->timerActive());
    const size_t steps = tx->steps.size();
    source.tick += 5000;
    source.linkSpeed = 110000;
    page->show();
    EXPECT_TRUE(page->timerActive());
    ASSERT_EQ(tx->steps.size(), steps + 1);
    EXPECT_EQ(tx->steps.back(), 5) << "the five seconds off screen, at once";
    EXPECT_EQ(text(ids::kLinkSpeed), "11 Mbps");

    page->hide();
    source.tick += 1000;
    source.linkSpeed = 55000;
    ip.counters[3].outOctets = 500;
    page->onTimer();
    EXPECT_EQ(tx->values.back(), 4000u);
    EXPECT_EQ(text(ids::kLinkSpeed), "11 Mbps");
    page->show();
    EXPECT_EQ(text(ids::kLinkSpeed), "5.5 Mbps");
}

TEST_F(MainPageWidgetTest, CardRemovedEmptiesTheBar) {
    source.connectInfrastructure();
    source.rssi = -60;
    page->activate();
    EXPECT_GT(control<ui::SignalBar>(ids::kSignalBar)->value(), 0);
    source.adapter = false;
    page->notify(0, {});
    EXPECT_EQ(text(ids::kStatus), "Card Unplugged");
    EXPECT_EQ(control<ui::SignalBar>(ids::kSignalBar)->value(), 0);
    EXPECT_EQ(text(ids::kIpAddress), "");
    EXPECT_EQ(text(ids::kSecurity), "");
}

TEST_F(MainPageWidgetTest, ProfileComboSelectsAndApplies) {
    const auto home = makeProfile("Home", "HomeNet", 1);
    const auto office = makeProfile("<Default>", "<ANY SSID>", 1);
    source.list = {office, home};
    source.connectInfrastructure();
    source.inUse = home;
    page->activate();

    auto* combo = control<QComboBox>(ids::kProfileCombo);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "<Default>");
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_TRUE(combo->isEnabled());

    source.connectResult = 3;
    combo->activated(0);
    ASSERT_EQ(source.connected.size(), 1u);
    EXPECT_EQ(source.connected[0], office);
    EXPECT_TRUE(source.stoppingDuringConnect[0]);
    EXPECT_FALSE(source.stoppingFlag);
    EXPECT_EQ(text(ids::kStatus), "Scan for AP with strongest RSSI");
    EXPECT_TRUE(combo->isEnabled());
    EXPECT_TRUE(control(ids::kStatus)->isEnabled());
}

TEST_F(MainPageWidgetTest, MonitorModeLeavesTheComboEmptyAndDisabled) {
    source.list = {makeProfile("Home", "HomeNet", 1)};
    source.monitor = true;
    page->activate();
    auto* combo = control<QComboBox>(ids::kProfileCombo);
    EXPECT_EQ(combo->count(), 0);
    EXPECT_FALSE(combo->isEnabled());
    page->notify(1012, "Driver text");
    EXPECT_EQ(text(ids::kStatus), "No Connection");
}

TEST_F(MainPageWidgetTest, ScanningNotificationShowsItsText) {
    source.connectInfrastructure();
    page->activate();
    page->notify(1003, "Scanning for OfficeNet");
    EXPECT_EQ(text(ids::kStatus), "Scanning for OfficeNet");
    EXPECT_EQ(text(ids::kSsid), "");
}

TEST(MainPageWidgetCharts, StripChartsAreBuiltWithTheirIds) {
    FakeMainPageSource source;
    FakeIpHelper ip;
    MainPageWidget page(source, ip);
    for (int id : {ids::kTxGraph, ids::kRxGraph}) {
        const CGraphCtrl* found = ui::ControlById<CGraphCtrl>(page, id);
        ASSERT_NE(found, nullptr) << id;
        EXPECT_EQ(found->stepper().rangeLow(), 1u);
        EXPECT_EQ(found->stepper().rangeSize(), 1000);  // SetRange(1, 1000) at set-up
    }
}

// One timer drives the page: each tick fills the status and steps both strip charts, which run
// no timer of their own (two more timers would wake the program at other moments of the second).
TEST(MainPageWidgetCharts, OneTickRefreshesStatusAndBothCharts) {
    FakeMainPageSource source;
    source.connectInfrastructure();
    source.linkSpeed = 110000;
    FakeIpHelper ip;
    MainPageWidget page(source, ip);
    page.resize(640, 480);
    page.show();
    page.activate();
    ASSERT_TRUE(page.timerActive());
    const CGraphCtrl* charts[] = {ui::ControlById<CGraphCtrl>(page, ids::kTxGraph),
                                  ui::ControlById<CGraphCtrl>(page, ids::kRxGraph)};
    std::size_t steps[2] = {};
    for (int i : {0, 1}) {
        ASSERT_NE(charts[i], nullptr);
        EXPECT_FALSE(charts[i]->isStepTimerActive());
        steps[i] = charts[i]->stepper().historySize();
    }
    const auto* bar = ui::ControlById<ui::SignalBar>(page, ids::kSignalBar);
    ASSERT_EQ(bar->value(), 0) << "no signal reading yet";
    source.tick += 1000;
    source.rssi = -56;
    page.onTimer();
    for (int i : {0, 1})
        EXPECT_EQ(charts[i]->stepper().historySize(), steps[i] + 1);
    EXPECT_EQ(bar->value(), 40);
}

}  // namespace
}  // namespace tembrel::monitoring
