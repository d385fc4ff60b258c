// The Auto Link dialog end to end: the main window on the simulated card, its supervisor
// offering the card's Auto Link access points, and a script playing the user from inside the
// dialog. Simulation time and the dialog's clock move together with the script.

#include "AutoLinkDlgFixture.h"
#include "app/CZarn9100Sheet.h"
#include "connection/SupervisorFlags.h"
#include "pages/autolink/logic/AutoLinkRules.h"
#include "profiles/ProfileText.h"
#include "tests/support/SimulatedCardLibrary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <dlfcn.h>

#include <algorithm>
#include <functional>
#include <string>

namespace tembrel::testing {
namespace {

using namespace std::chrono_literals;

// Whatever the card's MAC address, its interface has a DHCP address.
class AnyCardIpHelper final : public IpHelper {
public:
    std::optional<AdapterAddressInfo> findAdapter(const MacAddress& mac) const override {
        return AdapterAddressInfo{"wlan0", 3, mac, true, 0xC0A80114, 0xFFFFFF00, 0xC0A80101};
    }
    std::optional<InterfaceCounters> readCounters(uint32_t) const override { return std::nullopt; }
};

template <typename F>
F SimFunction(const char* name) {
    void* lib = dlopen(SimulatedCardPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
    F f = lib ? reinterpret_cast<F>(dlsym(lib, name)) : nullptr;
    if (lib) dlclose(lib);
    return f;
}

std::string SimControl(const std::string& json) {
    static const auto control = SimFunction<int (*)(const char*, char*, uint32_t)>("TembrelSimControl");
    char reply[4096] = {};
    const int r = control ? control(json.c_str(), reply, sizeof reply) : -1;
    return r == 0 ? std::string(reply) : "ERROR: " + std::string(reply);
}

class AutoLinkOnSimulatedCard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SimulatedCardLibrary().loaded) << SimulatedCardLibrary().error;
        ASSERT_TRUE(ResetSimulatedCard());
        ASSERT_TRUE(BringAutoLinkInRange());
        advanceSim = SimFunction<void (*)(uint32_t)>("TembrelSimAdvance");
        ASSERT_NE(advanceSim, nullptr);
        settings.set(settings::kAutoLink, 1);
        settings.set(settings::kAutoConfiguration, 0);
    }
    void TearDown() override {
        script.stop();
        sheet.reset();
    }

    void openWindow() {
        SheetContext context{*SimulatedCardLibrary().library, settings, dialogs, 1, (dir.path() + "/Data.cfg").toStdString()};
        context.supervisorPeriodMs = 50;
        context.supervisorPauseMs = 10;
        context.ipHelper = std::make_unique<AnyCardIpHelper>();
        context.dialogClock = clock;
        sheet = std::make_unique<CZarn9100Sheet>(std::move(context));
        QObject::connect(sheet.get(), &CZarn9100Sheet::exited, [this] { exited = true; });
        // Each turn of the event loop (also inside the dialog and its countdowns): time moves
        // on, then the user's next step runs once its moment has come.
        QObject::connect(&script, &QTimer::timeout, [this] { turn(); });
        script.start(1);
        sheet->OnInitDialog();
    }

    CAutoLinkDlg* dialog() const {
        auto* d = sheet ? sheet->findChild<CAutoLinkDlg*>() : nullptr;
        return d && d->isOpen() ? d : nullptr;
    }
    template <typename W>
    W* control(int id) const { return ControlOf<W>(*dialog(), id); }
    QString status() const { return control<QLabel>(CAutoLinkDlg::kIdStatus)->text(); }
    void choose(const QByteArray& ssid, const QString& pin, bool confirm = true) {
        auto* list = control<QComboBox>(CAutoLinkDlg::kIdAccessPoints);
        const int index = list->findData(ssid, CAutoLinkDlg::kSsidRole);
        ASSERT_GE(index, 0) << ssid.constData() << " is not offered";
        list->setCurrentIndex(index);
        control<QLineEdit>(CAutoLinkDlg::kIdPin)->setText(pin);
        control<QLineEdit>(CAutoLinkDlg::kIdConfirm)->setText(confirm ? pin : QString());
        control<QPushButton>(CAutoLinkDlg::kIdApply)->click();
    }
    bool offered(const QByteArray& ssid) const {
        return control<QComboBox>(CAutoLinkDlg::kIdAccessPoints)->findData(ssid, CAutoLinkDlg::kSsidRole) >= 0;
    }
    void exitDialog(bool doNotAskAgain) {
        control<QCheckBox>(CAutoLinkDlg::kIdDoNotAsk)->setChecked(doNotAskAgain);
        control<QPushButton>(CAutoLinkDlg::kIdExit)->click();
    }
    // The user's steps, each taken once when its condition holds.
    struct Step {
        std::function<bool()> when;
        std::function<void()> act;
    };
    void then(std::function<bool()> when, std::function<void()> act) { steps.push_back({std::move(when), std::move(act)}); }
    bool stepsDone() const { return next == steps.size(); }

    void turn() {
        if (auto* box = qobject_cast<ui::CountdownBox*>(QApplication::activeModalWidget())) {
            if (box != lastBox) countdowns.push_back(ControlOf<QLabel>(*box, ui::CountdownBox::kIdText)->text());
            lastBox = box;
        }
        advanceSim(100);
        if (clockRunning) clock->advance(250ms);
        noteStatus();
        // A network added to the radio environment is offered once a scan has seen it: until
        // then the user closes the dialog and the supervisor asks again after its next scan.
        if (!awaitOffer.isEmpty() && dialog()) {
            if (!offered(awaitOffer)) {
                exitDialog(false);
                return;
            }
            awaitOffer.clear();
        }
        if (next < steps.size() && steps[next].when()) {
            steps[next++].act();
            noteStatus();
        }
    }

    bool connectedTo(const char* ssid) const {
        const ConnectionSnapshot s = sheet->pageContext().snapshot();
        return s.connected != 0 && std::string(s.currentSsid.data()) == ssid;
    }
    std::string firstProfileSsid() const { return std::string(ProfileSsid(*sheet->pageContext().profiles().At(0))); }
    // Every status text the dialog showed, in order (a later event may replace one at once).
    void noteStatus() {
        if (dialog() && (statuses.empty() || statuses.back() != status())) statuses.push_back(status());
    }
    // The exchange's steps may follow each other within one turn of the script, the later text
    // replacing the earlier before it was noted: a step counts as shown once it or a later one was.
    static int exchangeStep(const QString& text) {
        for (uintptr_t code = ZARN9100_EVENT_AUTOLINK_STEP_FIRST;; ++code) {
            const std::string_view step = autolink::ExchangeStatusText(code);
            if (step.empty()) return -1;
            if (text == QLatin1StringView(step.data(), static_cast<qsizetype>(step.size())))
                return static_cast<int>(code - ZARN9100_EVENT_AUTOLINK_STEP_FIRST);
        }
    }
    bool dialogShowed(const QString& text) const {
        const int step = exchangeStep(text);
        return dialog() && std::any_of(statuses.begin(), statuses.end(), [&](const QString& shown) {
                   return shown == text || (step >= 0 && exchangeStep(shown) >= step);
               });
    }

    QTemporaryDir dir;
    MemorySettings settings;
    ScriptedDialogService dialogs;
    std::shared_ptr<ManualDialogClock> clock = std::make_shared<ManualDialogClock>();
    bool clockRunning = true;
    QByteArray awaitOffer;
    void (*advanceSim)(uint32_t) = nullptr;
    QTimer script;
    std::vector<Step> steps;
    size_t next = 0;
    std::vector<QString> countdowns;
    std::vector<QString> statuses;
    // Guarded: a later box may be made at the address of one already gone.
    QPointer<ui::CountdownBox> lastBox;
    bool exited = false;
    std::unique_ptr<CZarn9100Sheet> sheet;
};

TEST_F(AutoLinkOnSimulatedCard, RightPinAdoptsTheProfileFirstAndTheCardConnects) {
    then([&] { return dialog() != nullptr; }, [&] { choose("Orvix-AutoLink-New", "12345678"); });
    openWindow();
    // The open join before the exchange is a link to the same network too: wait for the dialog
    // to end and the profile to lead the list.
    ASSERT_TRUE(testing_support::WaitUntil([&] {
        return stepsDone() && !dialog() && firstProfileSsid() == "Orvix-AutoLink-New" && connectedTo("Orvix-AutoLink-New");
    }, 60000));
    EXPECT_EQ(firstProfileSsid(), "Orvix-AutoLink-New");
    EXPECT_EQ(ProfileName(*sheet->pageContext().profiles().At(0)), "Orvix-AutoLink-New");
    EXPECT_EQ(std::string(sheet->pageContext().profiles().At(0)->passphrase), "12345678");
    EXPECT_EQ(countdowns, (std::vector<QString>{"Preparing for Auto Link fastjoin setup...",
                                               "Auto Link is done successfully.\nPreparing to exit......"}));
    EXPECT_EQ(sheet->pageContext().supervisorFlags().autoLinkResult, kAutoLinkProfilePrepared);
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join("|").toStdString();
    // The main window has the library's events again: it follows the link (the icon's state
    // arrives queued, after the snapshot).
    EXPECT_TRUE(testing_support::WaitUntil([&] { return sheet->trayState() == 1; }, 10000)) << sheet->trayState();
}

TEST_F(AutoLinkOnSimulatedCard, WrongPinsLeaveTheDialogOpenUntilExit) {
    then([&] { return dialog() != nullptr; }, [&] { choose("Orvix-AutoLink-New", "87654321"); });
    then([&] { return dialogShowed("Association Failed!\nPlease make sure the PIN is correct"); },
         [&] { choose("Orvix-AutoLink-Set", "wrong-pin"); });
    then([&] { return dialogShowed("Cannot associate to Orvix AP!\nPlease try again"); }, [&] { exitDialog(true); });
    openWindow();
    ASSERT_TRUE(testing_support::WaitUntil(
        [&] { return stepsDone() && !dialog() && sheet->pageContext().supervisorFlags().autoLinkRunning == 0; }, 60000));
    EXPECT_EQ(dialogs.texts(), (QStringList{"Association Failed!\nPlease make sure the PIN is correct"}));
    EXPECT_EQ(dialogs.shown()[0].title, "Auto Link");
    EXPECT_EQ(sheet->pageContext().profiles().Count(), 1u) << "only <Default>";
    EXPECT_EQ(sheet->pageContext().supervisorFlags().autoLink, 0u);
    EXPECT_EQ(settings.read(settings::kAutoLink), 0);
    EXPECT_FALSE(sheet->pageContext().snapshot().connected);
}

TEST_F(AutoLinkOnSimulatedCard, AccessPointThatNeverAnswersTimesOut) {
    ASSERT_EQ(SimControl(R"(["add", "ssid=Quiet-Set", "bssid=00:3A:7E:00:00:31", "channel=3", "signal=-40",
                          "security=wpa-psk", "passphrase=87654321", "autolink=1", "tag=49", "silent=1"])"),
              "added Quiet-Set");
    clockRunning = false;
    awaitOffer = "Quiet-Set";
    then([&] { return dialog() != nullptr; }, [&] { choose("Quiet-Set", "87654321"); });
    then([&] { return connectedTo("Quiet-Set") || sheet->adapter().handle().held(); }, [&] { clockRunning = true; });
    then([&] { return dialogShowed("Association Failed!\nPlease make sure the PIN is correct"); }, [&] { exitDialog(true); });
    openWindow();
    ASSERT_TRUE(testing_support::WaitUntil([&] { return stepsDone() && !dialog(); }, 60000));
    EXPECT_EQ(dialogs.texts(), (QStringList{"Association Failed!\nPlease make sure the PIN is correct"}));
    EXPECT_GE(clock->nowMs(), autolink::kAssociationLimitMs);
    auto lease = sheet->adapter().handle().lease();
    ASSERT_TRUE(lease);
    EXPECT_EQ(SimulatedCardLibrary().library->GetConnectStatus(lease.get()), 0) << "disconnected at the time-out";
}

TEST_F(AutoLinkOnSimulatedCard, CardPulledDuringTheExchangeEndsEverythingCleanly) {
    then([&] { return dialog() != nullptr; }, [&] { choose("Orvix-AutoLink-New", "12345678"); });
    then([&] { return dialogShowed("Auto Link Start Request"); }, [&] { SimControl(R"(["card", "out"])"); });
    openWindow();
    ASSERT_TRUE(testing_support::WaitUntil(
        [&] { return stepsDone() && !dialog() && !sheet->adapter().handle().held() && sheet->trayState() == 0; }, 60000));
    EXPECT_NE(sheet->pageContext().supervisorFlags().autoLinkResult, kAutoLinkProfilePrepared);
    EXPECT_TRUE(std::find(statuses.begin(), statuses.end(), "Auto Link End Request") == statuses.end())
        << "the exchange stopped with the card";
    EXPECT_EQ(sheet->pageContext().supervisorFlags().autoLinkRunning, 0u);
    EXPECT_EQ(sheet->pageContext().profiles().Count(), 1u);
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(AutoLinkOnSimulatedCard, ExitFromInsideTheDialogDuringTheExchange) {
    then([&] { return dialog() != nullptr; }, [&] { choose("Orvix-AutoLink-New", "12345678"); });
    then([&] { return dialogShowed("Auto Link Start Response"); }, [&] { exitDialog(true); });
    openWindow();
    ASSERT_TRUE(testing_support::WaitUntil(
        [&] { return stepsDone() && !dialog() && sheet->pageContext().supervisorFlags().autoLinkRunning == 0; }, 60000));
    EXPECT_EQ(sheet->pageContext().supervisorFlags().autoLinkResult, kAutoLinkNothingDone);
    EXPECT_EQ(sheet->pageContext().profiles().Count(), 1u);
    auto lease = sheet->adapter().handle().lease();
    ASSERT_TRUE(lease);
    EXPECT_EQ(SimulatedCardLibrary().library->GetConnectStatus(lease.get()), 0) << "the open association ended";
}

TEST_F(AutoLinkOnSimulatedCard, ProgramExitWhileTheDialogIsOpen) {
    then([&] { return dialog() != nullptr; }, [&] { choose("Orvix-AutoLink-New", "12345678"); });
    then([&] { return dialogShowed("Auto Link Challenge Request"); }, [&] { sheet->Exit(); });
    openWindow();
    ASSERT_TRUE(testing_support::WaitUntil([&] { return stepsDone() && exited && !dialog(); }, 60000))
        << "steps " << next << " exited " << exited << " dialog " << (dialog() != nullptr) << " statuses "
        << QStringList(statuses.begin(), statuses.end()).join(" | ").toStdString();
    EXPECT_FALSE(sheet->adapter().handle().held());
    EXPECT_EQ(sheet->pageContext().profiles().Count(), 1u);
}

}  // namespace
}  // namespace tembrel::testing
