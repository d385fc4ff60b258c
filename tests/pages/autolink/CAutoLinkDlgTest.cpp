// The Auto Link dialog on the recording driver: what it shows, what it sends, how it ends.

#include "AutoLinkDlgFixture.h"
#include "pages/autolink/logic/AutoLinkRules.h"
#include "profiles/ProfileText.h"
#include "tests/support/RecordingDriver.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstring>

namespace tembrel::testing {
namespace {

using namespace std::chrono_literals;

constexpr MacAddress kMac{0x00, 0x0C, 0x41, 0x12, 0x34, 0x56};

class CAutoLinkDlgTest : public ::testing::Test {
protected:
    CAutoLinkDlgTest() : context(driver) {
        context.holdHandle(driver.adapterHandle());
        context.mac = kMac;
        context.ipHelper_.adapters.push_back({"wlan0", 3, kMac, true, 0xC0A80114, 0, 0});
        driver.setOutBytes("GetMacAddress", {kMac.begin(), kMac.end()});
        dialog = std::make_unique<CAutoLinkDlg>(context, AutoLinkDlgSetup{&main.sink, clock});
        dialog->setCandidates({{"Fresh", 36, 0, 0x21}, {"Known", 30, 1, 0x22}, {"Manual", 20, 2, 0x23}});
        dialog->OnInitDialog();
        dialog->show();
        driver.clearCalls();
    }
    ~CAutoLinkDlgTest() override { dialog.reset(); }

    template <typename W>
    W* control(int id) { return ControlOf<W>(*dialog, id); }
    void select(int index) { control<QComboBox>(CAutoLinkDlg::kIdAccessPoints)->setCurrentIndex(index); }
    void apply(const QString& pin, const QString& confirmation = {}) {
        control<QLineEdit>(CAutoLinkDlg::kIdPin)->setText(pin);
        control<QLineEdit>(CAutoLinkDlg::kIdConfirm)->setText(confirmation);
        control<QPushButton>(CAutoLinkDlg::kIdApply)->click();
    }
    QString status() { return control<QLabel>(CAutoLinkDlg::kIdStatus)->text(); }
    // Delivers a library event through the receiver the library holds now, and lets it arrive.
    void event(uintptr_t code) {
        driver.emitEvent(code);
        QCoreApplication::processEvents();
    }
    bool sinkIsMainWindows() const {
        const ZARN9100_EVENT_SINK* s = driver.lastSink();
        return s && s->notify == main.sink.notify && s->context == main.sink.context;
    }
    bool sent(const std::string& op) const { return driver.count(op) > 0; }

    RecordingDriver driver;
    FakePageContext context;
    MainWindowSink main;
    std::shared_ptr<ManualDialogClock> clock = std::make_shared<ManualDialogClock>();
    std::unique_ptr<CAutoLinkDlg> dialog;
};

TEST_F(CAutoLinkDlgTest, OpensAsTheLibrarysReceiverWithTheFirstEntrySelected) {
    ASSERT_NE(driver.lastSink(), nullptr);
    EXPECT_FALSE(sinkIsMainWindows());
    auto* list = control<QComboBox>(CAutoLinkDlg::kIdAccessPoints);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_EQ(list->itemText(0), "Fresh (Rssi=90%)");
    EXPECT_EQ(list->itemData(1).toUInt(), 0x00010022u);
    EXPECT_EQ(list->itemData(1, CAutoLinkDlg::kSsidRole).toByteArray(), "Known");
    EXPECT_EQ(status(), "This AP has not been configured");
    EXPECT_TRUE(control<QLineEdit>(CAutoLinkDlg::kIdConfirm)->isEnabled());
    EXPECT_EQ(control<QLineEdit>(CAutoLinkDlg::kIdPin)->maxLength(), 31);
    for (int id : {CAutoLinkDlg::kIdPin, CAutoLinkDlg::kIdConfirm}) {
        QAccessibleInterface* pin = QAccessible::queryAccessibleInterface(control<QLineEdit>(id));
        ASSERT_NE(pin, nullptr);
        EXPECT_TRUE(pin->state().passwordEdit) << id << ": the PIN becomes the passphrase";
    }
    EXPECT_TRUE(control<QPushButton>(CAutoLinkDlg::kIdApply)->isDefault());
    EXPECT_EQ(control<QPushButton>(CAutoLinkDlg::kIdExit)->text(), "E&xit");

    const struct {
        int index;
        bool confirm;
        const char* status;
    } rows[] = {{1, false, "This AP has been configured using Auto Link"},
                {2, false, "This AP has been configured using Auto Link"},
                {0, true, "This AP has not been configured"}};
    for (const auto& row : rows) {
        select(row.index);
        EXPECT_EQ(control<QLineEdit>(CAutoLinkDlg::kIdConfirm)->isEnabled(), row.confirm) << row.index;
        EXPECT_EQ(control<QLabel>(CAutoLinkDlg::kIdConfirmLabel)->isEnabled(), row.confirm) << row.index;
        EXPECT_EQ(status(), row.status) << row.index;
    }
}

TEST_F(CAutoLinkDlgTest, PinChecksSendNothing) {
    const struct {
        int index;
        const char* pin;
        const char* confirmation;
        const char* message;
        bool cleared;
    } rows[] = {{0, "1234567", "1234567", "The passphrase needs to be 8 to 31 ascii characters. ", true},
                {0, "12345678", "12345679", "The passphrases you enter do not match!", false},
                {1, "1234567", "", "The passphrase needs to be 8 to 31 ascii characters. ", true}};
    for (const auto& row : rows) {
        context.dialogs_.clear();
        select(row.index);
        apply(row.pin, row.confirmation);
        ASSERT_EQ(context.dialogs_.shown().size(), 1u) << row.pin;
        EXPECT_EQ(context.dialogs_.shown()[0].text, row.message);
        EXPECT_EQ(context.dialogs_.shown()[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(control<QLineEdit>(CAutoLinkDlg::kIdPin)->text().isEmpty(), row.cleared);
    }
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(CAutoLinkDlgTest, ConfiguredByHandSendsNothingAndDoNotAskIsKept) {
    select(2);
    control<QCheckBox>(CAutoLinkDlg::kIdDoNotAsk)->setChecked(true);
    apply("12345678");
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_EQ(context.supervisorFlags().autoLink, 0u);
    EXPECT_EQ(context.settings_.writes(), (std::vector<MemorySettings::Write>{{"Advanced", "AutoLink", 0}}));
    EXPECT_TRUE(dialog->isOpen());
}

TEST_F(CAutoLinkDlgTest, ExitKeepsTheChoiceAndGivesTheEventsBack) {
    control<QCheckBox>(CAutoLinkDlg::kIdDoNotAsk)->setChecked(true);
    control<QPushButton>(CAutoLinkDlg::kIdExit)->click();
    EXPECT_FALSE(dialog->isOpen());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(context.supervisorFlags().autoLink, 0u);
    EXPECT_EQ(context.settings_.writes().size(), 1u);
    EXPECT_TRUE(sinkIsMainWindows());
}

TEST_F(CAutoLinkDlgTest, ExitWithoutTheCheckKeepsAsking) {
    context.supervisorFlags().autoLink = 0;
    dialog->reject();  // Esc, the title bar's close
    EXPECT_EQ(context.supervisorFlags().autoLink, 1u);
    EXPECT_TRUE(context.settings_.writes().empty());
    EXPECT_TRUE(sinkIsMainWindows());
}

TEST_F(CAutoLinkDlgTest, ConfiguredAccessPointEndsWithOkOnEvent1008) {
    select(1);
    control<QCheckBox>(CAutoLinkDlg::kIdDoNotAsk)->setChecked(true);
    apply("87654321");
    EXPECT_EQ(driver.callNames(), (std::vector<std::string>{"SetAuthMode", "SetFswCCXNetworkEap", "SetWepStatus",
                                                            "SetWPAInformation", "SetWlanMode", "SetNetworkMode", "SetSsid"}));
    EXPECT_EQ(clock->activeTimers(), 1);
    EXPECT_EQ(context.supervisorFlags().autoLink, 1u) << "the check box is not read for a configured access point";
    event(1);
    EXPECT_TRUE(dialog->isOpen()) << "link up without a pending open association changes nothing";
    event(1008);
    EXPECT_FALSE(dialog->isOpen());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ProfileName(dialog->profile()), "Known");
    EXPECT_EQ(std::string(dialog->profile().passphrase), "87654321");
    EXPECT_EQ(clock->activeTimers(), 0);
    EXPECT_TRUE(sinkIsMainWindows());
}

TEST_F(CAutoLinkDlgTest, ConfiguredAccessPointTimesOutAfterTenSeconds) {
    select(1);
    apply("87654321");
    driver.clearCalls();
    clock->advance(9999ms);
    EXPECT_TRUE(driver.calls().empty());
    clock->advance(1ms);
    EXPECT_EQ(driver.callNames(), (std::vector<std::string>{"WPAPortDown", "SetSsid"}));
    EXPECT_EQ(status(), "Association Failed!\nPlease make sure the PIN is correct");
    ASSERT_EQ(context.dialogs_.shown().size(), 1u);
    EXPECT_EQ(context.dialogs_.shown()[0].title, "Auto Link");
    EXPECT_EQ(context.dialogs_.shown()[0].icon, MessageIcon::Exclamation);
    clock->advance(30000ms);
    EXPECT_EQ(context.dialogs_.shown().size(), 1u) << "the timer fired once";
    EXPECT_TRUE(dialog->isOpen());
}

TEST_F(CAutoLinkDlgTest, RefusedAssociationStartsNeitherTimerNorExchange) {
    driver.setResult("SetSsid", 2);
    driver.setResult("GetConnectStatus", 0);
    for (int index : {1, 0}) {
        select(index);
        apply("87654321", "87654321");
        EXPECT_EQ(status(), "Cannot associate to Orvix AP!\nPlease try again");
        EXPECT_EQ(driver.callNames().back(), "SetSsid") << "disconnected";
    }
    EXPECT_EQ(clock->timersStarted(), 0);
    driver.clearCalls();
    event(1);
    clock->advance(20000ms);
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_TRUE(context.dialogs_.shown().empty());
}

TEST_F(CAutoLinkDlgTest, EventsWhileOpen) {
    event(0xF0000002u);
    EXPECT_EQ(status(), "Auto Link Challenge Request");
    event(5);
    EXPECT_EQ(status(), "Disconnect");
    event(8);
    event(9);
    event(4);
    EXPECT_EQ(main.codes, (std::vector<uintptr_t>{8, 9}));
    EXPECT_TRUE(dialog->isOpen());
    event(2);
    testing_support::WaitUntil([&] { return !dialog->isOpen(); });
    EXPECT_EQ(main.codes, (std::vector<uintptr_t>{8, 9, 2}));
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(sinkIsMainWindows());
}

TEST_F(CAutoLinkDlgTest, WrongPinLeavesTheDialogOpen) {
    apply("12345678", "12345678");
    event(0xF0000009u);
    EXPECT_EQ(status(), "Association Failed!\nPlease make sure the PIN is correct");
    ASSERT_EQ(context.dialogs_.shown().size(), 1u);
    EXPECT_EQ(context.dialogs_.shown()[0].title, "Auto Link");
    EXPECT_TRUE(dialog->isOpen());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The whole exchange with an unconfigured access point, as the library would report it.
TEST_F(CAutoLinkDlgTest, ExchangeSendsBothRecordsAndPreparesTheProfile) {
    ClockPump pump(*clock);
    apply("12345678", "12345678");
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    event(1);
    ASSERT_EQ(pump.countdowns, (std::vector<QString>{"Preparing for Auto Link fastjoin setup..."}));
    const auto calls = driver.callTexts();
    const std::string info = "a821" + std::string("3132333435363738") + std::string(2 * 24, '0') +
                             std::string(2 * 128, '0') + "0200c0a80114";
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "SetFJSecurityInfo(h, " + info + ")");
    EXPECT_EQ(calls.back(), "SetFJSetupRequest(h, 0821010001000000)");

    for (uintptr_t code = 0xF0000000u; code <= 0xF0000006u; ++code) event(code);
    EXPECT_EQ(status(), "Auto Link End Request");
    _QELT_FASTJOIN_SSID_INFO learnt{};
    learnt.SsidLength = 5;
    std::memcpy(learnt.Ssid, "Fresh", 5);
    driver.setOutRecord("QueryFastjoinAPInfo", learnt);
    event(0xF0000007u);
    EXPECT_EQ(pump.countdowns.back(), "Auto Link is done successfully.\nPreparing to exit......");
    EXPECT_FALSE(dialog->isOpen());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    ASSERT_TRUE(dialog->profilePrepared());
    const PROFILE_RECORD expected = autolink::ExchangeProfile("Fresh", "12345678");
    EXPECT_EQ(std::memcmp(&dialog->profile(), &expected, sizeof expected), 0);
    EXPECT_TRUE(sinkIsMainWindows());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(CAutoLinkDlgTest, NoAddressIsReadOnceMoreAfterItsCountdown) {
    ClockPump pump(*clock);
    context.ipHelper_.adapters.clear();
    apply("12345678", "12345678");
    event(1);
    EXPECT_EQ(pump.countdowns, (std::vector<QString>{"Preparing for Auto Link fastjoin setup...",
                                                    "Cannot Get IP address, try again..."}));
    EXPECT_EQ(context.ipHelper_.findCalls, 2);
    EXPECT_EQ(driver.count("SetFJSecurityInfo"), 1u) << "sent even though the second read failed too";
}

TEST_F(CAutoLinkDlgTest, ANamelessAnswerPreparesNoProfile) {
    ClockPump pump(*clock);
    apply("12345678", "12345678");
    event(1);
    driver.setOutRecord("QueryFastjoinAPInfo", _QELT_FASTJOIN_SSID_INFO{});
    event(0xF0000007u);
    EXPECT_TRUE(dialog->isOpen());
    EXPECT_FALSE(dialog->profilePrepared());
}

TEST_F(CAutoLinkDlgTest, FailedExchangeClosesAfterItsCountdown) {
    ClockPump pump(*clock);
    apply("12345678", "12345678");
    event(1);
    event(0xF0000008u);
    EXPECT_EQ(pump.countdowns.back(), "Auto Link Failed!, Please Try Again later.");
    EXPECT_FALSE(dialog->isOpen());
    EXPECT_FALSE(dialog->profilePrepared());
}

// The card goes away, or the program ends, while a countdown runs: the sequence is abandoned,
// nothing more is read or sent.
TEST_F(CAutoLinkDlgTest, ClosedDuringTheCountdownAbandonsTheExchange) {
    for (const bool cardPulled : {true, false}) {
        SCOPED_TRACE(cardPulled ? "card pulled" : "program exit");
        if (!dialog->isOpen()) {
            context.holdHandle(driver.adapterHandle());
            dialog->OnInitDialog();
        }
        ClockPump pump(*clock);
        pump.running = false;
        apply("12345678", "12345678");
        driver.clearCalls();
        bool closedInsideCountdown = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (closedInsideCountdown || !qobject_cast<ui::CountdownBox*>(QApplication::activeModalWidget())) return;
            closedInsideCountdown = true;
            if (cardPulled) context.holdHandle(nullptr);
            dialog->Abandon();
        });
        watch.start(0);
        event(1);
        EXPECT_TRUE(closedInsideCountdown);
        EXPECT_FALSE(dialog->isOpen());
        EXPECT_EQ(driver.count("GetMacAddress"), 0u);
        EXPECT_EQ(driver.count("SetFJSecurityInfo"), 0u);
        EXPECT_TRUE(sinkIsMainWindows());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

TEST_F(CAutoLinkDlgTest, EventsAfterClosingAreNotTheDialogs) {
    dialog->Abandon();
    driver.clearCalls();
    dialog->OnLibraryEvent(0xF0000009u, 0);
    dialog->OnLibraryEvent(2, 0);
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_TRUE(main.codes.empty());
    EXPECT_TRUE(context.dialogs_.shown().empty());
}

}  // namespace
}  // namespace tembrel::testing
