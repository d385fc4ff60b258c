// The Statistics (detailed layout) and Advanced pages in the main window on the simulated card,
// with the card's clock stepped by the test: counters that grow while associated, Reset on a
// card that clears its counters, and radio parameters that reach the card.
#include "adapter/DriverLoader.h"
#include "ui/ControlId.h"
#include "app/CZarn9100Sheet.h"
#include "pages/monitoring/CRssiStatistics.h"
#include "pages/monitoring/StatisticsIds.h"
#include "pages/monitoring/StatisticsTable.h"
#include "pages/settings/AdvancedIds.h"
#include "pages/settings/CAdvancedPage.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "tests/support/MemorySettings.h"
#include "tests/support/ScriptedDialogService.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <functional>

namespace tembrel {
namespace {

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        if (done()) return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

template <typename W>
W* Control(QWidget& root, int id) {
    return ui::ControlById<W>(root, id);
}

class PagesOnSimulatedCard : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TEMBREL_SIM_CLOCK", "manual", 1);
        const QString bin = qEnvironmentVariable("TEMBREL_BIN_DIR");
        const std::string path = (bin + "/libTembrel.so").toStdString();
        loaded = LoadDriverLibrary(path);
        ASSERT_TRUE(loaded.loaded) << loaded.error;
        void* self = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(self, nullptr);
        advance = reinterpret_cast<void (*)(uint32_t)>(dlsym(self, "TembrelSimAdvance"));
        flush = reinterpret_cast<int (*)(uint32_t)>(dlsym(self, "TembrelSimFlushEvents"));
        auto reset = reinterpret_cast<void (*)()>(dlsym(self, "TembrelSimReset"));
        ASSERT_NE(advance, nullptr);
        ASSERT_NE(flush, nullptr);
        ASSERT_NE(reset, nullptr);
        reset();  // each test starts with a fresh card

        settings.set(settings::kAutoLink, 0);
        settings.set(settings::kAutoConfiguration, 0);
        settings.set(settings::kStatistics, 1);
        sheet = std::make_unique<CZarn9100Sheet>(
            SheetContext{*loaded.library, settings, dialogs, 1, (dir.path() + "/Data.cfg").toStdString()});
        sheet->OnInitDialog();
        ASSERT_TRUE(sheet->adapter().handle().held());
    }
    void TearDown() override {
        if (sheet) sheet->Exit();
    }

    // The card's clock moves on; its events reach the window.
    void elapse(uint32_t ms) {
        advance(ms);
        flush(10000);
        QCoreApplication::processEvents();
    }
    template <typename Page>
    Page* page() {
        for (auto* candidate : sheet->pageTabs().pages())
            if (auto* found = qobject_cast<Page*>(candidate)) return found;
        return nullptr;
    }
    uint32_t query(int (DriverLibrary::*op)(ZARN9100_HANDLE, uint32_t*)) {
        uint32_t value = 0;
        auto lease = sheet->adapter().handle().lease();
        EXPECT_EQ((loaded.library.get()->*op)(lease.get(), &value), 0);
        return value;
    }
    _NDIS_802_11_STATISTICS counters() {
        _NDIS_802_11_STATISTICS s{};
        auto lease = sheet->adapter().handle().lease();
        loaded.library->QueryStatistics(lease.get(), &s);
        return s;
    }

    QTemporaryDir dir;
    DriverLoadResult loaded;
    void (*advance)(uint32_t) = nullptr;
    int (*flush)(uint32_t) = nullptr;
    MemorySettings settings;
    ScriptedDialogService dialogs;
    std::unique_ptr<CZarn9100Sheet> sheet;
};

TEST_F(PagesOnSimulatedCard, StatisticsGrowWhileAssociatedAndResetClearsThem) {
    auto profile = NewEmptyProfile();
    SetProfileName(*profile, "Open");
    SetProfileSsid(*profile, "Orvix-Open-G");
    profile->networkType = ZARN9100_NETWORK_INFRASTRUCTURE;
    profile->wirelessMode = kWirelessModeAny;
    sheet->pageContext().profiles().Append(profile);
    ASSERT_EQ(sheet->pageContext().connector().ConnectProfile(profile), 0);
    ASSERT_TRUE(PumpUntil([&] { return sheet->pageContext().snapshot().connected != 0; }));
    elapse(5000);

    auto* statistics = page<CRssiStatistics>();
    ASSERT_NE(statistics, nullptr);
    sheet->pageTabs().widget().setCurrentWidget(statistics->parentWidget());
    ASSERT_TRUE(statistics->timerActive());
    auto* transmit = Control<monitoring::StatisticsTable>(*statistics, monitoring::ids::kTransmitTable);
    auto* rssi = Control<monitoring::StatisticsTable>(*statistics, monitoring::ids::kRssiTable);
    const auto before = counters();
    ASSERT_GT(before.TransmittedFragmentCount, 0);
    EXPECT_EQ(transmit->cellText(1, 1).toLongLong(), before.TransmittedFragmentCount);
    EXPECT_EQ(transmit->cellText(3, 1).toLongLong(), before.RetryCount);
    EXPECT_GT(rssi->cellText(1, 3).toLongLong() + rssi->cellText(0, 3).toLongLong(), 0) << "frames at a strong signal";

    Control<QPushButton>(*statistics, monitoring::ids::kReset)->click();
    EXPECT_EQ(counters().TransmittedFragmentCount, 0) << "the simulated card clears its counters";
    EXPECT_EQ(transmit->cellText(1, 1), "0");

    // Long enough for the retries to pass their old count: still the card's own count.
    elapse(60000);
    statistics->onTimer();
    const auto after = counters();
    EXPECT_EQ(transmit->cellText(3, 1).toLongLong(), after.RetryCount);
    EXPECT_EQ(transmit->cellText(0, 3).toLongLong(), after.FailedCount);
    EXPECT_EQ(transmit->cellText(1, 1).toLongLong(), after.TransmittedFragmentCount);
}

TEST_F(PagesOnSimulatedCard, AdvancedSettingsReachTheCard) {
    auto* advanced = page<CAdvancedPage>();
    ASSERT_NE(advanced, nullptr);
    sheet->pageTabs().widget().setCurrentWidget(advanced->parentWidget());
    EXPECT_TRUE(Control<QComboBox>(*advanced, advanced::ids::kDescription)->currentText().contains("(8335)"));
    auto* frag = Control<QLineEdit>(*advanced, advanced::ids::kFragThreshold);
    ASSERT_TRUE(frag->isEnabled());
    EXPECT_EQ(frag->text(), "2346");

    frag->setText("100");
    emit frag->textEdited("100");
    auto* power = Control<QComboBox>(*advanced, advanced::ids::kTxPower);
    const int low = power->findData(QVariant::fromValue(1u));
    power->setCurrentIndex(low);
    emit power->activated(low);
    Control<QPushButton>(*advanced, advanced::ids::kApply)->click();
    EXPECT_EQ(query(&DriverLibrary::QueryFragThreshold), 256u);
    EXPECT_EQ(query(&DriverLibrary::QueryTxPower), 1u);
    EXPECT_EQ(frag->text(), "256");

    // Cancel forgets a change; Default puts the card back.
    power->setCurrentIndex(power->findData(QVariant::fromValue(3u)));
    emit power->activated(power->currentIndex());
    Control<QPushButton>(*sheet, CZarn9100Sheet::kIdCancel)->click();
    EXPECT_EQ(query(&DriverLibrary::QueryTxPower), 1u);
    sheet->pageTabs().widget().setCurrentIndex(0);
    sheet->pageTabs().widget().setCurrentWidget(advanced->parentWidget());
    EXPECT_EQ(power->currentText(), "Low") << "read back from the card";
    Control<QPushButton>(*advanced, advanced::ids::kDefault)->click();
    EXPECT_EQ(query(&DriverLibrary::QueryFragThreshold), 2346u);
    EXPECT_EQ(query(&DriverLibrary::QueryTxPower), 4u);
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
}  // namespace tembrel
