#include "pages/monitoring/StatisticsPage.h"

#include "pages/monitoring/logic/StatisticsModel.h"

#include <QTimer>

namespace tembrel::monitoring {

StatisticsPage::StatisticsPage(PageContext& context, int dialogId, QWidget* parent)
    : CZarn9100Page(context, kCaption, dialogId, parent), timer_(new QTimer(this)) {
    timer_->setInterval(kStatisticsTimerPeriodMs);
    timer_->setProperty("timerId", kStatisticsTimerId);
    connect(timer_, &QTimer::timeout, this, &StatisticsPage::onTimer);
}

CardAccess StatisticsPage::cardAccess() {
    PageContext& pc = context();
    return CardAccess{pc.library(), pc.handle(), [&pc] { return pc.snapshot(); }};
}

void StatisticsPage::OnSetActive() {
    active_ = true;
    activateModel();
    onTimer();
    syncTimer();
}

bool StatisticsPage::OnKillActive() {
    active_ = false;
    syncTimer();
    return true;
}

void StatisticsPage::OnAdapterState(int usable) {
    adapterState_ = usable == 0 ? 1 : 0;
    adapterUsable(usable != 0);
    syncTimer();
}

bool StatisticsPage::timerActive() const { return timer_->isActive(); }

void StatisticsPage::onTimer() {
    updateModel();
    showView();
}

void StatisticsPage::hideEvent(QHideEvent* event) {
    CZarn9100Page::hideEvent(event);
    const QWidget* top = window();
    windowHidden_ = top->isHidden() && top->testAttribute(Qt::WA_WState_ExplicitShowHide);
    syncTimer();
}

void StatisticsPage::showEvent(QShowEvent* event) {
    CZarn9100Page::showEvent(event);
    if (!windowHidden_) return;
    windowHidden_ = false;
    // Back on screen: the counters as they are now, then the timer again.
    if (active_ && adapterState_ == 0) onTimer();
    syncTimer();
}

void StatisticsPage::syncTimer() {
    // Nothing is drawn while the page or the window is hidden, and nothing can be read while the
    // card is unusable.
    const bool run = active_ && adapterState_ == 0 && !windowHidden_;
    if (run && !timer_->isActive())
        timer_->start();
    else if (!run)
        timer_->stop();
}

}  // namespace tembrel::monitoring
