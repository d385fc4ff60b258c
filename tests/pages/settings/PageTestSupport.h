#pragma once
// A page alone on a FakePageContext over the recording driver, and its controls by id.

#include "tests/support/FakePageContext.h"
#include "ui/ControlId.h"
#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QWidget>

#include <memory>

namespace tembrel::testing {

template <typename Page>
class PageTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    // Builds the page; the card is open unless `withCard` is false.
    Page& makePage(bool withCard = true) {
        if (withCard) {
            EXPECT_TRUE(context.openAdapter());
        }
        page = std::make_unique<Page>(context);
        driver.clearCalls();
        return *page;
    }

    template <typename W>
    W* control(int id) const {
        W* w = ui::ControlById<W>(*page, id);
        if (!w) ADD_FAILURE() << "no control " << id;
        return w;
    }

    QTemporaryDir folder;
    RecordingDriver driver;
    FakePageContext context{driver, folder.path().toStdString()};
    std::unique_ptr<Page> page;
};

}  // namespace tembrel::testing
