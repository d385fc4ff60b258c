#include "ui/BusyScope.h"

#include <QApplication>
#include <QWidget>

namespace tembrel::ui {

BusyScope::BusyScope(QWidget& page, std::atomic<uint32_t>& stopping)
    : page_(page), stopping_(stopping), wasEnabled_(page.isEnabled()) {
    stopping_ = 1;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    page_.setEnabled(false);
    page_.repaint();
}

BusyScope::~BusyScope() {
    page_.setEnabled(wasEnabled_);
    stopping_ = 0;
    page_.repaint();
    QApplication::restoreOverrideCursor();
}

}  // namespace tembrel::ui
