// The Advanced page's logic on the recording driver: Apply sends the pending parameters in the
// driver's fixed order with the threshold clamps, "&Default" sends everything but boost, and
// the refresh reads the card.
#include "pages/settings/logic/AdvancedModel.h"
#include "tests/pages/settings/DefaultCardScript.h"
#include "tests/support/MemorySettings.h"
#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

#include <functional>

namespace tembrel::advanced {
namespace {

using testing::RecordingDriver;
using Calls = std::vector<std::string>;

// A model on the recording driver with an open handle.
struct Bench {
    Bench() {
        handle.exclusive([&](ZARN9100_HANDLE* h) {
            *h = driver.adapterHandle();
            return 0;
        });
        testing::ScriptDefaultCard(driver);
    }

    void closeCard() {
        handle.exclusive([](ZARN9100_HANDLE* h) {
            *h = nullptr;
            return 0;
        });
    }

    // The page as the user sees it after showing it; the driver log starts empty.
    AdvancedModel& shown() {
        model.pageShown();
        driver.clearCalls();
        return model;
    }

    Calls sets() const {
        Calls out;
        for (const auto& call : driver.calls())
            if (call.name.rfind("Set", 0) == 0) out.push_back(call.text());
        return out;
    }

    RecordingDriver driver;
    AdapterHandle handle;
    ConnectionSnapshot link;
    MemorySettings settings;
    SupervisorFlags flags;
    AdvancedModel model{CardAccess{driver, handle, [this] { return link; }}, settings, flags};
};

class AdvancedModelTest : public ::testing::Test, public Bench {};

TEST(AdvancedValuesTest, RatesOfEachWirelessMode) {
    auto texts = [](uint32_t mode) {
        std::vector<std::string> out;
        for (const Entry& e : rateEntries(mode)) out.push_back(e.text);
        return out;
    };
    EXPECT_EQ(texts(1), (std::vector<std::string>{"Auto", "1 Mbps", "2 Mbps", "5.5 Mbps", "11 Mbps"}));
    EXPECT_EQ(texts(2), (std::vector<std::string>{"Auto", "6 Mbps", "9 Mbps", "12 Mbps", "18 Mbps", "24 Mbps",
                                                  "36 Mbps", "48 Mbps", "54 Mbps"}));
    for (uint32_t mode : {0u, 3u, 255u}) EXPECT_EQ(texts(mode).size(), 13u) << mode;
    EXPECT_EQ(rateEntries(0).front(), (Entry{"Auto", 255}));
    EXPECT_EQ(rateEntries(0)[3], (Entry{"5.5 Mbps", 11}));
}

TEST(AdvancedValuesTest, ThresholdTexts) {
    const std::pair<const char*, std::optional<int32_t>> rows[] = {
        {"0", 0},           {"2346", 2346},        {"0100", 100},         {"2147483647", 2147483647},
        {"", std::nullopt}, {"2147483648", std::nullopt}, {"99999999999", std::nullopt},
        {"-1", std::nullopt}, {"12a", std::nullopt}, {" 5", std::nullopt}, {"1,000", std::nullopt},
    };
    for (const auto& [text, value] : rows) EXPECT_EQ(parseThreshold(text), value) << '"' << text << '"';
    EXPECT_EQ(thresholdFromDriver(4000000000u), 2147483647);
}

TEST(AdvancedValuesTest, DescriptionIsBoundedByItsBuffer) {
    const char unterminated[6] = {'O', 'r', 'v', 'i', 'x', '!'};
    EXPECT_EQ(boundedText(unterminated, sizeof unterminated), "Orvix!");
    const char terminated[8] = "Card";
    EXPECT_EQ(boundedText(terminated, sizeof terminated), "Card");
}

TEST_F(AdvancedModelTest, RefreshReadsTheCardInOrder) {
    model.pageShown();
    EXPECT_EQ(driver.callNames(),
              (Calls{"QueryWlanMode", "QueryDeviceDesc", "QueryBoostMode", "QueryPowerMode", "QueryTxAntenna",
                     "QueryRxAntenna", "QueryTxPower", "QueryDataRate", "QueryPreamble", "QueryWepStatus",
                     "QueryFragThreshold", "QueryRTSThreshold"}));
    const AdvancedView& v = model.view();
    EXPECT_EQ(v.description, "Orvix LX-7700 802.11a/b/g Wireless PC Card (8335)");
    EXPECT_EQ(v.selected[static_cast<size_t>(List::TxAntenna)], 2u);
    EXPECT_EQ(v.selected[static_cast<size_t>(List::TxRate)], 255u);
    EXPECT_EQ(v.fragText, "2346");
    EXPECT_EQ(v.rtsText, "2347");
    EXPECT_TRUE(v.fragEnabled);
    EXPECT_TRUE(v.boostEnabled);
    EXPECT_FALSE(v.boostChecked) << "boost value 1 is off";
    EXPECT_TRUE(v.autoConnectChecked) << "default 1";
    EXPECT_EQ(model.pending(), 0u);
}

TEST_F(AdvancedModelTest, RefreshEdgeCases) {
    struct Row {
        const char* name;
        std::function<void(Bench&)> setUp;
        std::function<void(const AdvancedView&)> check;
    } rows[] = {
        {"no (8335): boost disabled whatever the card says",
         [](Bench& t) {
             t.driver.setOutText("QueryDeviceDesc", "Another card");
             t.driver.setOutU32("QueryBoostMode", 0);
         },
         [](const AdvancedView& v) { EXPECT_FALSE(v.boostEnabled); }},
        {"boost 0 checks the box", [](Bench& t) { t.driver.setOutU32("QueryBoostMode", 0); },
         [](const AdvancedView& v) { EXPECT_TRUE(v.boostChecked); }},
        {"ad hoc disables power save",
         [](Bench& t) {
             t.link.adHocStarted = 1;
             t.link.currentNetworkMode = 0;
         },
         [](const AdvancedView& v) { EXPECT_FALSE(v.powerSaveEnabled); }},
        {"connected in infrastructure keeps power save",
         [](Bench& t) {
             t.link.connected = 1;
             t.link.currentNetworkMode = 1;
         },
         [](const AdvancedView& v) { EXPECT_TRUE(v.powerSaveEnabled); }},
        {"connected on 802.11a: the a rates",
         [](Bench& t) {
             t.link.connected = 1;
             t.link.currentWlanMode = 2;
         },
         [](const AdvancedView& v) { EXPECT_EQ(v.rates, rateEntries(2)); }},
        {"unknown value keeps the first entry",
         [](Bench& t) { t.driver.setOutU32("QueryPreamble", 9); },
         [](const AdvancedView& v) { EXPECT_EQ(v.selected[static_cast<size_t>(List::Preamble)], 1u); }},
        {"failed thresholds leave the defaults",
         [](Bench& t) {
             t.driver.setOutU32("QueryFragThreshold", 500);
             t.driver.setResult("QueryFragThreshold", 1);
             t.driver.setOutU32("QueryRTSThreshold", 9);
             t.driver.setResult("QueryRTSThreshold", 1);
         },
         [](const AdvancedView& v) {
             EXPECT_EQ(v.fragText, "2346");
             EXPECT_EQ(v.rtsText, "2347");
         }},
        {"failed WEP status leaves the fragment edit disabled",
         [](Bench& t) { t.driver.setResult("QueryWepStatus", 1); },
         [](const AdvancedView& v) { EXPECT_FALSE(v.fragEnabled); }},
        {"no card: empty controls",
         [](Bench& t) { t.closeCard(); },
         [](const AdvancedView& v) {
             EXPECT_EQ(v.description, "");
             EXPECT_FALSE(v.selected[static_cast<size_t>(List::PowerSave)]);
             EXPECT_EQ(v.fragText, "0");
             EXPECT_EQ(v.rtsText, "0");
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Bench t;
        row.setUp(t);
        t.model.pageShown();
        row.check(t.model.view());
    }
}

// Apply sends each pending parameter alone.
TEST_F(AdvancedModelTest, EveryPendingBitAlone) {
    struct Row {
        const char* name;
        std::function<void(AdvancedModel&)> change;
        uint32_t pending;
        Calls sent;
    } rows[] = {
        {"power save", [](AdvancedModel& m) { m.select(List::PowerSave, 1); }, 0x001, {"SetPowerMode(h, 1)"}},
        {"preamble", [](AdvancedModel& m) { m.select(List::Preamble, 3); }, 0x002, {"SetPreamble(h, 3)"}},
        {"transmit antenna", [](AdvancedModel& m) { m.select(List::TxAntenna, 0xFFFF); }, 0x004,
         {"SetTxAntenna(h, 65535)"}},
        {"receive antenna", [](AdvancedModel& m) { m.select(List::RxAntenna, 2); }, 0x008, {"SetRxAntenna(h, 2)"}},
        {"transmit rate (preamble again)", [](AdvancedModel& m) { m.select(List::TxRate, 108); }, 0x012,
         {"SetPreamble(h, 1)", "SetDataRate(h, 108)"}},
        {"fragment threshold", [](AdvancedModel& m) { m.editFragThreshold("1024"); }, 0x020,
         {"SetFragThreshold(h, 1024)"}},
        {"RTS threshold", [](AdvancedModel& m) { m.editRtsThreshold("500"); }, 0x040, {"SetRTSThreshold(h, 500)"}},
        {"transmit power", [](AdvancedModel& m) { m.select(List::TxPower, 2); }, 0x200, {"SetTxPower(h, 2)"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Bench t;
        row.change(t.shown());
        EXPECT_EQ(t.model.pending(), row.pending);
        EXPECT_TRUE(t.driver.calls().empty()) << "nothing is sent before Apply";
        EXPECT_EQ(t.model.apply(), ApplyResult::Sent);
        EXPECT_EQ(t.sets(), row.sent);
        EXPECT_EQ(t.model.pending(), 0u);
        EXPECT_TRUE(t.settings.writes().empty());
    }
}

TEST_F(AdvancedModelTest, BoostIsSentAtOnceAndAgainByApply) {
    shown().boostClicked(true);
    EXPECT_EQ(sets(), (Calls{"SetBoostMode(h, 0)"}));
    EXPECT_EQ(model.pending(), 0x100u);
    driver.clearCalls();
    EXPECT_EQ(model.apply(), ApplyResult::Sent);
    EXPECT_EQ(sets(), (Calls{"SetBoostMode(h, 0)"}));
    EXPECT_EQ(settings.readInt("Advanced", "BoostMode", 9), 0);
    EXPECT_EQ(settings.writes().size(), 2u) << "the click and the Apply";

    driver.clearCalls();
    model.boostClicked(false);
    EXPECT_EQ(sets(), (Calls{"SetBoostMode(h, 1)"}));
    EXPECT_EQ(settings.readInt("Advanced", "BoostMode", 9), 1);
}

TEST_F(AdvancedModelTest, AllPendingBitsInTheDriversOrder) {
    AdvancedModel& m = shown();
    m.boostClicked(true);
    m.select(List::TxRate, 22);
    m.select(List::RxAntenna, 2);
    m.select(List::TxAntenna, 0xFFFF);
    m.select(List::TxPower, 1);
    m.editRtsThreshold("1000");
    m.editFragThreshold("512");
    m.select(List::Preamble, 2);
    m.select(List::PowerSave, 1);
    EXPECT_EQ(m.pending(), 0x37Fu);
    driver.clearCalls();
    EXPECT_EQ(m.apply(), ApplyResult::Sent);
    EXPECT_EQ(sets(), (Calls{"SetPowerMode(h, 1)", "SetPreamble(h, 2)", "SetFragThreshold(h, 512)",
                             "SetRTSThreshold(h, 1000)", "SetTxPower(h, 1)", "SetTxAntenna(h, 65535)",
                             "SetRxAntenna(h, 2)", "SetDataRate(h, 22)", "SetBoostMode(h, 0)"}));
}

TEST_F(AdvancedModelTest, ThresholdsAreClampedKeptAndShown) {
    struct Row {
        const char* frag;
        const char* rts;
        Calls sent;
        const char* fragShown;
        const char* rtsShown;
    } rows[] = {
        {"100", "3000", {"SetFragThreshold(h, 256)", "SetRTSThreshold(h, 2347)"}, "256", "2347"},
        {"256", "0", {"SetFragThreshold(h, 256)", "SetRTSThreshold(h, 0)"}, "256", "0"},
        {"2346", "2347", {"SetFragThreshold(h, 2346)", "SetRTSThreshold(h, 2347)"}, "2346", "2347"},
        {"2347", "2348", {"SetFragThreshold(h, 2346)", "SetRTSThreshold(h, 2347)"}, "2346", "2347"},
        {"0", "2147483647", {"SetFragThreshold(h, 256)", "SetRTSThreshold(h, 2347)"}, "256", "2347"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.frag) + " / " + row.rts);
        Bench t;
        AdvancedModel& m = t.shown();
        m.editFragThreshold(row.frag);
        m.editRtsThreshold(row.rts);
        EXPECT_EQ(m.apply(), ApplyResult::Sent);
        EXPECT_EQ(t.sets(), row.sent);
        EXPECT_EQ(m.view().fragText, row.fragShown);
        EXPECT_EQ(m.view().rtsText, row.rtsShown);
        EXPECT_EQ(std::to_string(m.fragThreshold()), row.fragShown);
    }
}

TEST_F(AdvancedModelTest, AThresholdThatIsNoIntegerSendsNothing) {
    for (const char* bad : {"", "99999999999", "2147483648"}) {
        for (const bool inFrag : {true, false}) {
            SCOPED_TRACE(std::string(inFrag ? "fragment " : "RTS ") + '"' + bad + '"');
            Bench t;
            AdvancedModel& m = t.shown();
            m.select(List::PowerSave, 1);
            if (inFrag) m.editFragThreshold(bad);
            else m.editRtsThreshold(bad);
            const uint32_t pending = m.pending();
            EXPECT_EQ(m.apply(), ApplyResult::NotAnInteger);
            EXPECT_EQ(m.applyIfPending(), ApplyResult::NotAnInteger);
            EXPECT_TRUE(t.sets().empty());
            EXPECT_EQ(m.pending(), pending) << "the changes wait for a valid Apply";
            EXPECT_FALSE(m.readEdits());
        }
    }
}

TEST_F(AdvancedModelTest, DefaultSendsEightOperationsAndLeavesBoostAndOptions) {
    AdvancedModel& m = shown();
    m.boostClicked(true);
    m.select(List::PowerSave, 1);
    m.editFragThreshold("700");
    driver.clearCalls();
    const auto writesBefore = settings.writes().size();
    const uint32_t autoLink = flags.autoLink;
    EXPECT_EQ(m.resetToDefaults(), ApplyResult::Sent);
    EXPECT_EQ(sets(), (Calls{"SetPowerMode(h, 0)", "SetPreamble(h, 1)", "SetFragThreshold(h, 2346)",
                             "SetRTSThreshold(h, 2347)", "SetTxPower(h, 4)", "SetTxAntenna(h, 2)",
                             "SetRxAntenna(h, 65535)", "SetDataRate(h, 255)"}));
    EXPECT_TRUE(m.view().boostChecked);
    EXPECT_EQ(settings.writes().size(), writesBefore);
    EXPECT_EQ(flags.autoLink, autoLink);
    EXPECT_EQ(m.pending(), 0u);
    EXPECT_EQ(m.view().fragText, "2346");
}

TEST_F(AdvancedModelTest, WithoutCardApplyAndDefaultSendNothing) {
    AdvancedModel& m = shown();
    m.select(List::PowerSave, 1);
    closeCard();
    EXPECT_EQ(m.apply(), ApplyResult::NoAdapter);
    EXPECT_EQ(m.resetToDefaults(), ApplyResult::NoAdapter);
    m.boostClicked(true);
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_EQ(settings.readInt("Advanced", "BoostMode", 9), 0) << "the option is still kept";
}

TEST_F(AdvancedModelTest, OkAppliesOnlyWhatIsPendingAndCancelForgets) {
    AdvancedModel& m = shown();
    EXPECT_EQ(m.applyIfPending(), ApplyResult::Sent);
    EXPECT_TRUE(driver.calls().empty());
    m.select(List::TxPower, 3);
    m.applyIfPending();
    EXPECT_EQ(sets(), (Calls{"SetTxPower(h, 3)"}));

    driver.clearCalls();
    m.select(List::TxPower, 1);
    m.editRtsThreshold("");
    m.discard();
    EXPECT_TRUE(sets().empty()) << "Cancel sends nothing";
    EXPECT_EQ(m.pending(), 0u);
    EXPECT_EQ(m.view().selected[static_cast<size_t>(List::TxPower)], 4u) << "the card's value again";
    EXPECT_EQ(m.view().rtsText, "2347");
}

TEST_F(AdvancedModelTest, OptionsAreWrittenAndTheWindowsFlagsSetAtOnce) {
    AdvancedModel& m = shown();
    m.autoConnectClicked(false);
    m.autoLinkClicked(false);
    m.tcpIpClicked(false);
    EXPECT_EQ(flags.autoConfiguration, 0u);
    EXPECT_EQ(flags.autoLink, 0u);
    m.autoLinkClicked(true);
    EXPECT_EQ(flags.autoLink, 1u);
    using W = MemorySettings::Write;
    EXPECT_EQ(settings.writes(), (std::vector<W>{{"Advanced", "Auto Configuration", 0},
                                                 {"Advanced", "AutoLink", 0},
                                                 {"Advanced", "TcpIpUseProfile", 0},
                                                 {"Advanced", "AutoLink", 1}}));
    EXPECT_TRUE(driver.calls().empty());
}

}  // namespace
}  // namespace tembrel::advanced
