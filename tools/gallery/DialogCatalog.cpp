#include "DialogCatalog.h"

#include "app/CZarn9100Sheet.h"
#include "pages/autolink/CAutoLinkDlg.h"
#include "pages/profiles/CAdminTool.h"
#include "pages/profiles/CProfileManager.h"
#include "pages/survey/CSiteSurvey.h"
#include "platform/gui/DialogService.h"
#include "ui/CountdownBox.h"
#include "ui/QtDialogClock.h"

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
        {"dialog-advanced-filter", "Site Survey: Advanced Filter", ButtonOnPage(CSiteSurvey::kDialogId, 0, "&Filter")},
        {"dialog-import-profiles", "Admin: Import Profiles", ButtonOnPage(CAdminTool::kDialogId, 1081)},
        {"dialog-export-profiles", "Admin: Export Profiles", ButtonOnPage(CAdminTool::kDialogId, 1082)},
        {"dialog-auto-link", "Auto Link",
         [](CZarn9100Sheet& sheet, QString&) -> DialogOpener {
             return [&sheet] {
                 // The dialog as the program shows it, with the card's Auto Link access points
                 // (or a sample list without a card that offers any).
                 auto candidates =
                     SearchAutoLinkCandidates(sheet.library(), sheet.adapter().handle(), sheet.profiles());
                 if (candidates.empty()) candidates = {{"Orvix-AutoLink-New", 36, 0, 0x21}, {"Orvix-AutoLink-Set", 30, 1, 0x22}};
                 CAutoLinkDlg dialog(sheet.pageContext(), AutoLinkDlgSetup{sheet.eventSink(), nullptr}, &sheet);
                 dialog.setCandidates(candidates);
                 dialog.exec();
             };
         }},
        {"dialog-countdown-box", "Auto Link: countdown box",
         [](CZarn9100Sheet& sheet, QString&) -> DialogOpener {
             return [&sheet] {
                 ui::QtDialogClock clock;
                 ui::CountdownBox box("Auto Link is done successfully.\nPreparing to exit......", 15, clock, &sheet);
                 box.run();
             };
         }},
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
