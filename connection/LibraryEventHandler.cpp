#include "connection/LibraryEventHandler.h"

#include "adapter/Adapter.h"

namespace tembrel {

int LibraryEventHandler::connectStatusOr(int noCard) const {
    const auto lease = context_.handle.lease();
    if (!lease) return noCard;
    return context_.driver.GetConnectStatus(lease.get());
}

EventRoute LibraryEventHandler::Handle(uintptr_t code) {
    switch (code) {
    case ZARN9100_EVENT_LINK_DOWN:
    case ZARN9100_EVENT_LINK_LOST:
        // Without a card nothing is asked; a nonzero status leaves the snapshot alone.
        if (connectStatusOr(1) == 0) actions_.refreshStatus(false);
        return EventRoute::kForward;
    case ZARN9100_EVENT_LINK_UP:
    case ZARN9100_EVENT_ADHOC_LINK_UP:
        actions_.refreshStatus(true);
        return EventRoute::kForward;
    case ZARN9100_EVENT_CARD_REMOVED:
        if (context_.flags.autoLinkRunning != 0) context_.autoLinkEvent.Signal(context_.flags, kAutoLinkConnected);
        actions_.closeAdapter();
        return EventRoute::kForward;
    case ZARN9100_EVENT_ASSOCIATION_REFUSED:
        // Only a disconnection the supervisor may act on counts; while a page scans or connects
        // (stopping) or the card still reports a link, the event is dropped.
        if (!context_.handle.held() || context_.stopping != 0) return EventRoute::kDrop;
        if (connectStatusOr(1) != 0) return EventRoute::kDrop;
        actions_.refreshStatus(false);
        return EventRoute::kForward;
    case ZARN9100_EVENT_RADIO_SWITCH_ON:
        actions_.setRadioCheckEnabled(true);
        context_.radioState = ZARN9100_RADIO_ON;
        actions_.updateRadioUi();
        return EventRoute::kForward;
    case ZARN9100_EVENT_RADIO_SWITCH_OFF:
        actions_.setRadioCheckEnabled(false);
        context_.radioState = ZARN9100_RADIO_OFF;
        actions_.updateRadioUi();
        return EventRoute::kForward;
    case kEventRestoreRequest:
        actions_.reselectActivePage();
        return EventRoute::kDrop;
    case kEventRunAutoLink:
        if (context_.flags.autoLinkRunning == 0) actions_.runAutoLink();
        return EventRoute::kDrop;
    default:
        return EventRoute::kForward;
    }
}

}  // namespace tembrel
