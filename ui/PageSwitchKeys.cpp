#include "ui/PageSwitchKeys.h"

#include "ui/logic/TabSelection.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>

#include <vector>

namespace tembrel::ui {
namespace {

// +1 for the next page, -1 for the previous one, 0 for any other key.
int PageStep(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (!(mods & Qt::ControlModifier) || (mods & (Qt::AltModifier | Qt::MetaModifier))) return 0;
    const bool shift = mods & Qt::ShiftModifier;
    switch (key.key()) {
    case Qt::Key_Tab:
        return shift ? -1 : 1;
    case Qt::Key_Backtab:
        return -1;
    case Qt::Key_PageDown:
        return shift ? 0 : 1;
    case Qt::Key_PageUp:
        return shift ? 0 : -1;
    default:
        return 0;
    }
}

}  // namespace

void switchPagesFromEveryControl(QTabWidget& tabs) { new PageSwitchKeys(tabs); }

PageSwitchKeys::PageSwitchKeys(QTabWidget& tabs) : QObject(&tabs), tabs_(tabs) { qApp->installEventFilter(this); }

bool PageSwitchKeys::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != tabs_.window() || !tabs_.isVisible()) return false;
    const int step = PageStep(*static_cast<QKeyEvent*>(event));
    if (step == 0) return false;
    if (type == QEvent::ShortcutOverride) {
        // Claimed, so that no shortcut of the window takes the keys before the key press.
        event->accept();
        return true;
    }
    std::vector<bool> enabled(static_cast<size_t>(tabs_.count()));
    for (int i = 0; i < tabs_.count(); ++i) enabled[static_cast<size_t>(i)] = tabs_.isTabEnabled(i);
    const int next = stepEnabledTab(enabled, tabs_.currentIndex(), step);
    if (next < 0) return true;
    QWidget* page = tabs_.currentWidget();
    const QPointer<QWidget> focus = QApplication::focusWidget();
    const bool focusInPage = page && page->isAncestorOf(focus);
    // Focus that was in the page left goes to the tab strip, from where Tab enters the new page
    // (Qt would move it to whatever follows in the focus chain), and before the switch, so that a
    // screen reader hears the new page's tab and nothing on the way; focus on the window's own
    // buttons stays there. A page that refused to be left gets the focus it had back.
    if (focusInPage) tabs_.tabBar()->setFocus(Qt::TabFocusReason);
    tabs_.setCurrentIndex(next);
    if (focusInPage && tabs_.currentIndex() != next && focus) focus->setFocus(Qt::TabFocusReason);
    return true;
}

}  // namespace tembrel::ui
