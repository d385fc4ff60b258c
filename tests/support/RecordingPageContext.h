#pragma once
// A FakePageContext on a RecordingDriver of its own, holding the driver's handle from the start:
// for a page tested alone against recorded calls.

#include "tests/support/FakePageContext.h"
#include "tests/support/RecordingDriver.h"

namespace tembrel::testing {

// Constructed before the context that refers to it.
struct OwnRecordingDriver {
    RecordingDriver driver;
};

class RecordingPageContext final : private OwnRecordingDriver, public FakePageContext {
public:
    RecordingPageContext() : FakePageContext(OwnRecordingDriver::driver) {
        mac = MacAddress{0x00, 0x1d, 0x4f, 0x00, 0x00, 0x01};
        openCard();
    }

    using OwnRecordingDriver::driver;

    // The window's adapter handle: the driver's handle, or none ("Card Unplugged").
    void openCard() { holdHandle(driver.adapterHandle()); }
    void closeCard() { holdHandle(nullptr); }

    // Sets the snapshot's link: connected in infrastructure mode on a band (0 g, 1 b, 2 a).
    void setConnected(bool connected, uint32_t wlanMode = 0) {
        ConnectionSnapshot s = snapshot_.copy();
        s.connected = connected ? 1 : 0;
        s.currentNetworkMode = 1;
        s.currentWlanMode = wlanMode;
        snapshot_.write(s);
    }
};

}  // namespace tembrel::testing
