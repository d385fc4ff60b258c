#include "PendingPage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tembrel {

PendingPage::PendingPage(CZarn9100Sheet& sheet, const QString& caption, int dialogId, QWidget* parent)
    : CZarn9100Page(sheet, caption, dialogId, parent) {
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QString("The %1 page is not available in this version.").arg(caption), this);
    label->setObjectName("pendingText");
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}

}  // namespace tembrel
