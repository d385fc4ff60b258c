#include "app/CTrayIcon.h"
#include "app/QtTrayShell.h"
#include "app/TrayBalloon.h"
#include "app/TrayState.h"
#include "tests/app/RecordingTrayShell.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <memory>

using tembrel::CTrayIcon;
using tembrel::QtTrayShell;
using tembrel::TrayIconRecord;
using tembrel::TrayShell;

// The offscreen platform has no notification area, as a desktop without one.
TEST(QtTrayShell, WithoutNotificationAreaEveryChangeFailsQuietly)
{
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    auto* shell = new QtTrayShell;
    CTrayIcon tray{std::unique_ptr<TrayShell>(shell)};
    tray.Create([](unsigned, unsigned) {}, 0x8001);
    for (int state : {0, 1, 2, 3, 2}) {
        tembrel::SetTrayState(tray, state);
        EXPECT_EQ(tray.shownIcon(), 0) << "state " << state;  // forgotten: the next change adds
        EXPECT_FALSE(shell->isIconVisible());
    }
    EXPECT_TRUE(tray.SetIcon(0));
}

TEST(QtTrayShell, ModifyAndDeleteNeedAShownIcon)
{
    QtTrayShell shell;
    TrayIconRecord record;
    record.flags = TrayIconRecord::kIcon | TrayIconRecord::kTip | TrayIconRecord::kInfo;
    record.iconResource = 130;
    record.tooltip = QStringLiteral("Connected");
    EXPECT_FALSE(shell.Notify(TrayShell::Operation::Modify, record));
    EXPECT_FALSE(shell.Notify(TrayShell::Operation::Delete, record));
    EXPECT_FALSE(shell.Notify(TrayShell::Operation::Add, record));
    EXPECT_FALSE(shell.isIconVisible());
}

TEST(QtTrayShell, ActivationsBecomeMouseMessages)
{
    using tembrel::TrayMouseMessageFor;
    EXPECT_EQ(TrayMouseMessageFor(QSystemTrayIcon::DoubleClick), 0x203u);
    EXPECT_EQ(TrayMouseMessageFor(QSystemTrayIcon::Context), 0x205u);
    EXPECT_EQ(TrayMouseMessageFor(QSystemTrayIcon::Trigger), 0x202u);
    EXPECT_EQ(TrayMouseMessageFor(QSystemTrayIcon::MiddleClick), 0x208u);
    EXPECT_EQ(TrayMouseMessageFor(QSystemTrayIcon::Unknown), 0u);
}

// A StatusNotifierItem tray: its single activation restores the window as a double click does.
TEST(QtTrayShell, WithoutDoubleClicksASingleActivationRestores)
{
    using tembrel::TrayMouseMessageFor;
    EXPECT_EQ(TrayMouseMessageFor(QSystemTrayIcon::Trigger, false), 0x203u);
    EXPECT_EQ(TrayMouseMessageFor(QSystemTrayIcon::DoubleClick, false), 0x203u);
    EXPECT_EQ(TrayMouseMessageFor(QSystemTrayIcon::Context, false), 0x205u);
    EXPECT_EQ(TrayMouseMessageFor(QSystemTrayIcon::MiddleClick, false), 0x208u);
}

// The supervisor's pass publishes state 3 and then state 2 every few seconds: Qt is handed the
// icon and the tooltip only when they change, and again after the icon was hidden.
TEST(TrayShown, HandsOnOnlyWhatChanged)
{
    auto* recorder = new tembrel::testing::RecordingTrayShell;
    CTrayIcon tray{std::unique_ptr<TrayShell>(recorder)};
    tray.Create([](unsigned, unsigned) {}, 0x8001);
    tembrel::TrayShown shown;
    const struct {
        int state;  // -1 removes the icon
        bool icon;
        bool tooltip;
    } rows[] = {{2, true, true},   {3, false, false}, {2, false, false}, {3, false, false},
                {2, false, false}, {1, true, true},   {1, false, false}, {2, true, true},
                {-1, false, false}, {2, true, true}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        if (rows[i].state < 0) {
            tray.SetIcon(0);
            shown.Forget();
            continue;
        }
        tembrel::SetTrayState(tray, rows[i].state);
        ASSERT_EQ(recorder->calls.size(), i + 1);  // the shell itself is still called for every state
        const auto changes = shown.Apply(tray.record());
        EXPECT_EQ(changes.icon, rows[i].icon) << "row " << i;
        EXPECT_EQ(changes.tooltip, rows[i].tooltip) << "row " << i;
    }
}

// Every balloon of a pass reuses one window, placed beside the icon inside the screen.
TEST(TrayBalloon, OneWindowForEveryMessageBesideTheIcon)
{
    tembrel::TrayBalloon balloon;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect icon(screen.right() - 21, screen.bottom() - 21, 22, 22);  // a panel at the bottom right
    const QString text = QStringLiteral("Auto Configuration:  Scanning in progress...");
    const qsizetype windows = QApplication::topLevelWidgets().size();
    WId first = 0;
    for (int pass = 0; pass < 3; ++pass) {
        balloon.ShowMessage(QString(), text, icon, 5000);
        ASSERT_TRUE(balloon.isVisible());
        EXPECT_EQ(balloon.findChild<QLabel*>(QStringLiteral("trayBalloonText"))->text(), text);
        EXPECT_FALSE(balloon.findChild<QLabel*>(QStringLiteral("trayBalloonTitle"))->isVisibleTo(&balloon));
        EXPECT_TRUE(screen.contains(balloon.frameGeometry())) << "pass " << pass;
        EXPECT_LE(balloon.frameGeometry().bottom(), icon.top()) << "pass " << pass;
        if (pass == 0)
            first = balloon.winId();
        EXPECT_EQ(balloon.winId(), first);
        balloon.Remove();
        EXPECT_FALSE(balloon.isVisible());
    }
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);
}
