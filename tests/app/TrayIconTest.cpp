#include "app/CTrayIcon.h"
#include "app/TrayIconArt.h"
#include "app/TrayState.h"
#include "tests/app/RecordingTrayShell.h"

#include <QApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using tembrel::CTrayIcon;
using tembrel::TrayIconRecord;
using tembrel::TrayShell;
using tembrel::testing::RecordingTrayShell;

namespace {

constexpr unsigned kCallbackMessage = 0x8001;
const QString kScanning = QStringLiteral("Auto Configuration:  Scanning in progress...");
constexpr unsigned kAll = TrayIconRecord::kIcon | TrayIconRecord::kTip | TrayIconRecord::kInfo |
                          TrayIconRecord::kMessage;

struct TrayFixture : ::testing::Test {
    RecordingTrayShell* shell = new RecordingTrayShell;
    CTrayIcon tray{std::unique_ptr<TrayShell>(shell)};
    std::vector<std::pair<unsigned, unsigned>> callbacks;

    void SetUp() override
    {
        tray.Create([this](unsigned message, unsigned mouse) { callbacks.emplace_back(message, mouse); },
                    kCallbackMessage);
    }
    const std::vector<tembrel::testing::TrayCall>& calls() const { return shell->calls; }
};

}  // namespace

TEST_F(TrayFixture, FirstStateAddsLaterStatesModify)
{
    tembrel::SetTrayState(tray, 2);
    tembrel::SetTrayState(tray, 1);
    tembrel::SetTrayState(tray, 0);
    ASSERT_EQ(calls().size(), 3u);

    struct Expected {
        TrayShell::Operation operation;
        int icon;
        const char* tooltip;
    };
    const Expected expected[] = {
        {TrayShell::Operation::Add, 132, "No Connection"},
        {TrayShell::Operation::Modify, 130, "Connected"},
        {TrayShell::Operation::Modify, 146, "Card Unplugged"},
    };
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(calls()[i].operation, expected[i].operation);
        EXPECT_EQ(calls()[i].iconResource, expected[i].icon);
        EXPECT_EQ(calls()[i].tooltip, QString::fromLatin1(expected[i].tooltip));
        EXPECT_EQ(calls()[i].flags, kAll);
        EXPECT_EQ(calls()[i].balloonText, QString());  // no balloon: a showing one is removed
        EXPECT_EQ(calls()[i].iconId, CTrayIcon::kIconId);
        EXPECT_EQ(calls()[i].callbackMessage, kCallbackMessage);
        EXPECT_TRUE(calls()[i].hasWindow);
    }
    EXPECT_EQ(tray.shownIcon(), 146);
}

TEST_F(TrayFixture, ScanningKeepsTheTooltipAndShowsTheBalloon)
{
    tembrel::SetTrayState(tray, 2);
    tembrel::SetTrayState(tray, 3);
    tembrel::SetTrayState(tray, 1);
    ASSERT_EQ(calls().size(), 3u);

    const auto& scanning = calls()[1];
    EXPECT_EQ(scanning.operation, TrayShell::Operation::Modify);
    EXPECT_EQ(scanning.iconResource, 132);
    EXPECT_FALSE(scanning.flags & TrayIconRecord::kTip);  // the shell keeps "No Connection"
    EXPECT_EQ(scanning.tooltip, QStringLiteral("No Connection"));
    EXPECT_TRUE(scanning.flags & TrayIconRecord::kInfo);
    EXPECT_EQ(scanning.balloonText, kScanning);
    EXPECT_EQ(scanning.balloonTitle, QString());
    EXPECT_EQ(scanning.balloonTimeoutMs, 5000);

    const auto& connected = calls()[2];
    EXPECT_TRUE(connected.flags & TrayIconRecord::kInfo);
    EXPECT_EQ(connected.balloonText, QString());  // removes the balloon
    EXPECT_TRUE(connected.flags & TrayIconRecord::kTip);
    EXPECT_EQ(connected.tooltip, QStringLiteral("Connected"));
}

TEST_F(TrayFixture, RemovingTwiceCallsTheShellOnce)
{
    tembrel::SetTrayState(tray, 1);
    EXPECT_TRUE(tray.SetIcon(0));
    EXPECT_TRUE(tray.SetIcon(0));
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[1].operation, TrayShell::Operation::Delete);
    EXPECT_EQ(tray.shownIcon(), 0);

    tembrel::SetTrayState(tray, 2);  // shown again: added afresh
    ASSERT_EQ(calls().size(), 3u);
    EXPECT_EQ(calls()[2].operation, TrayShell::Operation::Add);
}

TEST_F(TrayFixture, RemovingBeforeAnyStateCallsNothing)
{
    EXPECT_TRUE(tray.SetIcon(0));
    EXPECT_TRUE(calls().empty());
}

TEST_F(TrayFixture, FailedCallForgetsTheIcon)
{
    shell->results = {false};  // the add fails
    EXPECT_FALSE(tray.SetIcon(130, QStringLiteral("Connected")));
    EXPECT_EQ(tray.shownIcon(), 0);
    EXPECT_TRUE(tray.SetIcon(132, QStringLiteral("No Connection")));
    shell->results = {false};  // a modify fails, as after a shell restart
    EXPECT_FALSE(tray.SetIcon(130, QStringLiteral("Connected")));
    EXPECT_TRUE(tray.SetIcon(130, QStringLiteral("Connected")));

    ASSERT_EQ(calls().size(), 4u);
    EXPECT_EQ(calls()[0].operation, TrayShell::Operation::Add);
    EXPECT_EQ(calls()[1].operation, TrayShell::Operation::Add);
    EXPECT_EQ(calls()[2].operation, TrayShell::Operation::Modify);
    EXPECT_EQ(calls()[3].operation, TrayShell::Operation::Add);
    EXPECT_EQ(tray.shownIcon(), 130);
}

TEST_F(TrayFixture, FailedRemovalForgetsTheIconToo)
{
    tembrel::SetTrayState(tray, 1);
    shell->results = {false};
    EXPECT_FALSE(tray.SetIcon(0));
    EXPECT_TRUE(tray.SetIcon(0));  // nothing left to remove
    EXPECT_EQ(calls().size(), 2u);
}

TEST_F(TrayFixture, EmptyOrMissingTooltipLeavesTheFlagClear)
{
    tray.SetIcon(130, QString());
    tray.SetIcon(130);
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_FALSE(calls()[0].flags & TrayIconRecord::kTip);
    EXPECT_FALSE(calls()[1].flags & TrayIconRecord::kTip);
}

TEST_F(TrayFixture, TextsAreBoundedByTheirFields)
{
    tray.SetIcon(130, QString(300, QLatin1Char('t')), QString(300, QLatin1Char('b')));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].tooltip.size(), 127);
    EXPECT_EQ(calls()[0].balloonText.size(), 255);
}

TEST_F(TrayFixture, EveryChangeCarriesTheBalloonFlag)
{
    tray.SetIcon(132, std::nullopt, kScanning);
    tray.SetIcon(132, std::nullopt, QString());
    tray.SetIcon(0);
    ASSERT_EQ(calls().size(), 3u);
    EXPECT_EQ(calls()[0].balloonText, kScanning);
    for (const auto& call : calls()) {
        EXPECT_TRUE(call.flags & TrayIconRecord::kInfo);
        EXPECT_EQ(call.balloonTimeoutMs, 5000);
    }
    EXPECT_EQ(calls()[1].balloonText, QString());
    EXPECT_FALSE(calls()[2].flags & TrayIconRecord::kIcon);
}

TEST(TrayIcon, MessageFlagNeedsWindowAndMessage)
{
    auto* shell = new RecordingTrayShell;
    CTrayIcon tray{std::unique_ptr<TrayShell>(shell)};
    tray.SetIcon(130);
    tray.Create(nullptr, kCallbackMessage);
    tray.SetIcon(130);
    tray.Create([](unsigned, unsigned) {}, 0);
    tray.SetIcon(130);
    tray.Create([](unsigned, unsigned) {}, kCallbackMessage);
    tray.SetIcon(130);
    ASSERT_EQ(shell->calls.size(), 4u);
    EXPECT_FALSE(shell->calls[0].flags & TrayIconRecord::kMessage);
    EXPECT_FALSE(shell->calls[1].flags & TrayIconRecord::kMessage);
    EXPECT_FALSE(shell->calls[2].flags & TrayIconRecord::kMessage);
    EXPECT_TRUE(shell->calls[3].flags & TrayIconRecord::kMessage);
}

TEST(TrayState, NothingBeforeTheIconIsCreated)
{
    auto* shell = new RecordingTrayShell;
    CTrayIcon tray{std::unique_ptr<TrayShell>(shell)};
    tembrel::SetTrayState(tray, 1);
    EXPECT_TRUE(shell->calls.empty());
}

TEST_F(TrayFixture, OtherStateNumbersAreIgnored)
{
    for (int state : {-1, 4, 1001})
        tembrel::SetTrayState(tray, state);
    EXPECT_TRUE(calls().empty());
}

TEST(TrayState, LooksOfTheFourStates)
{
    const auto unplugged = tembrel::TrayStateLookFor(0);
    const auto connected = tembrel::TrayStateLookFor(1);
    const auto none = tembrel::TrayStateLookFor(2);
    const auto scanning = tembrel::TrayStateLookFor(3);
    ASSERT_TRUE(unplugged && connected && none && scanning);
    EXPECT_EQ(unplugged->iconResourceId, 146);
    EXPECT_EQ(unplugged->tooltip, QStringLiteral("Card Unplugged"));
    EXPECT_FALSE(unplugged->balloon);
    EXPECT_EQ(connected->iconResourceId, 130);
    EXPECT_EQ(connected->tooltip, QStringLiteral("Connected"));
    EXPECT_EQ(none->iconResourceId, 132);
    EXPECT_EQ(none->tooltip, QStringLiteral("No Connection"));
    EXPECT_EQ(scanning->iconResourceId, 132);
    EXPECT_FALSE(scanning->tooltip);
    EXPECT_EQ(scanning->balloon, kScanning);
    EXPECT_FALSE(tembrel::TrayStateLookFor(4));
}

TEST_F(TrayFixture, PublisherQueuesStatesFromOtherThreadsInOrder)
{
    tembrel::TrayStatePublisher publisher(tray);
    publisher.SetTrayState(0);  // on its own thread: at once
    ASSERT_EQ(calls().size(), 1u);

    std::thread supervisor([&publisher] {
        publisher.SetTrayState(3);
        publisher.SetTrayState(2);
        publisher.SetTrayState(1);
    });
    supervisor.join();
    EXPECT_EQ(calls().size(), 1u);  // nothing touched the icon off its thread
    for (int i = 0; i < 1000 && calls().size() < 4; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(calls().size(), 4u);
    EXPECT_EQ(calls()[1].balloonText, kScanning);
    EXPECT_EQ(calls()[2].tooltip, QStringLiteral("No Connection"));
    EXPECT_EQ(calls()[3].iconResource, 130);
}

TEST(TrayIconArt, ThreeDistinctIcons)
{
    const QImage unplugged = tembrel::DrawTrayIcon(146, 32);
    const QImage connected = tembrel::DrawTrayIcon(130, 32);
    const QImage none = tembrel::DrawTrayIcon(132, 32);
    ASSERT_FALSE(unplugged.isNull());
    ASSERT_FALSE(connected.isNull());
    ASSERT_FALSE(none.isNull());
    EXPECT_NE(unplugged, connected);
    EXPECT_NE(unplugged, none);
    EXPECT_NE(connected, none);
    EXPECT_TRUE(tembrel::DrawTrayIcon(131, 32).isNull());
    EXPECT_TRUE(tembrel::DrawTrayIcon(130, 0).isNull());
    EXPECT_FALSE(tembrel::TrayIcon(130).isNull());
    EXPECT_TRUE(tembrel::TrayIcon(7).isNull());
}
