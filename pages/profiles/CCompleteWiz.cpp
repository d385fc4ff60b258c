#include "pages/profiles/CCompleteWiz.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "pages/profiles/CProfileWizard.h"
#include "pages/profiles/ProfileControls.h"
#include "ui/ControlId.h"
#include "ui/ReadOnlyField.h"

namespace tembrel {

CCompleteWiz::CCompleteWiz(CProfileWizard& wizard, QWidget* parent) : QWidget(parent), wizard_(wizard) {
    auto* layout = new QVBoxLayout(this);
    auto* frame = new QGroupBox(this);
    layout->addWidget(frame);
    auto* row = new QHBoxLayout(frame);
    summary_ = ui::WithId(new QLabel(frame), kIdSummary);
    right_ = ui::WithId(new QLabel(frame), kIdRight);
    for (QLabel* label : {summary_, right_}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        row->addWidget(label, 1);
    }
    summary_->setTextFormat(Qt::PlainText);
    // The summary is read by Tab; the right column stays empty.
    ui::exposeAsReadOnlyField(*summary_);
    summary_->setAccessibleName("Summary");
}

void CCompleteWiz::refresh() {
    QString text = Text(wizard_.editor().summary());
    // The summary's lines end in "\r\n"; a label breaks lines at "\n".
    text.remove(QLatin1Char('\r'));
    summary_->setText(text.trimmed());
}

QString CCompleteWiz::summary() const { return Text(wizard_.editor().summary()); }

}  // namespace tembrel
