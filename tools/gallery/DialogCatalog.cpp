#include "DialogCatalog.h"

#include "app/CZarn9100Sheet.h"
#include "pages/profiles/CAdminTool.h"
#include "pages/profiles/CProfileManager.h"
#include "pages/survey/CSiteSurvey.h"
#include "platform/gui/DialogService.h"

#include <QAbstractButton>
#include <QPointer>
#include <QTabWidget>

namespace tembrel::gallery {

std::vector<DialogEntry> DialogCatalog() {
    return {
        {"dialog-message-box", "Message box (hot key not available)",
         [](CZarn9100Sheet& sheet, QString&) -> DialogOpener {
             return [&sheet] { sheet.dialogs().showMessage(&sheet, "Cannot create hotkey for Radio On/Off!!"); };
         }},
        {"dialog-create-profile", "Profile Manager: Create New Profile", ButtonOnPage(CProfileManager::kDialogId, 1014)},
        {"dialog-advanced-filter", "Site Survey: Advanced Filter", ButtonOnPage(CSiteSurvey::kDialogId, CSiteSurvey::kIdFilter)},
        {"dialog-import-profiles", "Admin: Import Profiles", ButtonOnPage(CAdminTool::kDialogId, 1081)},
        {"dialog-export-profiles", "Admin: Export Profiles", ButtonOnPage(CAdminTool::kDialogId, 1082)},
    };
}

DialogPreparer ButtonOnPage(int pageDialogId, int controlId, const QString& text) {
    return [=](CZarn9100Sheet& sheet, QString& missing) -> DialogOpener {
        CZarn9100Page* page = nullptr;
        for (auto* candidate : sheet.pages())
            if (candidate->dialogId() == pageDialogId) page = candidate;
        if (!page) {
            missing = QString("no page %1 in the window").arg(pageDialogId);
            return {};
        }
        QAbstractButton* button = nullptr;
        for (auto* candidate : page->findChildren<QAbstractButton*>()) {
            const bool match = controlId != 0 ? candidate->property("controlId").toInt() == controlId
                                              : candidate->text() == text;
            if (match) button = candidate;
        }
        if (!button) {
            missing = QString("the %1 page has no button %2 yet")
                          .arg(page->caption(), controlId != 0 ? QString::number(controlId) : text);
            return {};
        }
        if (!sheet.selectPage(page)) sheet.tabWidget()->setCurrentWidget(page);
        QPointer<QAbstractButton> target(button);
        return [target] {
            if (target) target->click();
        };
    };
}

}  // namespace tembrel::gallery
