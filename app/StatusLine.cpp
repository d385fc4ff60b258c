#include "app/StatusLine.h"

#include "app/CTrayIcon.h"
#include "ui/ControlId.h"
#include "ui/Notice.h"

#include <QLabel>

namespace tembrel {

StatusLine::StatusLine(QWidget& window, int id, std::function<bool()> pageShowsText)
    : label_(new QLabel(&window)), pageShowsText_(std::move(pageShowsText)) {
    ui::SetControlId(*label_, id);
    ui::exposeAsNotice(*label_);
    label_->setWordWrap(true);
    label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The line's room is kept while it is hidden: the window does not grow when a text comes.
    QSizePolicy policy = label_->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label_->setSizePolicy(policy);
    label_->hide();
}

void StatusLine::tell(const QString& text, CTrayIcon* balloonIcon) {
    if (text.isEmpty()) return;
    ui::setNoticeText(*label_, text);
    follow();
    if (balloonIcon && !balloonsShown_.contains(text)) {
        balloonsShown_ << text;
        balloonIcon->SetIcon(balloonIcon->shownIcon(), std::nullopt, text);
    }
}

void StatusLine::linkUp() {
    balloonsShown_.clear();
    label_->clear();
    follow();
}

void StatusLine::follow() { label_->setVisible(!label_->text().isEmpty() && !pageShowsText_()); }

}  // namespace tembrel
