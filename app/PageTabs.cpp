#include "app/PageTabs.h"

#include "pages/monitoring/CMainPage.h"
#include "ui/PageSwitchKeys.h"

#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTabBar>

namespace tembrel {

PageTabs::PageTabs(PageContext& context, const Settings& settings, QWidget& window,
                   std::vector<PageDescriptor> extraPages)
    : tabs_(new ui::DisablingTabWidget(&window)),
      pages_(std::make_unique<PageSet>(context, settings, window, std::move(extraPages))) {
    ui::switchPagesFromEveryControl(*tabs_);
    tabs_->setObjectName("sheetTabs");
    // Every tab stays in sight: the window widens to the tab strip instead of scrolling it.
    tabs_->tabBar()->setUsesScrollButtons(false);
    showSet(false);
    QObject::connect(tabs_, &QTabWidget::currentChanged, tabs_, [this] { onCurrentChanged(); });
}

PageTabs::~PageTabs() {
    // The slots leave the strip with the page set: no page is told about it.
    tabs_->blockSignals(true);
}

void PageTabs::showSet(bool monitor) {
    CZarn9100Page* before = shownPage_;
    {
        // Removing the current tab would show its neighbours one after another: the pages are
        // told once, below, instead.
        const QSignalBlocker blocker(tabs_);
        while (tabs_->count() > 0) {
            QWidget* slot = tabs_->widget(0);
            tabs_->removeTab(0);
            slot->hide();
        }
        shownSet_ = pages_->members(monitor);
        for (int index : shownSet_) tabs_->addTab(&pages_->slot(index), pages_->descriptor(index).caption);
        selectFirstPage();
        if (!shownSet_.empty()) pages_->build(shownSet_.front());
    }
    // A page kept across the switch reads again what the new set lets it offer.
    if (before == activePage()) {
        if (before) before->OnSetActive();
        return;
    }
    if (before) before->OnKillActive();
    // A window away with its page left tells the new first page when it comes back.
    shownPage_ = pageLeft_ ? nullptr : activePage();
    if (before && shownPage_) shownPage_->OnSetActive();
}

void PageTabs::onCurrentChanged() {
    CZarn9100Page* previous = shownPage_;
    // A page that refuses to be left (OnKillActive false) is shown again, unless the window
    // itself moves away from it (no card, radio off).
    if (previous && previous != activePage() && tabOf(previous) >= 0 && !previous->OnKillActive() &&
        !windowMovesPage_) {
        const QSignalBlocker blocker(tabs_);
        tabs_->setCurrentIndex(tabOf(previous));
        return;
    }
    // A page shown for the first time is built only now, after the page left was told.
    const int current = pages_->indexOf(tabs_->currentWidget());
    shownPage_ = current >= 0 ? &pages_->build(current) : activePage();
    pageLeft_ = false;
    if (shownPage_) shownPage_->OnSetActive();
}

CZarn9100Page* PageTabs::activePage() const {
    const int index = pages_->indexOf(tabs_->currentWidget());
    return index < 0 ? nullptr : pages_->page(index);
}

bool PageTabs::mainPageShown() const {
    const int index = pages_->indexOf(tabs_->currentWidget());
    return index >= 0 && index == pages_->indexOf<CMainPage>();
}

void PageTabs::reselectActivePage() {
    shownPage_ = activePage();
    pageLeft_ = false;
    if (shownPage_) shownPage_->OnSetActive();
}

bool PageTabs::leaveActivePage() {
    CZarn9100Page* page = activePage();
    if (page && !page->OnKillActive()) return false;
    shownPage_ = nullptr;
    pageLeft_ = true;
    return true;
}

void PageTabs::resumeActivePage() {
    if (pageLeft_) reselectActivePage();
}

void PageTabs::selectFirstPage() {
    const QScopedValueRollback moving(windowMovesPage_, true);
    if (tabs_->count() > 0) tabs_->setCurrentIndex(0);
}

bool PageTabs::selectPage(CZarn9100Page* page) {
    const int tab = tabOf(page);
    return tab >= 0 && tabs_->selectPage(tab);
}

int PageTabs::tabOf(CZarn9100Page* page) const {
    const int index = pages_->indexOf(page);
    return index < 0 ? -1 : tabs_->indexOf(&pages_->slot(index));
}

std::vector<CZarn9100Page*> PageTabs::pages() {
    std::vector<CZarn9100Page*> out;
    for (int index : shownSet_) out.push_back(&pages_->build(index));
    return out;
}

std::vector<CZarn9100Page*> PageTabs::builtPages() const {
    std::vector<CZarn9100Page*> out;
    for (int index : shownSet_)
        if (auto* page = pages_->page(index)) out.push_back(page);
    return out;
}

void PageTabs::setAdapterUsable(int usable) {
    const QScopedValueRollback moving(windowMovesPage_, true);
    pages_->tellAdapterState(usable);
    for (std::size_t tab = 0; tab < shownSet_.size(); ++tab)
        if (pages_->descriptor(shownSet_[tab]).needsOpenCard())
            tabs_->setPageEnabled(static_cast<int>(tab), usable != 0);
}

void PageTabs::tellProfilesChanged(const QWidget* source) {
    for (auto* page : pages_->builtPages())
        if (page != source) page->OnProfilesChanged();
}

}  // namespace tembrel
