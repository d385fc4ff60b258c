#include "PendingPage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tembrel {

PendingPage::PendingPage(PageContext& context, const QString& caption, int dialogId, CardUse cardUse, QWidget* parent)
    : CZarn9100Page(context, caption, dialogId, cardUse, parent) {
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QString("The %1 page is not available in this version.").arg(caption), this);
    label->setObjectName("pendingText");
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}

}  // namespace tembrel
