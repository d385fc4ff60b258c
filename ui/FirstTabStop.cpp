#include "ui/FirstTabStop.h"

#include <QWidget>

namespace tembrel::ui {

QWidget* firstTabStop(QWidget& container) {
    QWidget* window = container.window();
    // The chain is a ring over the whole window; one round at most.
    for (QWidget* w = container.nextInFocusChain(); w && w != &container; w = w->nextInFocusChain()) {
        if (!container.isAncestorOf(w)) continue;
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isEnabled() && w->isVisibleTo(window) &&
            !w->focusProxy()) {
            return w;
        }
        if (w == window) break;
    }
    return nullptr;
}

}  // namespace tembrel::ui
