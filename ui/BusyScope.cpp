#include "ui/BusyScope.h"

#include <QApplication>
#include <QWidget>

namespace tembrel::ui {

BusyScope::BusyScope(QWidget& page, StopFlag& stopping)
    : page_(page), stopping_(stopping), wasEnabled_(page.isEnabled()) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    page_.setEnabled(false);
    page_.repaint();
}

BusyScope::~BusyScope() {
    page_.setEnabled(wasEnabled_);
    page_.repaint();
    QApplication::restoreOverrideCursor();
}

}  // namespace tembrel::ui
