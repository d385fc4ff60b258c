#pragma once
// A main window on the recording driver, in-memory settings and scripted dialogs.

#include "app/CZarn9100Sheet.h"
#include "platform/MemorySettings.h"
#include "platform/gui/ScriptedDialogService.h"
#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

#include <QTabWidget>

#include <memory>

namespace tembrel::testing {

class SheetTest : public ::testing::Test {
protected:
    // Builds the window; settings and driver script must be set before.
    CZarn9100Sheet& makeSheet(int osFamily = 1) {
        sheet = std::make_unique<CZarn9100Sheet>(
            SheetContext{driver, settings, dialogs, osFamily, "/nonexistent/Data.cfg", "/nonexistent/Tembrel.ini"});
        return *sheet;
    }

    QStringList captions() const {
        QStringList out;
        for (auto* page : sheet->pages()) out << page->caption();
        return out;
    }

    template <typename W>
    W* control(int id) const {
        for (W* w : sheet->findChildren<W*>())
            if (w->property("controlId").toInt() == id) return w;
        return nullptr;
    }

    RecordingDriver driver;
    MemorySettings settings;
    ScriptedDialogService dialogs;
    std::unique_ptr<CZarn9100Sheet> sheet;
};

}  // namespace tembrel::testing
