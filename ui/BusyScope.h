#pragma once
// A page's busy state while it scans or connects: the supervisor is told to leave the card alone
// (`stopping`), the wait cursor shows, and the page's controls are drawn disabled at once. Their
// own enabled states are kept: the page as a whole is disabled, not each control.

#include <atomic>
#include <cstdint>

class QWidget;

namespace tembrel::ui {

class BusyScope {
public:
    BusyScope(QWidget& page, std::atomic<uint32_t>& stopping);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QWidget& page_;
    std::atomic<uint32_t>& stopping_;
    bool wasEnabled_;
};

}  // namespace tembrel::ui
