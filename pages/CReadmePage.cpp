#include "CReadmePage.h"

#include "pages/logic/ReadmeTexts.h"

#include <QLabel>
#include <QVBoxLayout>

#include <cstring>

namespace tembrel {

CReadmePage::CReadmePage(PageContext& context, QWidget* parent)
    : CZarn9100Page(context, kCaption, kDialogId, parent), card_(context) {
    auto* layout = new QVBoxLayout(this);
    const size_t count = ReadmeTexts(context.libraryPath(), "").size();
    for (size_t i = 0; i < count; ++i) {
        auto* label = new QLabel(this);
        label->setWordWrap(true);
        label->setObjectName(QString("readmeText%1").arg(i));
        layout->addWidget(label);
        labels_.push_back(label);
        if (i == 1) layout->addSpacing(8);
    }
    layout->addStretch();
    reword();
}

void CReadmePage::OnSetActive() { reword(); }

void CReadmePage::reword() {
    std::string description;
    if (const auto lease = card_.handle().lease()) {
        char text[256] = {};
        if (card_.library().QueryDeviceDesc(lease.get(), text, sizeof text - 1) == 0)
            description.assign(text, strnlen(text, sizeof text - 1));
    }
    const auto texts = ReadmeTexts(card_.libraryPath(), description);
    for (size_t i = 0; i < labels_.size() && i < texts.size(); ++i)
        labels_[i]->setText(QString::fromStdString(texts[i]));
}

}  // namespace tembrel
