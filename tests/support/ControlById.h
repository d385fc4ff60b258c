#pragma once
// Windows are tested by their control ids: every control carries its id in the "controlId"
// property, as the program's own windows set it.

#include <QWidget>

namespace tembrel::testing {

// The first child of `root` of type W with control id `id`, or nullptr.
template <typename W = QWidget>
W* ControlById(const QWidget& root, int id) {
    for (W* w : root.findChildren<W*>())
        if (w->property("controlId").toInt() == id) return w;
    return nullptr;
}

}  // namespace tembrel::testing
