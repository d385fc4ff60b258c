#pragma once
// What a page's plain logic needs of the card: the driver library, the window's adapter handle
// (leased for each call) and a copy of the connection snapshot. Built from the page context by
// the page, and from a recording driver by the tests.

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "connection/ConnectionSnapshot.h"

#include <functional>

namespace tembrel {

struct CardAccess {
    DriverLibrary& library;
    const AdapterHandle& handle;
    std::function<ConnectionSnapshot()> snapshot;

    bool hasAdapter() const { return handle.held(); }
    // Runs f(library, handle) under one lease; false without a card.
    template <typename F>
    bool with(F&& f) const {
        auto lease = handle.lease();
        if (!lease) return false;
        f(library, lease.get());
        return true;
    }
};

}  // namespace tembrel
