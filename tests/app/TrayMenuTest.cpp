#include "app/CTrayIcon.h"
#include "app/CTrayMenu.h"
#include "tests/app/RecordingTrayShell.h"
#include "ui/ControlId.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using tembrel::CTrayIcon;
using tembrel::CTrayMenu;
using tembrel::TrayShell;
using tembrel::testing::RecordingTrayShell;

TEST(TrayMenu, ItemsWithTheirIdsAndTexts)
{
    CTrayMenu menu;
    ASSERT_EQ(menu.menu()->actions().size(), 1);
    EXPECT_EQ(menu.menu()->actions().first()->menu(), menu.popup());
    EXPECT_EQ(menu.popup()->title(), QStringLiteral("&Zarn9100 Configuration Utility"));
    const QList<QAction*> items = menu.popup()->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&Restore"));
    EXPECT_EQ(tembrel::ui::ControlIdOf(*items[0]), 32778);
    EXPECT_EQ(items[1]->text(), QStringLiteral("&Turn Radio Off"));
    EXPECT_EQ(tembrel::ui::ControlIdOf(*items[1]), 32772);
    EXPECT_EQ(items[2]->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(tembrel::ui::ControlIdOf(*items[2]), 32781);
}

TEST(TrayMenu, ChoosingAnItemSendsItsCommand)
{
    CTrayMenu menu;
    std::vector<int> commands;
    QObject::connect(&menu, &CTrayMenu::command, [&commands](int id) { commands.push_back(id); });
    for (int id : {CTrayMenu::kExit, CTrayMenu::kRestore, CTrayMenu::kToggleRadio})
        menu.item(id)->trigger();
    EXPECT_EQ(commands, (std::vector<int>{32781, 32778, 32772}));
    EXPECT_EQ(menu.item(1234), nullptr);
}

TEST(TrayMenu, RadioItemTextFollowsTheRadio)
{
    CTrayMenu menu;
    menu.SetItemText(CTrayMenu::kToggleRadio, QStringLiteral("Turn Radio On"));
    EXPECT_EQ(menu.item(CTrayMenu::kToggleRadio)->text(), QStringLiteral("Turn Radio On"));
    EXPECT_EQ(menu.item(CTrayMenu::kRestore)->text(), QStringLiteral("&Restore"));
}

TEST(TrayMenu, ShowMenuHidesTheWindowAndDefaultsToRestore)
{
    CTrayIcon tray{std::make_unique<RecordingTrayShell>()};
    CTrayMenu menu;
    QWidget window;
    window.show();
    ASSERT_TRUE(window.isVisible());

    tray.ShowMenu(menu.menu(), &window);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(menu.popup()->isVisible());
    EXPECT_EQ(menu.popup()->defaultAction(), menu.item(CTrayMenu::kRestore));
    menu.popup()->close();
}

TEST(TrayMenu, ShowMenuWithoutSubmenuDoesNothing)
{
    CTrayIcon tray{std::make_unique<RecordingTrayShell>()};
    QMenu flat;
    flat.addAction(QStringLiteral("&Restore"));
    QWidget window;
    window.show();
    tray.ShowMenu(&flat, &window);
    tray.ShowMenu(nullptr, &window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(flat.isVisible());
}
