#pragma once
// The wait cursor for the length of a scope (an Apply, a register action), removed however the
// scope ends.

#include <QApplication>

namespace tembrel::ui {

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace tembrel::ui
