#include "CReadmePage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tembrel {

CReadmePage::CReadmePage(PageContext& context, QWidget* parent)
    : CZarn9100Page(context, "Readme", kDialogId, CardUse::Any, parent) {
    auto* layout = new QVBoxLayout(this);
    const QStringList texts = Texts();
    for (int i = 0; i < texts.size(); ++i) {
        auto* label = new QLabel(texts[i], this);
        label->setWordWrap(true);
        label->setObjectName(QString("readmeText%1").arg(i));
        layout->addWidget(label);
        if (i == 1) layout->addSpacing(8);
    }
    layout->addStretch();
}

QStringList CReadmePage::Texts() {
    return {
        "Orvix LX-7700 Utility can not provide fully support because Windows XP Zero Configuration is enabled!",
        "You can disable Windows XP Zero Configuration to get fully support from Orvix LX-7700 Utility by doing the "
        "following:",
        "1. Double click at tray icon of Wireless Network Connection Status",
        "2. Click button <Properties>",
        "3. Click tab <Wireless Networks>",
        "4. Uncheck checkbox <Use Windows to configure my wireless network settings>",
        "5. Click button <OK>",
    };
}

}  // namespace tembrel
