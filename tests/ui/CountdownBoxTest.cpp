#include "ui/CountdownBox.h"
#include "ui/ControlId.h"
#include "tests/support/ManualDialogClock.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace tembrel::ui {
namespace {

using namespace std::chrono_literals;
using testing::ManualDialogClock;

template <typename W>
W* Control(QWidget& root, int id) {
    return ui::ControlById<W>(root, id);
}

struct Seen {
    QString title;
    int progress;
    bool visible;
};

TEST(CountdownBox, SitsCompactOverItsOwnerCountsDownOnceASecondAndClosesByItself) {
    QWidget owner;
    owner.setGeometry(100, 120, 420, 300);
    ManualDialogClock clock;
    CountdownBox box("Auto Link is done successfully.\nPreparing to exit......", 3, clock, &owner);
    owner.setGeometry(100, 120, 900, 700);  // a large window: the box stays small in its middle
    CountdownBox onLarge("Auto Link is done successfully.\nPreparing to exit......", 3, clock, &owner);
    EXPECT_LT(onLarge.width(), owner.width() / 2);
    EXPECT_LT(onLarge.height(), owner.height() / 2);
    EXPECT_LE((onLarge.geometry().center() - owner.geometry().center()).manhattanLength(), 2);
    EXPECT_EQ(Control<QLabel>(box, CountdownBox::kIdText)->text(), "Auto Link is done successfully.\nPreparing to exit......");
    auto* progress = Control<QProgressBar>(box, CountdownBox::kIdProgress);
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->maximum(), 3);

    // Inside the box's own event loop: look, then let one second pass, until it closes. Esc and
    // the close button on the way do not end it early.
    std::vector<Seen> seen;
    QTimer step;
    QObject::connect(&step, &QTimer::timeout, [&] {
        seen.push_back({box.windowTitle(), progress->value(), box.isVisible()});
        EXPECT_EQ(progress->text(), box.windowTitle().trimmed()) << "the seconds left show inside the box";
        QTest::keyClick(&box, Qt::Key_Escape);
        box.close();
        clock.advance(1000ms);
    });
    step.start(0);
    box.run();
    step.stop();

    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[0].title, " 3 seconds remaining...");
    EXPECT_EQ(seen[0].progress, 0);
    EXPECT_TRUE(seen[0].visible);
    EXPECT_EQ(seen[1].title, " 2 seconds remaining...");
    EXPECT_EQ(seen[1].progress, 1);
    EXPECT_EQ(seen[2].title, " 1 seconds remaining...");
    EXPECT_EQ(seen[2].progress, 2);
    EXPECT_EQ(seen.size(), 3u) << "closed when the third second was up";
    EXPECT_EQ(box.remainingSeconds(), 0);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(clock.activeTimers(), 0);
}

TEST(CountdownBox, NoTimeShowsNothing) {
    ManualDialogClock clock;
    CountdownBox box("x", 0, clock, nullptr);
    box.run();
    EXPECT_EQ(clock.timersStarted(), 0);
    EXPECT_FALSE(box.isVisible());
}

}  // namespace
}  // namespace tembrel::ui
