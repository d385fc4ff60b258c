#pragma once
// The base of every page of the main window. A page reaches the window only through its
// PageContext.

#include "pages/PageContext.h"

#include <QString>
#include <QWidget>

namespace tembrel {

class CZarn9100Page : public QWidget {
    Q_OBJECT
public:
    // NeedsOpenCard: the page's tab is disabled while no usable card is open (Site Survey,
    // Statistics, Advanced). Each page names its caption (kCaption) and, when it needs an open
    // card, its kCardUse, so that the tab strip can show the page before the page object exists.
    enum class CardUse { Any, NeedsOpenCard };
    static constexpr CardUse kCardUse = CardUse::Any;

    CZarn9100Page(PageContext& context, const QString& caption, int dialogId, QWidget* parent = nullptr);

    const QString& caption() const { return caption_; }
    int dialogId() const { return dialogId_; }

    // Adapter usable (1) or not (0). The base only clears its adapter-state field; pages that
    // show live data keep the negation of the argument (adapterState_ 1: not usable).
    virtual void OnAdapterState(int usable);
    bool adapterUnusable() const { return adapterState_ != 0; }

    // A library event or a program event forwarded by the sheet (code, second parameter).
    virtual void OnLibraryEvent(quintptr code, qintptr param, const QString& text);

    // Page activation, as a property sheet selects and leaves pages.
    virtual void OnSetActive() {}
    virtual bool OnKillActive() { return true; }  // false keeps the page selected
    // The window's OK (after the active page agreed to be left) and Cancel. Cancel only hides
    // the window: a page forgets what the user did not apply and sends nothing to the card.
    virtual void OnOK() {}
    virtual void OnCancel() {}

    // Another page changed the profile list.
    virtual void OnProfilesChanged() {}

protected:
    // The whole context, for what needs more than the page's roles (the profile wizard it opens).
    // Not for others: the window talks to a page through the handlers above.
    PageContext& context() const { return context_; }

    int adapterState_ = 0;

private:
    PageContext& context_;
    QString caption_;
    int dialogId_;
};

}  // namespace tembrel
