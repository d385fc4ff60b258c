#pragma once
// A main window on the recording driver, in-memory settings, scripted dialogs, a recording
// tray shell and a profile store in a temporary folder.

#include "app/CZarn9100Sheet.h"
#include "ui/ControlId.h"
#include "tests/support/MemorySettings.h"
#include "platform/Settings.h"
#include "tests/support/ScriptedDialogService.h"
#include "tests/support/PollUntil.h"
#include "tests/support/RecordingDriver.h"
#include "tests/app/RecordingTrayShell.h"

#include <gtest/gtest.h>

#include <QTabWidget>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

namespace tembrel::testing {

// The pages the user's joins were asked on ("Site Survey: Lobby"), as the window's history
// hears them (from any thread).
class UserJoinPages final : public HistorySink {
public:
    void joinAttempted(const JoinAttempt& a) override {
        std::lock_guard lock(mutex_);
        if (a.requester == JoinRequester::User) pages_.push_back(a.page + ": " + a.profile);
    }
    std::vector<std::string> pages() const {
        std::lock_guard lock(mutex_);
        return pages_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> pages_;
};

class SheetTest : public ::testing::Test {
protected:
    // The next window built tells its history to a UserJoinPages, held as userJoins (the
    // window owns it).
    void recordUserJoins() {
        makeHistory = [this](HistoryProbe) {
            auto sink = std::make_unique<UserJoinPages>();
            userJoins = sink.get();
            return sink;
        };
    }

    // Builds the window; settings and driver script must be set before.
    CZarn9100Sheet& makeSheet(int osFamily = 1) {
        sheet.reset();
        auto shell = std::make_unique<RecordingTrayShell>();
        tray = shell.get();
        SheetContext context{driver, settings, dialogs, osFamily, storePath()};
        context.libraryPath = libraryPath;
        context.closeWaitMs = closeWaitMs;
        context.extraPages = extraPages;
        context.makeHistory = makeHistory;
        context.trayShell = std::move(shell);
        sheet = std::make_unique<CZarn9100Sheet>(std::move(context));
        return *sheet;
    }

    // Builds and initialises the window with both automatic options off, and waits for the
    // supervisor's one start-up scan, so that the driver log holds only what the test does next.
    CZarn9100Sheet& openSheet(int osFamily = 1) {
        settings.set(settings::kAutoLink, 0);
        settings.set(settings::kAutoConfiguration, 0);
        // The log may hold the calls of a window opened before by the same test: that one goes
        // first, so that its supervisor scans no more.
        sheet.reset();
        const std::size_t scansBefore = driver.count("Scan");
        makeSheet(osFamily).OnInitDialog();
        if (sheet->adapter().handle().held()) {
            PollUntil([&] { return driver.count("Scan") != scansBefore; });
            EXPECT_EQ(driver.count("Scan"), scansBefore + 1) << "the supervisor's start-up scan";
        }
        return *sheet;
    }

    std::string storePath() const { return (dir.path() + "/Data.cfg").toStdString(); }

    // A page of the test's own, after the listed pages of the normal set (or of the monitor-mode
    // set only); `made` is set when the window builds it.
    template <typename Page>
    void addPage(const QString& caption, Page** made, bool monitorSetOnly = false) {
        extraPages.push_back(PageDescriptor{typeid(Page), caption, CZarn9100Page::CardUse::Any, !monitorSetOnly,
                                            monitorSetOnly,
                                            [caption, made](PageContext& context, QWidget& slot) {
                                                auto page = std::make_unique<Page>(context, caption, 998, &slot);
                                                *made = page.get();
                                                return page;
                                            }});
    }

    QStringList captions() const {
        QStringList out;
        for (int i = 0; i < sheet->pageTabs().widget().count(); ++i) out << sheet->pageTabs().widget().tabText(i);
        return out;
    }

    template <typename W>
    W* control(int id) const {
        return ui::ControlById<W>(*sheet, id);
    }

    QTemporaryDir dir;
    std::string libraryPath;  // the file the window is told its library came from
    int closeWaitMs = 3000;   // how long closing the card waits for calls in flight
    std::vector<PageDescriptor> extraPages;  // the test's own pages, after the listed ones
    std::function<std::unique_ptr<HistorySink>(HistoryProbe)> makeHistory;  // none: no history
    UserJoinPages* userJoins = nullptr;  // see recordUserJoins
    RecordingDriver driver;
    MemorySettings settings;
    ScriptedDialogService dialogs;
    RecordingTrayShell* tray = nullptr;  // owned by the sheet
    std::unique_ptr<CZarn9100Sheet> sheet;
};

}  // namespace tembrel::testing
