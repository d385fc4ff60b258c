#include "app/PageSet.h"

#include "pages/CReadmePage.h"
#include "pages/monitoring/CMainPage.h"
#include "pages/monitoring/CRssiStatistics.h"
#include "pages/monitoring/CStatistics.h"
#include "pages/profiles/CAdminTool.h"
#include "pages/profiles/CProfileManager.h"
#include "pages/settings/CAboutPage.h"
#include "pages/settings/CAdvancedPage.h"
#include "pages/settings/CDebugWin.h"
#include "pages/settings/CRegionCtrl.h"
#include "pages/settings/CTestPage.h"
#include "pages/survey/CSiteSurvey.h"
#include "platform/Settings.h"
#include "ui/TabOrder.h"

#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace tembrel {

namespace {

template <typename Page>
PageDescriptor Describe(bool inNormalSet, bool inMonitorSet) {
    return PageDescriptor{typeid(Page), QString::fromLatin1(Page::kCaption), Page::kCardUse, inNormalSet, inMonitorSet,
                          [](PageContext& context, QWidget& slot) { return std::make_unique<Page>(context, &slot); }};
}

std::vector<PageDescriptor> DescribePages(const Settings& settings) {
    std::vector<PageDescriptor> out{Describe<CMainPage>(true, true), Describe<CProfileManager>(true, false),
                                    Describe<CSiteSurvey>(true, false)};
    out.push_back(settings.read(settings::kStatistics) != 0 ? Describe<CRssiStatistics>(true, true)
                                                             : Describe<CStatistics>(true, true));
    out.push_back(Describe<CAdvancedPage>(true, false));
    out.push_back(Describe<CAdminTool>(true, false));
    if (settings.read(settings::kDebugWin) != 0) out.push_back(Describe<CDebugWin>(true, false));
    if (settings.read(settings::kTestPage) != 0) out.push_back(Describe<CTestPage>(true, false));
    if (settings.read(settings::kRegionPage) != 0) out.push_back(Describe<CRegionCtrl>(true, false));
    out.push_back(Describe<CAboutPage>(true, true));
    out.push_back(Describe<CReadmePage>(false, true));
    return out;
}

}  // namespace

PageSet::PageSet(PageContext& context, const Settings& settings, QWidget& host,
                 std::vector<PageDescriptor> extraPages)
    : context_(context) {
    std::vector<PageDescriptor> descriptors = DescribePages(settings);
    for (auto& extra : extraPages) descriptors.push_back(std::move(extra));
    for (auto& descriptor : descriptors) {
        auto slot = std::make_unique<QWidget>(&host);
        slot->hide();
        slot->setObjectName("pageSlot");
        auto* layout = new QVBoxLayout(slot.get());
        layout->setContentsMargins(0, 0, 0, 0);
        entries_.push_back(Entry{std::move(descriptor), std::move(slot), nullptr});
    }
}

PageSet::~PageSet() = default;

int PageSet::indexOf(const QWidget* widget) const {
    if (!widget) return -1;
    const auto it = std::find_if(entries_.begin(), entries_.end(), [widget](const Entry& entry) {
        return entry.slot.get() == widget || entry.page.get() == widget;
    });
    return it == entries_.end() ? -1 : static_cast<int>(it - entries_.begin());
}

int PageSet::indexOfType(std::type_index type) const {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [type](const Entry& entry) { return entry.descriptor.type == type; });
    return it == entries_.end() ? -1 : static_cast<int>(it - entries_.begin());
}

std::vector<int> PageSet::members(bool monitorSet) const {
    std::vector<int> out;
    for (int i = 0; i < count(); ++i) {
        const PageDescriptor& d = entries_[i].descriptor;
        if (monitorSet ? d.inMonitorSet : d.inNormalSet) out.push_back(i);
    }
    return out;
}

int PageSet::builtCount() const {
    return static_cast<int>(std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.page != nullptr; }));
}

std::vector<CZarn9100Page*> PageSet::builtPages() const {
    std::vector<CZarn9100Page*> out;
    for (const Entry& entry : entries_)
        if (entry.page) out.push_back(entry.page.get());
    return out;
}

CZarn9100Page& PageSet::build(int index) {
    Entry& entry = entries_.at(index);
    if (entry.page) return *entry.page;
    entry.page = entry.descriptor.make(context_, *entry.slot);
    entry.slot->layout()->addWidget(entry.page.get());
    // Shown at once, not from the layout's queued show: a key that follows the page switch
    // (a mnemonic of the new page) finds the page's controls in sight.
    entry.page->show();
    ui::tabOrderAfterBuilding(entry.slot->parentWidget() ? *entry.slot->parentWidget() : *entry.slot, *entry.page);
    if (adapterUsable_) entry.page->OnAdapterState(*adapterUsable_);
    return *entry.page;
}

CMainPage& PageSet::mainPage() { return static_cast<CMainPage&>(build(indexOf<CMainPage>())); }

void PageSet::tellAdapterState(int usable) {
    adapterUsable_ = usable;
    for (auto* page : builtPages()) page->OnAdapterState(usable);
}

}  // namespace tembrel
