#include "ui/SignalBar.h"

#include "ui/Accessibility.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QImage>

#include <gtest/gtest.h>

namespace tembrel::ui {
namespace {

QImage render(SignalBar& bar) {
    bar.resize(200, 20);
    QImage image(bar.size(), QImage::Format_RGB32);
    bar.render(&image);
    return image;
}

class SignalBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar.setRange(0, 40);
    }
    SignalBar bar;
};

TEST_F(SignalBarTest, TextIsTheShareOfTheRange) {
    const struct {
        int value;
        const char* text;
    } rows[] = {{0, ""}, {4, " 10 %"}, {20, " 50 %"}, {39, " 98 %"}, {40, "100 %"}, {55, "100 %"}, {-3, ""}};
    for (const auto& row : rows) {
        bar.setValue(row.value);
        EXPECT_EQ(bar.text().toStdString(), row.text) << row.value;
    }
}

TEST_F(SignalBarTest, ScreenReadersGetTheValueAndTheShare) {
    installAccessibility();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&bar);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::ProgressBar);
    QAccessibleValueInterface* value = accessible->valueInterface();
    ASSERT_NE(value, nullptr) << "a bar without a value says nothing but its name";
    const struct {
        int value;
        const char* description;
    } rows[] = {{20, "50 %"}, {0, "0 %"}, {40, "100 %"}};
    for (const auto& row : rows) {
        bar.setValue(row.value);
        EXPECT_EQ(value->currentValue().toInt(), row.value);
        EXPECT_EQ(accessible->text(QAccessible::Description).toStdString(), row.description) << row.value;
    }
    EXPECT_EQ(value->maximumValue().toInt(), 40);
}

TEST_F(SignalBarTest, FullBarRunsFromRedToGreen) {
    bar.setValue(40);
    const QImage image = render(bar);
    const QColor left = image.pixelColor(1, 1);
    const QColor right = image.pixelColor(198, 1);
    EXPECT_GT(left.red(), 240);
    EXPECT_LT(left.green(), 15);
    EXPECT_LT(right.red(), 15);
    EXPECT_GT(right.green(), 240);
    EXPECT_EQ(left.blue(), 0);
}

TEST_F(SignalBarTest, PartialBarShowsTheLowEndOfTheGradient) {
    bar.setValue(10);  // a quarter
    const QImage image = render(bar);
    const QColor filled = image.pixelColor(40, 1);
    EXPECT_GT(filled.red(), filled.green());  // still in the red half
    EXPECT_EQ(image.pixelColor(150, 1), bar.palette().color(QPalette::Window));
}

TEST_F(SignalBarTest, EmptyBarShowsTheWindowColourAndNoText) {
    bar.setValue(0);
    const QImage image = render(bar);
    const QColor face = bar.palette().color(QPalette::Window);
    for (int x = 0; x < image.width(); x += 7) {
        for (int y = 0; y < image.height(); y += 3) {
            ASSERT_EQ(image.pixelColor(x, y), face) << x << "," << y;
        }
    }
}

TEST_F(SignalBarTest, TextIsWrittenInWhite) {
    bar.setValue(40);
    const QImage image = render(bar);
    int white = 0;
    for (int x = 60; x < 140; ++x) {
        for (int y = 0; y < image.height(); ++y) {
            const QColor c = image.pixelColor(x, y);
            white += c.red() > 230 && c.green() > 230 && c.blue() > 230;
        }
    }
    EXPECT_GT(white, 5);
}

}  // namespace
}  // namespace tembrel::ui
