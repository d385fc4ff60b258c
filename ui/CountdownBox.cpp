#include "ui/CountdownBox.h"

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
    text_->setProperty("controlId", kIdText);
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    progress_ = new QProgressBar(this);
    progress_->setProperty("controlId", kIdProgress);
    progress_->setAccessibleName("Time elapsed");
    progress_->setTextVisible(false);
    progress_->setRange(0, countdown_.total() > 0 ? countdown_.total() : 1);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(text_);
    layout->addWidget(progress_);
    layout->addStretch();
    if (owner) setGeometry(owner->window()->geometry());
    showProgress();
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
    setWindowTitle(QString::fromStdString(countdown_.title()));
    progress_->setValue(countdown_.elapsed());
}

}  // namespace tembrel::ui
