#pragma once
// The main window's tab strip over its page set, as a property sheet runs it: the tabs of the
// normal or the monitor-mode set, the page left told before the page shown (built then if it
// is new), a page that refuses to be left kept, and the tabs of pages that need an open card
// disabled while there is none.

#include "app/PageSet.h"
#include "ui/DisablingTabWidget.h"

#include <QPointer>

#include <memory>
#include <vector>

class QWidget;

namespace tembrel {

class Settings;

class PageTabs {
public:
    // The tab strip is a child of `window`; the normal set is shown, its first page built.
    PageTabs(PageContext& context, const Settings& settings, QWidget& window,
             std::vector<PageDescriptor> extraPages = {});
    ~PageTabs();
    PageTabs(const PageTabs&) = delete;
    PageTabs& operator=(const PageTabs&) = delete;

    ui::DisablingTabWidget& widget() const { return *tabs_; }
    const PageSet& pageSet() const { return *pages_; }

    // Shows the normal or the monitor-mode set, its first page selected; the page shown before
    // is told it is left and the first page that it is shown (not at construction: the window
    // shows the first page when it opens).
    void showSet(bool monitor);

    // The page shown (null while none is).
    CZarn9100Page* activePage() const;
    bool mainPageShown() const;
    CMainPage& mainPage() { return pages_->mainPage(); }
    // Tells the page shown OnSetActive again (the window comes back).
    void reselectActivePage();
    // The window goes away with its page left (OK): the page shown is told OnKillActive; false
    // when it refuses.
    bool leaveActivePage();
    // The window went out of sight (minimised, hidden): the page shown gets no events meanwhile,
    // so it is told OnSetActive again when the window is back.
    void resumeLater() { pageLeft_ = true; }
    // The window is back, however it came: a page left meanwhile is told OnSetActive.
    void resumeActivePage();
    // The window, not the user, moves to the first page: a page cannot refuse it.
    void selectFirstPage();
    // False for a page not in the strip or on a disabled tab.
    bool selectPage(CZarn9100Page* page);

    // Every page of the strip, in tab order, building those not shown yet (the gallery and
    // tests walk them); the window itself only talks to pages already built.
    std::vector<CZarn9100Page*> pages();
    std::vector<CZarn9100Page*> builtPages() const;

    // Tells every built page whether the adapter is usable (pages built later are told when
    // built) and enables the tabs of pages that need an open card accordingly.
    void setAdapterUsable(int usable);
    // The profile list changed through `source`: every other page built is told; a page not
    // built yet reads the list when it is.
    void tellProfilesChanged(const QWidget* source);

private:
    void onCurrentChanged();
    int tabOf(CZarn9100Page* page) const;

    ui::DisablingTabWidget* tabs_ = nullptr;  // owned by the window
    std::unique_ptr<PageSet> pages_;
    std::vector<int> shownSet_;  // the pages of the strip, in tab order
    QPointer<CZarn9100Page> shownPage_;  // the page last told OnSetActive
    bool windowMovesPage_ = false;       // the window, not the user, changes the page
    bool pageLeft_ = false;              // the page shown is told OnSetActive when the window is back
};

}  // namespace tembrel
