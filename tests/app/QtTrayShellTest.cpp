#include "app/CTrayIcon.h"
#include "app/QtTrayShell.h"
#include "app/TrayState.h"

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
