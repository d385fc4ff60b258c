#include "ui/FocusReturn.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace tembrel::ui {

FocusReturn::FocusReturn(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }

FocusReturn::~FocusReturn() { qApp->removeEventFilter(this); }

bool FocusReturn::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if ((type != QEvent::Show && type != QEvent::Hide && type != QEvent::Destroy) || !watched->isWidgetType())
        return false;
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (type == QEvent::Destroy || !dialog || !dialog->isWindow()) {
        openers_.remove(watched);
        return false;
    }
    if (type == QEvent::Show) {
        // The control that has the keyboard as the dialog comes up opened it (a menu or a key
        // of that control's window); a dialog shown over nothing focused leaves nothing to return to.
        QWidget* focused = QApplication::focusWidget();
        if (focused && !dialog->isAncestorOf(focused)) openers_.insert(dialog, focused);
        return false;
    }
    const QPointer<QWidget> opener = openers_.take(dialog);
    // After the hide is done, and unless another dialog has taken the keyboard meanwhile.
    if (opener) QTimer::singleShot(0, this, [this, opener] { giveBack(opener); });
    return false;
}

void FocusReturn::giveBack(QWidget* opener) {
    if (!opener || !opener->isVisible() || !opener->isEnabled()) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != opener->window()) return;
    QWidget* focused = QApplication::focusWidget();
    if (focused && focused->window() != opener->window() && focused->window()->isVisible()) return;
    opener->window()->activateWindow();
    opener->setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace tembrel::ui
