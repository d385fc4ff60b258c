#pragma once
// The pages of the main window. What the tab strip shows of a page (its caption, whether it
// needs an open card) is known from the start; the page object is built the first time it is
// needed, into a light slot widget that stands in its tab until then.

#include "pages/CZarn9100Page.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <typeindex>
#include <typeinfo>
#include <vector>

class QWidget;

namespace tembrel {

class CMainPage;
class Settings;

struct PageDescriptor {
    std::type_index type = typeid(CZarn9100Page);  // the page's class: pages are found by it
    QString caption;
    CZarn9100Page::CardUse cardUse = CZarn9100Page::CardUse::Any;
    bool inNormalSet = true;   // the tabs while this program configures the card
    bool inMonitorSet = false; // the tabs while the system's wireless configuration does
    // Builds the page as a child of its slot.
    std::function<std::unique_ptr<CZarn9100Page>(PageContext&, QWidget& slot)> make;

    bool needsOpenCard() const { return cardUse == CZarn9100Page::CardUse::NeedsOpenCard; }
};

class PageSet {
public:
    // The pages the settings ask for: Network Status first (in both sets), Statistics in the
    // detailed layout when "Statistics" is set, Debug, Test and Region only when asked for.
    // The slots are hidden children of `host` until a tab strip takes them; the set goes first.
    // `extraPages` follow the listed ones (pages a test adds to the window).
    PageSet(PageContext& context, const Settings& settings, QWidget& host,
            std::vector<PageDescriptor> extraPages = {});
    ~PageSet();
    PageSet(const PageSet&) = delete;
    PageSet& operator=(const PageSet&) = delete;

    int count() const { return static_cast<int>(entries_.size()); }
    const PageDescriptor& descriptor(int index) const { return entries_.at(index).descriptor; }
    // The widget a tab shows for the page: empty until the page is built into it.
    QWidget& slot(int index) const { return *entries_.at(index).slot; }
    // The index of a slot or of a built page; -1 for any other widget.
    int indexOf(const QWidget* widget) const;
    // The index of the page of class Page; -1 when the settings left it out.
    template <typename Page>
    int indexOf() const {
        return indexOfType(typeid(Page));
    }

    // The pages of one set, in tab order.
    std::vector<int> members(bool monitorSet) const;

    bool built(int index) const { return entries_.at(index).page != nullptr; }
    int builtCount() const;
    // Every page built so far, of either set, in list order.
    std::vector<CZarn9100Page*> builtPages() const;
    // Null until the page is built.
    CZarn9100Page* page(int index) const { return entries_.at(index).page.get(); }
    // The page, built now if it was not. A page built after the adapter state was told gets
    // that state before anyone else talks to it.
    CZarn9100Page& build(int index);
    // Network Status, in every set: the window refreshes its link itself.
    CMainPage& mainPage();

    // Tells every built page whether the adapter is usable, and remembers it for the pages built
    // later: a page of the other set shows the card as it is when its set comes back.
    void tellAdapterState(int usable);

private:
    struct Entry {
        PageDescriptor descriptor;
        std::unique_ptr<QWidget> slot;
        std::unique_ptr<CZarn9100Page> page;  // after the slot: goes first
    };

    int indexOfType(std::type_index type) const;

    PageContext& context_;
    std::vector<Entry> entries_;
    std::optional<int> adapterUsable_;
};

}  // namespace tembrel
