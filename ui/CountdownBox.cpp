#include "ui/CountdownBox.h"
#include "ui/ControlId.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <chrono>

namespace tembrel::ui {

CountdownBox::CountdownBox(const QString& text, int seconds, DialogClock& clock, QWidget* owner)
    : QDialog(owner), countdown_(seconds), clock_(clock) {
    setObjectName("countdownBox");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    text_ = new QLabel(text, this);
    SetControlId(*text_, kIdText);
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    progress_ = new QProgressBar(this);
    SetControlId(*progress_, kIdProgress);
    progress_->setAccessibleName("Time elapsed");
    // The seconds left show inside the box too: a title bar may be cut short or absent.
    progress_->setTextVisible(true);
    progress_->setRange(0, countdown_.total() > 0 ? countdown_.total() : 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(progress_);
    showProgress();
    // A compact box over the middle of its owner's window, not a sheet the size of it.
    setMinimumWidth(fontMetrics().horizontalAdvance(QString(40, QLatin1Char('x'))));
    adjustSize();
    if (owner) move(owner->window()->geometry().center() - rect().center());
}

CountdownBox::~CountdownBox() = default;

void CountdownBox::run() {
    if (countdown_.finished()) return;
    timer_ = clock_.start(std::chrono::seconds(1), [this] { onSecond(); });
    exec();
    timer_.reset();
}

void CountdownBox::onSecond() {
    countdown_.tick();
    showProgress();
    if (!countdown_.finished()) return;
    timer_->stop();
    accept();
}

void CountdownBox::showProgress() {
    const QString title = QString::fromStdString(countdown_.title());
    setWindowTitle(title);
    progress_->setFormat(title.trimmed());
    progress_->setValue(countdown_.elapsed());
}

}  // namespace tembrel::ui
