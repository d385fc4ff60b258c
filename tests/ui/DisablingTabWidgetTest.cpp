#include "ui/DisablingTabWidget.h"


#include <QSignalSpy>
#include <QTabBar>

#include <gtest/gtest.h>

namespace tembrel::ui {
namespace {

class DisablingTabWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* caption : {"Network Status", "Profile Manager", "Site Survey", "Statistics", "Advanced",
                                    "Admin", "About"}) {
            tabs.addTab(new QWidget, caption);
        }
    }
    DisablingTabWidget tabs;
};

TEST_F(DisablingTabWidgetTest, DisablingTheCurrentTabMovesRight) {
    tabs.setCurrentIndex(3);
    for (int index : {2, 3, 4}) {
        tabs.setPageEnabled(index, false);
    }
    EXPECT_EQ(tabs.currentIndex(), 5);
    EXPECT_FALSE(tabs.isPageEnabled(3));
    EXPECT_TRUE(tabs.isPageEnabled(5));
}

TEST_F(DisablingTabWidgetTest, DisablingTheLastTabWrapsToTheFirst) {
    tabs.setCurrentIndex(6);
    tabs.setPageEnabled(6, false);
    EXPECT_EQ(tabs.currentIndex(), 0);  // Qt alone would pick tab 5
}

TEST_F(DisablingTabWidgetTest, DisablingAnotherTabKeepsTheSelection) {
    tabs.setCurrentIndex(1);
    QSignalSpy changes(&tabs, &QTabWidget::currentChanged);
    tabs.setPageEnabled(2, false);
    tabs.setPageEnabled(4, false);
    EXPECT_EQ(tabs.currentIndex(), 1);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(DisablingTabWidgetTest, DisabledTabCannotBeSelected) {
    tabs.setPageEnabled(2, false);
    EXPECT_FALSE(tabs.selectPage(2));
    EXPECT_NE(tabs.currentIndex(), 2);
    EXPECT_FALSE(tabs.selectPage(-1));
    EXPECT_FALSE(tabs.selectPage(99));
    EXPECT_TRUE(tabs.selectPage(3));
    EXPECT_EQ(tabs.currentIndex(), 3);
    tabs.setPageEnabled(2, true);
    EXPECT_TRUE(tabs.selectPage(2));
}

TEST_F(DisablingTabWidgetTest, HelperWorksOnAPlainTabWidget) {
    QTabWidget plain;
    for (int i = 0; i < 3; ++i) {
        plain.addTab(new QWidget, QString::number(i));
    }
    plain.setCurrentIndex(2);
    setTabEnabledMovingOff(plain, 1, false);
    setTabEnabledMovingOff(plain, 2, false);
    EXPECT_EQ(plain.currentIndex(), 0);
    setTabEnabledMovingOff(plain, 5, false);  // out of range: ignored
    EXPECT_FALSE(selectEnabledTab(plain, 1));
}

}  // namespace
}  // namespace tembrel::ui
