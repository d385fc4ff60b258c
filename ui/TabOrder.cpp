#include "ui/TabOrder.h"

#include <QWidget>

#include <vector>

namespace tembrel::ui {

void tabOrderAfterBuilding(QWidget& area, QWidget& part) {
    QWidget* window = area.window();
    if (part.window() != window) return;
    const auto inside = [](const QWidget& container, const QWidget* w) { return w == &container || container.isAncestorOf(w); };
    const auto takesTab = [](const QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus; };

    // The window's ring, once round.
    std::vector<QWidget*> trailing;  // what follows the area's last control but comes before the part
    QWidget* lastOfPart = nullptr;
    bool partSeen = false;
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (inside(part, w)) {
            partSeen = true;
            if (takesTab(w)) lastOfPart = w;
        } else if (inside(area, w)) {
            if (!partSeen) trailing.clear();  // the area's earlier controls come first
        } else if (!partSeen && takesTab(w)) {
            trailing.push_back(w);
        }
    }
    if (!lastOfPart) return;
    QWidget* previous = lastOfPart;
    for (QWidget* w : trailing) {
        QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

}  // namespace tembrel::ui
